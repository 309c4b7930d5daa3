#!/usr/bin/env bash
# Installs what the measurement tool needs (and nothing for the tests, benchmarks or bindings),
# builds the tool and runs its demo: a synthetic plate is measured and the results and overlay
# pictures are written into edgemeasure-demo/. The other components are left to their defaults:
# built only when their dependencies happen to be installed, and not compiled here either way.
# Usage: scripts/demo.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
folder="edgemeasure-demo"

scripts/setup.sh tool
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DEDGEDETECTION_BUILD_TOOLS=ON
cmake --build "$build" -j"$(nproc)" --target edgemeasure
"$build/tools/edgemeasure/edgemeasure" demo "$folder"
echo
echo "Look at the picture: $(pwd)/$folder/demo-overlay.png (or demo-overlay.svg in a browser)"
