#!/bin/sh
# Bounded fuzzing of the RTF codec.
# Usage: fuzz/run.sh SECONDS [BUILD_DIR]   (default build dir: fuzz-build in the project)
# New inputs go to BUILD_DIR/corpus, crashing ones to BUILD_DIR/artifacts; the
# seeds in fuzz/corpus are only read. Exits non-zero when the fuzzer finds a fault.
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS [BUILD_DIR]}
here=$(cd "$(dirname "$0")" && pwd)
build=${2:-$here/../fuzz-build}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
mkdir -p "$build/corpus" "$build/artifacts"

export QT_QPA_PLATFORM=offscreen
# Qt keeps some global allocations until exit; they are not ours to report.
export ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:${UBSAN_OPTIONS:-}"
# The fixed seed fixes the order of mutations only: the run is bounded by time
# and the corpus grows between runs, so two runs need not try the same inputs.
# The fuzzer's progress lines go to a log; the summary and any fault are printed.
log="$build/fuzz.log"
status=0
"$build/rtf_fuzz" -seed="${VELKO_FUZZ_SEED:-1}" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -dict="$here/rtf.dict" \
    -artifact_prefix="$build/artifacts/" "$build/corpus" "$here/corpus" >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
    echo "rtf_fuzz found a fault (exit status $status); the end of its log ($log):"
    tail -n 60 "$log"
else
    runs=$(grep -o '^stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    echo "rtf_fuzz: ${runs:-?} inputs in ${seconds} s, no fault; corpus $(ls "$build/corpus" | wc -l) files."
fi
exit "$status"
