#!/usr/bin/env bash
# Installs what is missing, builds with both cores and runs the whole suite.
# Exits with ctest's status. The X11 tests start their own private desktops.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MIROVEX_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2

# Tests must never see the caller's own session or settings.
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XAUTHORITY
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir "$build" --output-on-failure -j2 || status=$?
exit "$status"
