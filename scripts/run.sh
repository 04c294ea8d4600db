#!/usr/bin/env bash
# Installs what is missing, builds Vindral, and starts it on the bundled
# sample database (the alias FOLIODB of the engine configuration).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
exec build/bin/vindral "$@"
