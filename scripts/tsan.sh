#!/usr/bin/env bash
# Builds the library and the tests that run it on several threads at once with ThreadSanitizer,
# and runs those tests: concurrent searches of one shared image, regressions and circle
# measurements, and circle fits on the shared random generator (all in tests/concurrency/). Any
# data race fails the run.
#
# Usage: scripts/tsan.sh [build-folder]   (default: build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-tsan}"

scripts/setup.sh tool tests clang
# Clang at -O1 with line tables only: enough for ThreadSanitizer's reports, and a quicker build.
CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEDGEDETECTION_WERROR=ON \
    -DEDGEDETECTION_SANITIZERS=thread \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DEDGEDETECTION_BUILD_TESTS=ON -DEDGEDETECTION_BUILD_BENCHMARKS=OFF \
    -DEDGEDETECTION_BUILD_TOOLS=OFF -DEDGEDETECTION_BUILD_BINDING=OFF \
    -DEDGEDETECTION_BUILD_PYTHON=OFF >/dev/null
# Only what the threaded tests need: the rest of the suite runs single-threaded elsewhere.
cmake --build "$build" -j"$(nproc)" --target concurrency_test
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "$build" --output-on-failure -R '^Concurrency\.'
