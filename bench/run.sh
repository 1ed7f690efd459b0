#!/usr/bin/env bash
# The benchmark: builds the Linux and the Windows program, then measures (see bench/bench.py).
#   bash bench/run.sh                    the full table: N = 100, 1000, 2000, 10000; M = 1000, 10000
#   bash bench/run.sh --sizes 100,1000   any of bench.py's options
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
for p in gnuplot-nox time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$p"; }
done

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target folvane-setup spoolctl
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
python3 bench/bench.py "$@"
