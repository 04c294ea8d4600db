#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run
# Vindral. Run as root; it does nothing when everything is already there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
  pxlib-dev                       # an independent Paradox reader/writer for the tests
  libsqlite3-dev                  # pdx export --sqlite
  sqlite3 python3                 # independent readers of exported files in the tests
  xvfb xauth fonts-dejavu-core    # headless screenshots and a sans font
  poppler-utils                   # the report tests render their PDFs to compare them
  clang libclang-rt-14-dev        # the fuzz targets
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Vindral needs: ${missing[*]}; run this script as root to install them." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
