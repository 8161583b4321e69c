#!/usr/bin/env bash
# Installs the Debian packages of packages.txt that are not installed yet.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here/packages.txt" | grep -v '^$')
missing=()
for p in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#wanted[@]} packages present"
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
sudo=()
(( EUID == 0 )) || sudo=(sudo)
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
