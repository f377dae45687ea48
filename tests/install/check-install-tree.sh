#!/usr/bin/env bash
# check-install-tree.sh CMAKE BUILD STAGE PREFIX VERSION FILE...: `cmake --install` into the
# staging directory STAGE (DESTDIR) puts exactly FILE... (relative to PREFIX) in place, and
# what it put there works.
set -euo pipefail
cmake=$1 build=$2 stage=$3 prefix=$4 version=$5
shift 5
rm -rf "$stage"
DESTDIR="$stage" "$cmake" --install "$build" >/dev/null
root="$stage$prefix"
fail=0

expected=$(printf '%s\n' "$@" | sort)
installed=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
if [ "$expected" != "$installed" ]; then
    echo "installed files differ from the expected list (< expected, > installed):" >&2
    diff <(echo "$expected") <(echo "$installed") >&2 || true
    fail=1
fi
echo "installed under $prefix:"
echo "$installed" | sed 's/^/  /'

# The programs run from where they were installed.
out=$("$root/bin/tavrelrex-cli" --version)
[ "$out" = "tavrelrex-cli $version" ] || { echo "tavrelrex-cli --version: $out" >&2; fail=1; }
for program in tavrelrex tavrelrex-view; do
    [ -x "$root/bin/$program" ] || continue
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/$program" --version)
    [ "$out" = "$program $version" ] || { echo "$program --version: $out" >&2; fail=1; }
done

# Each PNG icon is as large as the directory it lies in says (PNG header: width, height).
for png in "$root"/share/icons/hicolor/*x*/apps/tavrelrex.png; do
    [ -e "$png" ] || continue
    size=$(basename "$(dirname "$(dirname "$png")")")
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "$size" ] || { echo "$png is $dims" >&2; fail=1; }
done

# Each desktop entry starts an installed program with an installed icon.
for desktop in "$root"/share/applications/*.desktop; do
    [ -e "$desktop" ] || continue
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -x "$root/bin/$exec" ] || { echo "$desktop: Exec=$exec is not installed" >&2; fail=1; }
    [ -e "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
        { echo "$desktop: Icon=$icon is not installed" >&2; fail=1; }
done
exit $fail
