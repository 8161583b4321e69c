#!/usr/bin/env bash
# Every project include is written from the source root ("platform/monitors.h"),
# so a reader sees from a file's first lines which folder it depends on, and
# two headers of one name in different folders can never be mixed up. The one
# bare include left is a file's own moc output.
set -u
root=${1:?source root}
cd "$root" || exit 2
dirs=()
for d in common platform display annotate tests bench fuzz; do
    [ -d "$d" ] && dirs+=("$d")
done
bare=$(grep -rEn --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+"' "${dirs[@]}" \
    | grep -vE '#[[:space:]]*include[[:space:]]*"[^"]+\.moc"')
if [ -n "$bare" ]; then
    echo "Includes must be written from the source root (\"platform/monitors.h\"), not by bare name:"
    echo "$bare"
    exit 1
fi
# A rooted include must name a file that is there, so a moved header is
# never found again through some other folder by accident.
missing=$(grep -rhoE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/[^"]+"' "${dirs[@]}" \
    | sed -E 's/.*"([^"]+)".*/\1/' | sort -u | while read -r f; do [ -f "$f" ] || echo "$f"; done)
if [ -n "$missing" ]; then
    echo "Includes that name no file under the source root:"
    echo "$missing"
    exit 1
fi
echo "includes: all written from the source root"
