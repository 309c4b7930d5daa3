#!/usr/bin/env bash
# Builds the libFuzzer configuration (Clang, AddressSanitizer + UndefinedBehaviorSanitizer, the
# library instrumented for coverage) and runs every fuzz target for the given number of seconds
# on a copy of its seed corpus (tests/fuzz/corpus/<target>/), two targets at a time.
# Fails when any target reports a finding; the input that broke it is kept under
# <build>/fuzz-runs/<target>/ and the target's log is printed.
#
# With FUZZ_SUITE=1 it first builds everything else in the same configuration and runs the whole
# test suite there, under both sanitizers: one instrumented build of the library serves the
# sanitizer suite and the fuzzers (CI does this).
#
# Usage: scripts/fuzz.sh [seconds] [build-folder]   (defaults: 30, build-fuzz)
#        FUZZ_TARGETS="fuzz_canny fuzz_search" scripts/fuzz.sh 600   (a subset)
#        FUZZ_SUITE=1 scripts/fuzz.sh 30   (the whole suite first)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build="${2:-build-fuzz}"
targets=(${FUZZ_TARGETS:-fuzz_path_records fuzz_canny fuzz_search fuzz_circle_fit fuzz_regression
    fuzz_caliper fuzz_metrology fuzz_image_loader fuzz_job_parser})
# The machine's cores are shared; never more than two fuzzers at once.
parallel=2
# An input that runs longer than this counts as a hang.
per_input_timeout=10

scripts/setup.sh
# The suite's components are asked for explicitly, as in scripts/test.sh: a missing dependency
# fails instead of leaving tests out of the sanitizer run.
CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEDGEDETECTION_WERROR=ON \
    -DEDGEDETECTION_SANITIZERS="address;undefined;fuzzer" -DEDGEDETECTION_BUILD_TESTS=ON \
    -DEDGEDETECTION_BUILD_TOOLS=ON -DEDGEDETECTION_BUILD_BINDING=ON -DEDGEDETECTION_BUILD_PYTHON=ON \
    -DEDGEDETECTION_BUILD_BENCHMARKS=OFF >/dev/null
if [ "${FUZZ_SUITE:-0}" = 1 ]; then
    cmake --build "$build" -j"$(nproc)"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
else
    cmake --build "$build" -j"$(nproc)" --target edgedetection_fuzzers
fi

runs="$build/fuzz-runs"
rm -rf "$runs"

run_target() {
    local target="$1"
    local dir="$runs/$target"
    mkdir -p "$dir/corpus"
    cp tests/fuzz/corpus/"$target"/* "$dir/corpus/"
    local status=0
    "$build/tests/fuzz/$target" "$dir/corpus" -max_total_time="$seconds" \
        -timeout="$per_input_timeout" -artifact_prefix="$dir/" -print_final_stats=1 \
        >"$dir/log" 2>&1 || status=$?
    echo "$status" >"$dir/status"
}

for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do
        wait -n || true
    done
    run_target "$target" &
done
wait

failed=0
for target in "${targets[@]}"; do
    if [ "$(cat "$runs/$target/status")" = 0 ]; then
        # The last status line: executions, coverage (cov) and features (ft).
        summary="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$runs/$target/log" | tail -1 || true)"
        echo "$target: ok  $summary"
    else
        failed=1
        echo "$target: FINDING (input and log under $runs/$target/)"
        tail -n 60 "$runs/$target/log"
    fi
done
exit "$failed"
