#!/usr/bin/env bash
# Builds the skin fuzzers with clang's libFuzzer (address and undefined-behaviour sanitizers)
# and runs each for a bounded time: the description reader, tar extraction, zip extraction,
# and whole skin packages loaded, drawn and pointed at (PACKAGE_SECONDS, default 30).
# Fails on a crash, a leak, a time-out, or a file written outside a fuzzer's own folder.
#
#   run_fuzzers.sh SOURCE_ROOT WORK_FOLDER [SECONDS_PER_TARGET] [PACKAGE_SECONDS]
set -euo pipefail

root=$(cd "$1" && pwd)
work=$2
seconds=${3:-20}
package_seconds=${4:-30}
targets=(skin_reader tar_extract zip_extract skin_package)

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "skin fuzz: clang++ is missing (deps/debian-packages.txt lists it)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work/obj" "$work/bin" "$work/seeds" "$work/logs"
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=all -I"$root/src")

# The package code and the reader for the first three; the skin's elements, drawn with Qt
# GUI (not instrumented itself), for the package target.
qt_flags=($(pkg-config --cflags Qt6Gui) -fPIC)
qt_libs=($(pkg-config --libs Qt6Gui))
base=(SkinReader SkinArchive SkinPaths TarHeader)
elements=(BitmapResource ButtonControl FontResource LevelMeterControl MultiStateControl
          SkinControl SkinDocument SkinValues SkinView SliderControl TextControl UnpackFolder)
# The compiler cache keeps repeated runs short.
launcher=$(command -v ccache || true)
compile() {
    $launcher "$cxx" "${flags[@]}" "${qt_flags[@]}" -fsanitize=fuzzer-no-link -c "$1" -o "$2"
}
for source in "${base[@]}" "${elements[@]}"; do
    compile "$root/src/skin/$source.cpp" "$work/obj/$source.o" &
    # Two at a time: the machine is shared.
    if [ "$(jobs -rp | wc -l)" -ge 2 ]; then wait -n; fi
done
compile "$root/src/platform/Folders.cpp" "$work/obj/Folders.o"
wait
base_objects=()
for source in "${base[@]}"; do base_objects+=("$work/obj/$source.o"); done
for target in skin_reader tar_extract zip_extract; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/skin/fuzz/${target}_fuzz.cpp" \
        "${base_objects[@]}" -lzip -lz -o "$work/bin/$target"
done
"$cxx" "${flags[@]}" "${qt_flags[@]}" -fsanitize=fuzzer \
    "$root/tests/skin/fuzz/skin_package_fuzz.cpp" "$work"/obj/*.o "${qt_libs[@]}" -lzip -lz \
    -o "$work/bin/skin_package"

# Seeds: a description, and packages made by GNU tar and zip, flat and in a folder.
mkdir -p "$work/seeds/skin_reader" "$work/seeds/tar_extract" "$work/seeds/zip_extract" \
    "$work/seeds/skin_package" \
    "$work/files/Skin"
cat > "$work/files/Skin/skin.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<!-- a small skin -->
<OSKININFO ONAME="Seed" ODATE="2012.07.31"/>
<OBITMAPRES ONAME="bg" OFILE="main.bmp" OTCOLOR="#FF00FF"/>
<OWINDOW ONAME="MainWindow">
  <OBKBITMAP OBITMAPRES="bg" ORECT="0,0,10,10"/>
  <OBUTTONC ONAME="Play" OSRCRECT="0, 0, 3, 3" OTOOLTIP="" />
</OWINDOW>
XML
head -c 700 /dev/zero | tr '\0' 'b' > "$work/files/Skin/main.bmp"
head -c 512 /dev/zero | tr '\0' 'c' > "$work/files/Skin/block.bmp"
cp "$work/files/Skin/skin.xml" "$work/seeds/skin_reader/skin.xml"
tar -cf "$work/seeds/tar_extract/flat.tar" -C "$work/files/Skin" skin.xml main.bmp block.bmp
tar -cf "$work/seeds/tar_extract/folder.tar" -C "$work/files" Skin
tar -czf "$work/seeds/tar_extract/flat.tgz" -C "$work/files/Skin" skin.xml
(cd "$work/files" && zip -q -r -j "$work/seeds/zip_extract/flat.zip" Skin &&
    zip -q -r "$work/seeds/zip_extract/folder.zip" Skin)

failed=0
for target in "${targets[@]}"; do
    run="$work/run-$target"
    mkdir -p "$run/tmp" "$work/corpus-$target"
    dict="$root/tests/skin/fuzz/archive.dict"
    limit=$seconds
    if [ "$target" = skin_reader ]; then
        dict="$root/tests/skin/fuzz/skin_reader.dict"
    fi
    suppressions=
    if [ "$target" = skin_package ]; then
        # The fuzzer writes its seed package (made with the program's own packer) itself.
        dict="$root/tests/skin/fuzz/skin_reader.dict"
        limit=$package_seconds
        # fontconfig keeps its configuration to the end of the process.
        suppressions=:suppressions=$root/tests/skin/fuzz/lsan.supp
    fi
    mkdir -p -m 0700 "$work/runtime"
    status=0
    (cd "$run" && TMPDIR="$run/tmp" AMBRIN_FUZZ_SEEDS="$work/seeds/$target" \
        XDG_RUNTIME_DIR="$work/runtime" HOME="$work/runtime" \
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS="print_suppressions=0$suppressions" \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$work/bin/$target" -max_total_time="$limit" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$work/logs/$target-" -dict="$dict" \
            "$work/corpus-$target" "$work/seeds/$target") > "$work/logs/$target.log" 2>&1 \
        || status=$?
    # The fuzzer's folder must hold nothing but its emptied temporary folder.
    stray=$(cd "$run" && find . -mindepth 1 ! -path ./tmp)
    if [ -n "$(ls -A "$run/tmp")" ]; then
        stray="$stray tmp/$(ls -A "$run/tmp" | tr '\n' ' ')"
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/logs/$target.log" | grep -o '[0-9]*$' || true)
    if [ "$status" -ne 0 ] || [ -n "$stray" ]; then
        echo "skin fuzz: $target FAILED (exit $status${stray:+, stray files:$stray})"
        tail -n 60 "$work/logs/$target.log"
        failed=1
    else
        echo "skin fuzz: $target passed, ${runs:-?} inputs in ${limit} s"
    fi
done
if [ "$failed" -eq 0 ]; then
    rm -rf "$work"
fi
exit "$failed"
