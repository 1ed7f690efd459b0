#!/usr/bin/env bash
# Builds everything and runs every test: unit tests on the fake platform, end-to-end tests on
# the Linux stand-in, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
# The Windows program (and the Wine tests' probe), cross-built into build-win/bin/; the native
# build's CTest runs them under Wine.
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
cmake --build build-win -j "$jobs"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOLVANE_WINDOWS_BUILD="$PWD/build-win/bin"
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# The unit and Linux end-to-end suites again, built with AddressSanitizer and UBSan: a write past
# a buffer anywhere in the program or the stand-in fails the run.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan

# A short bounded run of every fuzzer (scripts/fuzz.sh documents the long runs).
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
