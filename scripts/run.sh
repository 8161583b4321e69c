#!/usr/bin/env bash
# Installs what is missing, builds the display program and starts it on the
# current X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MIROVEX_BUILD_DIR:-$root/build}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target Mirovex
exec "$build/display/Mirovex" "$@"
