#!/usr/bin/env bash
# Installs what is missing, builds both programs without the tests in a
# build folder of their own and makes the Debian package there. Prints the
# package's path; install it with `sudo apt install ./<path>`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MIROVEX_PACKAGE_DIR:-$root/build-package}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIROVEX_TESTS=OFF -DMIROVEX_FUZZ=OFF >/dev/null
cmake --build "$build" -j2
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/mirovex_*.deb
