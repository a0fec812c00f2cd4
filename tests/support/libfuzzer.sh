# Shared steps of the bounded libFuzzer runs in `make test`; sourced by the fuzz scripts.
#
#   fuzz_prepare NAME ROOT WORK    sets $root, $work, $cxx (clang++-14 or clang++) and the
#                                  compile flags $flags (address and undefined-behaviour
#                                  sanitizers), and makes WORK/{obj,seeds,corpus,logs,run/tmp}
#   fuzz_objects SOURCE...         compiles src/SOURCE.cpp files for a fuzzer, in parallel
#   fuzz_run BINARY SECONDS [OPTION...]
#                                  runs the fuzzer for a bounded time on WORK/corpus and
#                                  WORK/seeds with its own TMPDIR; fails on a crash, a leak,
#                                  a time-out, or a file left behind ($fuzz_may_leave: a find
#                                  pattern of a file it may leave), and removes WORK when
#                                  it passes

fuzz_prepare() {
    fuzz_name=$1
    root=$(cd "$2" && pwd)
    work=$3
    cxx=$(command -v clang++-14 || command -v clang++ || true)
    if [ -z "$cxx" ]; then
        echo "$fuzz_name fuzz: clang++ is missing (deps/debian-packages.txt lists it)" >&2
        exit 1
    fi
    rm -rf "$work"
    mkdir -p "$work/obj" "$work/seeds" "$work/corpus" "$work/logs" "$work/run/tmp"
    flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
           -fno-sanitize-recover=all -I"$root/src")
}

fuzz_objects() {
    local pids=() source
    for source in "$@"; do
        "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$root/src/$source.cpp" \
            -o "$work/obj/$(basename "$source").o" &
        pids+=($!)
    done
    local pid failed=0
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    return "$failed"
}

fuzz_run() {
    local binary=$1 seconds=$2
    shift 2
    local log="$work/logs/$fuzz_name.log" status=0
    (cd "$work/run" && TMPDIR="$work/run/tmp" \
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$work/logs/$fuzz_name-" "$@" \
            "$work/corpus" "$work/seeds") > "$log" 2>&1 || status=$?
    local stray
    stray=$(cd "$work/run" && find . -mindepth 1 ! -path ./tmp ! -name "${fuzz_may_leave:-.}")
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    if [ "$status" -ne 0 ] || [ -n "$stray" ]; then
        echo "$fuzz_name fuzz: FAILED (exit $status${stray:+, stray files: $stray})"
        tail -n 60 "$log"
        exit 1
    fi
    echo "$fuzz_name fuzz: passed, ${runs:-?} inputs in ${seconds} s"
    rm -rf "$work"
}
