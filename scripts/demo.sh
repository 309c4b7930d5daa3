#!/usr/bin/env bash
# Installs what is missing, builds the library and runs the demonstration program.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target canny_profile
"$build/tools/canny_profile/canny_profile"
