#!/usr/bin/env bash
# Installs what is missing, builds everything (Release) and runs the whole test suite. The
# Python module is asked for explicitly, so that a missing dependency fails instead of leaving
# its tests out.
# Usage: scripts/test.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DEDGEDETECTION_BUILD_PYTHON=ON
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
