#!/usr/bin/env bash
# Installs what is missing, builds the measurement tool and runs its demo: a synthetic plate is
# measured and the results and overlay pictures are written into edgemeasure-demo/.
# Usage: scripts/demo.sh [build-folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
folder="edgemeasure-demo"

scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target edgemeasure
"$build/tools/edgemeasure/edgemeasure" demo "$folder"
echo
echo "Look at the picture: $(pwd)/$folder/demo-overlay.png (or demo-overlay.svg in a browser)"
