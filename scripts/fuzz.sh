#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one.
#   scripts/fuzz.sh                 a short bounded run of each (what the test command does)
#   scripts/fuzz.sh 3600            an hour each
#   FUZZ_RUNS=10000000 scripts/fuzz.sh   ten million executions each
# Seeds come from fuzz/corpus/<target>; what a run learns goes to a temporary corpus, so the
# repository stays as it is. A crash leaves its input in build-fuzz/artifacts and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
jobs=$(nproc 2>/dev/null || echo 2)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DFOLVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
targets=$(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
# shellcheck disable=SC2086
cmake --build build-fuzz -j "$jobs" --target $targets

mkdir -p build-fuzz/artifacts
status=0
for target in $targets; do
  name=${target#fuzz_}
  work=$(mktemp -d)
  limit=(-max_total_time="$seconds")
  [ -n "${FUZZ_RUNS:-}" ] && limit=(-runs="$FUZZ_RUNS")
  echo "== $target"
  if ! build-fuzz/fuzz/"$target" "${limit[@]}" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix=build-fuzz/artifacts/"$name"- "$work" fuzz/corpus/"$name" \
      >build-fuzz/"$target".log 2>&1; then
    echo "$target FAILED; see build-fuzz/$target.log"
    tail -20 build-fuzz/"$target".log
    status=1
  fi
  grep -E "^(Done|stat::number_of_executed_units)" build-fuzz/"$target".log || true
  rm -rf "$work"
done
exit $status
