#!/usr/bin/env bash
# Builds everything and runs every test: unit tests on the fake platform, end-to-end tests on
# the Linux stand-in, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
