#!/bin/sh
# Builds the fuzz targets with clang-14 and runs each for a fixed time.
#   tools/fuzz.sh [seconds-per-target]      (default 30; CI uses the default)
# A crash, sanitizer report or broken invariant fails the run.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-30}"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSPADES_BUILD_FUZZ=ON -DSPADES_BUILD_TESTS=OFF -DSPADES_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_all -j "$(nproc)"
status=0
for target in build-fuzz/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name="$(basename "$target" | sed 's/^fuzz_//')"
    corpus="fuzz/corpus/$name"
    work="build-fuzz/corpus/$name"
    mkdir -p "$work" build-fuzz/findings
    echo "== $name ($seconds s)"
    if ! QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$target" -max_total_time="$seconds" -max_len=4096 \
        -artifact_prefix=build-fuzz/findings/"$name"- -print_final_stats=1 \
        "$work" "$corpus" 2>build-fuzz/"$name".log; then
        echo "FINDING in $name:"; tail -40 build-fuzz/"$name".log; status=1
    else
        grep -E 'stat::number_of_executed_units|cov:' build-fuzz/"$name".log | tail -2
    fi
done
exit $status
