#!/usr/bin/env bash
# The Debian package as a presenter's machine sees it, checked without
# installing anything over this machine: built from the install rules,
# its control data and file list, its menu entry and metadata, lintian, then
# installed into and removed from a throw-away root, running both programs
# from there.
#   package_test.sh BUILD_DIR WITH_ANNOTATE(0|1) ANNOTATE_READS_OPTIONS(0|1)
set -eu -o pipefail
build=$1 withAnnotate=$2 annotateOptions=${3:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack could not build the package"; }
debs=("$work"/out/mirovex_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || fail "no single mirovex_<version>_<arch>.deb: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb") $(stat -c %s "$deb") bytes"

# Control data: the libraries come from dpkg-shlibdeps, not from a hand list.
info=$(dpkg-deb --info "$deb")
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt libraries dpkg-shlibdeps finds"
grep -q 'libc6 (>=' <<<"$depends" || fail "Depends lacks a versioned libc6"
grep -q 'libxcb' <<<"$depends" || fail "Depends lacks the xcb libraries"
grep -q 'xdg-utils' <<<"$depends" || fail "Depends lacks xdg-utils"
[[ $(dpkg-deb --field "$deb" Suggests) == *picom* ]] || fail "picom is not suggested"
[[ $(dpkg-deb --field "$deb" Package) == mirovex ]] || fail "package name: $info"

contents=$(dpkg-deb --contents "$deb" | awk '{print $6 ($7 ? " " $7 " " $8 : "")}')
want=(./usr/lib/mirovex/Mirovex "./usr/bin/mirovex -> ../lib/mirovex/Mirovex"
      ./usr/share/applications/Mirovex.desktop ./usr/share/icons/hicolor/scalable/apps/mirovex.svg
      ./usr/share/icons/hicolor/48x48/apps/mirovex.png ./usr/share/icons/hicolor/256x256/apps/mirovex.png
      ./usr/share/metainfo/org.mirovex.Mirovex.metainfo.xml ./usr/share/man/man1/mirovex.1.gz
      ./usr/share/doc/mirovex/copyright ./usr/share/doc/mirovex/changelog.gz ./usr/share/mirovex/README.md)
if [[ $withAnnotate == 1 ]]; then
    want+=(./usr/lib/mirovex/annotate "./usr/bin/mirovex-annotate -> ../lib/mirovex/annotate"
           ./usr/share/man/man1/mirovex-annotate.1.gz)
fi
for f in "${want[@]}"; do
    grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
# Nothing of the build or test tree, nothing outside /usr.
if grep -vE '^\./(usr/.*)?$' <<<"$contents"; then fail "files outside /usr"; fi
if grep -qE 'test|bench|\.a$|\.h$' <<<"$contents"; then fail "build or test files in the package"; fi

dpkg-deb -x "$deb" "$work/tree"
desktop-file-validate "$work/tree/usr/share/applications/Mirovex.desktop" || fail "the menu entry is not valid"
grep -qx 'Exec=/usr/bin/mirovex' "$work/tree/usr/share/applications/Mirovex.desktop" || fail "the entry does not start /usr/bin/mirovex"
appstreamcli validate --no-net "$work/tree/usr/share/metainfo/org.mirovex.Mirovex.metainfo.xml" || fail "the metainfo is not valid"
command -v lintian >/dev/null || fail "lintian is not installed (packages.txt)"
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
if grep -q '^E: ' "$work/lintian.log"; then fail "lintian reports errors"; fi

# A throw-away root with its own dpkg database.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/home/presenter/.local/share/Mirovex"
touch "$root/var/lib/dpkg/status"
echo "[Options]" >"$root/home/presenter/.local/share/Mirovex/MirovexA.cfg"
dpkgRoot=(dpkg --root="$root" --force-not-root --force-depends --log=/dev/null)
"${dpkgRoot[@]}" -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg could not install it"; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY "$@"; }
[[ $(run "$root/usr/bin/mirovex" --version) == "Mirovex $(dpkg-deb --field "$deb" Version)" ]] \
    || fail "mirovex --version: $(run "$root/usr/bin/mirovex" --version 2>&1)"
run "$root/usr/bin/mirovex" --help | grep -q '^Usage: mirovex' || fail "mirovex --help"
status=0; run "$root/usr/bin/mirovex" --no-such-option >/dev/null 2>"$work/err" || status=$?
[[ $status == 2 ]] && grep -q '^Usage: mirovex' "$work/err" || fail "an unknown option gave $status"
if [[ $withAnnotate == 1 ]]; then
    [[ -x $root/usr/lib/mirovex/annotate && -x $root/usr/bin/mirovex-annotate ]] || fail "mirovex-annotate is not installed"
fi
if [[ $withAnnotate == 1 && $annotateOptions == 1 ]]; then
    run "$root/usr/bin/mirovex-annotate" --version | grep -qx "annotate $(dpkg-deb --field "$deb" Version)" \
        || fail "mirovex-annotate --version: $(run "$root/usr/bin/mirovex-annotate" --version 2>&1)"
    status=0; run "$root/usr/bin/mirovex-annotate" --no-such-option >/dev/null 2>&1 || status=$?
    [[ $status == 2 ]] || fail "mirovex-annotate: an unknown option gave $status"
fi

# Removing takes exactly what it installed and leaves the presenter's files.
"${dpkgRoot[@]}" --purge mirovex >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg could not remove it"; }
left=$(find "$root/usr" -mindepth 1 ! -type d 2>/dev/null || true)
[[ -z $left ]] || fail "left after removal: $left"
[[ -f $root/home/presenter/.local/share/Mirovex/MirovexA.cfg ]] || fail "removal touched the settings folder"
echo "package test passed"
