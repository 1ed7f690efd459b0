#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing the project. Safe to run
# again: packages already there are not touched, and apt is only asked when one is missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgtest-dev
  libsqlite3-dev sqlite3
  python3
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages and not root: install them with apt-get, then run again." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
