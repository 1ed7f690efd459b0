#!/usr/bin/env bash
# The main job, on Linux: installs what is missing, builds, lays out an example driver folder
# from samples/ with the built program beside the files, runs the setup there on the stand-in
# machine (WINSHIM_ROOT, by default ${XDG_STATE_HOME:-$HOME/.local/state}/winshim), then lists
# the registered drivers.
#
# The confirmation box appears on the terminal: Enter for OK, Escape or c for Cancel. With no
# terminal the box is written to stderr and counts as not shown, which the program takes as
# Cancel: nothing changes and the script ends without waiting for anyone.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target folvane-setup spoolctl

folder=$(mktemp -d "${TMPDIR:-/tmp}/folvane-demo.XXXXXX")
trap 'rm -rf "$folder"' EXIT
cp samples/PSCRIPT.DLL samples/PSCRPTUI.DLL samples/*.PPD "$folder/"
# The program finds its driver files beside its own real path: a hard link or a copy, never a
# symbolic link (that would resolve to build/bin/).
ln build/bin/folvane-setup "$folder/folvane-setup" 2>/dev/null ||
  cp build/bin/folvane-setup "$folder/folvane-setup"

echo "Driver folder: $folder"
ls -l "$folder"
echo "Driver directory of the stand-in machine: $(build/bin/spoolctl dir)"
echo
"$folder/folvane-setup" "$@"
echo
echo "Registered drivers (spoolctl list):"
build/bin/spoolctl list
