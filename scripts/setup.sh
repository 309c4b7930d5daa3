#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need, and only those that
# are missing. Nothing is downloaded from anywhere but the Debian archive.
set -euo pipefail

packages=(
    build-essential
    cmake
    clang
    libclang-rt-14-dev
    googletest
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    pkg-config
    swig
    mono-mcs
    mono-runtime
    libopencv-dev
    libstb-dev
    nlohmann-json3-dev
    libpng-dev
    libtiff-dev
    python3-jsonschema
    chromium
    pybind11-dev
    python3-dev
    python3-numpy
    python3-pytest
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
