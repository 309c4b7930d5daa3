#!/usr/bin/env bash
# Installs the Debian packages that a group of jobs needs, and only those that are missing.
# Nothing is downloaded from anywhere but the Debian archive.
#
# Usage: scripts/setup.sh [group...]   (default: all)
#   tool      build the library and edgemeasure (what scripts/demo.sh needs)
#   tests     the test suite's own needs (GoogleTest, the schema check, the browser test)
#   bench     the benchmarks and the comparison with OpenCV
#   binding   the C# binding (SWIG, Mono)
#   python    the Python module and its tests
#   clang     Clang with its sanitizer runtimes, and clang-format (fuzzing, TSan, CI's format check)
#   all       every group (scripts/test.sh, CI)
set -euo pipefail

# The compiler and CMake: every group needs them.
base=(build-essential cmake pkg-config)
group_tool=(libstb-dev nlohmann-json3-dev libpng-dev libtiff-dev)
group_tests=(googletest libgtest-dev libgmock-dev python3-jsonschema chromium)
group_bench=(libbenchmark-dev libopencv-dev)
group_binding=(swig mono-mcs mono-runtime)
group_python=(pybind11-dev python3-dev python3-numpy python3-pytest)
group_clang=(clang libclang-rt-14-dev clang-format)
all_groups=(tool tests bench binding python clang)

groups=("$@")
if [ ${#groups[@]} -eq 0 ]; then
    groups=(all)
fi
packages=("${base[@]}")
for group in "${groups[@]}"; do
    if [ "$group" = all ]; then
        for each in "${all_groups[@]}"; do
            list="group_${each}[@]"
            packages+=("${!list}")
        done
    elif [[ " ${all_groups[*]} " == *" $group "* ]]; then
        list="group_${group}[@]"
        packages+=("${!list}")
    else
        echo "setup.sh: unknown group '$group' (groups: ${all_groups[*]} all)" >&2
        exit 2
    fi
done

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
