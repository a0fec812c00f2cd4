#!/usr/bin/env bash
# Builds the skin fuzzers with clang's libFuzzer (address and undefined-behaviour sanitizers)
# and runs each for a bounded time: the description reader, tar extraction, zip extraction.
# Fails on a crash, a leak, a time-out, or a file written outside a fuzzer's own folder.
#
#   run_fuzzers.sh SOURCE_ROOT WORK_FOLDER [SECONDS_PER_TARGET]
set -euo pipefail

root=$(cd "$1" && pwd)
work=$2
seconds=${3:-20}
targets=(skin_reader tar_extract zip_extract)

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "skin fuzz: clang++ is missing (deps/debian-packages.txt lists it)" >&2
    exit 1
fi

rm -rf "$work"
mkdir -p "$work/obj" "$work/bin" "$work/seeds" "$work/logs"
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=all -I"$root/src")

# The package code and the reader; nothing else is needed.
pids=()
for source in SkinReader SkinArchive SkinPaths TarHeader; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$root/src/skin/$source.cpp" \
        -o "$work/obj/$source.o" &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
for target in "${targets[@]}"; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/tests/skin/fuzz/${target}_fuzz.cpp" \
        "$work"/obj/*.o -lzip -lz -o "$work/bin/$target"
done

# Seeds: a description, and packages made by GNU tar and zip, flat and in a folder.
mkdir -p "$work/seeds/skin_reader" "$work/seeds/tar_extract" "$work/seeds/zip_extract" \
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
    if [ "$target" = skin_reader ]; then
        dict="$root/tests/skin/fuzz/skin_reader.dict"
    fi
    status=0
    (cd "$run" && TMPDIR="$run/tmp" \
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$work/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
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
        echo "skin fuzz: $target passed, ${runs:-?} inputs in ${seconds} s"
    fi
done
if [ "$failed" -eq 0 ]; then
    rm -rf "$work"
fi
exit "$failed"
