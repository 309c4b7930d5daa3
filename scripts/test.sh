#!/usr/bin/env bash
# Installs what is missing, builds everything (Release, warnings as errors) and runs the whole
# test suite. Every component is asked for explicitly, so that a missing dependency fails the
# configure instead of quietly leaving its tests out.
# Usage: scripts/test.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DEDGEDETECTION_WERROR=ON \
    -DEDGEDETECTION_BUILD_TESTS=ON -DEDGEDETECTION_BUILD_BENCHMARKS=ON \
    -DEDGEDETECTION_BUILD_OPENCV_COMPARISON=ON -DEDGEDETECTION_BUILD_TOOLS=ON \
    -DEDGEDETECTION_BUILD_BINDING=ON -DEDGEDETECTION_BUILD_PYTHON=ON
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
