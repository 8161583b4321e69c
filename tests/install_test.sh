#!/usr/bin/env bash
# The install step puts the program, its menu entry and its icon where a
# desktop finds them, and the entry is valid and names the installed link.
#   install_test.sh BUILD_DIR DESKTOP_FILE_VALIDATE
set -eu -o pipefail
build=$1 validate=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*" >&2; exit 1; }
[[ -x $prefix/lib/mirovex/Mirovex ]] || fail "no lib/mirovex/Mirovex"
[[ $(readlink "$prefix/bin/mirovex") == ../lib/mirovex/Mirovex ]] || fail "bin/mirovex is not a relative link to the program"
[[ $(env -u DISPLAY "$prefix/bin/mirovex" --version) == "Mirovex "* ]] || fail "bin/mirovex --version"
entry=$prefix/share/applications/Mirovex.desktop
[[ -f $entry ]] || fail "no menu entry"
[[ -f $prefix/share/icons/hicolor/scalable/apps/mirovex.svg ]] || fail "no icon"
"$validate" "$entry" || fail "the menu entry is not valid"
grep -q '^Icon=mirovex$' "$entry" || fail "the entry names no icon"
grep -qxF "Exec=$prefix/bin/mirovex" "$entry" || fail "the entry does not start the installed link: $(grep Exec "$entry")"
echo "install test passed"
