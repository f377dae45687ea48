#!/usr/bin/env bash
# check-mime.sh MIME_XML DESKTOP: the file types build a MIME database with their globs and
# magic, and every type the desktop file handles is defined.
set -euo pipefail
xml=$1 desktop=$2
for tool in xmllint update-mime-database; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
xmllint --noout "$xml"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/mime/packages"
cp "$xml" "$work/mime/packages/tavrelrex.xml"
XDG_DATA_HOME="$work" update-mime-database "$work/mime" 2>"$work/log"
if [ -s "$work/log" ]; then
    cat "$work/log" >&2
    exit 1
fi
fail=0
expect() { grep -qaF -- "$2" "$work/mime/$1" || { echo "missing in $1: $2" >&2; fail=1; }; }
expect globs2 "application/x-tavrelrex-sdf:*.sdf"
expect globs2 "text/x-tavrelrex-tsd:*.tsd"
expect globs2 "text/x-tavrelrex-apm:*.apm"
expect magic "Standard Burst-Interval Data Format Ver."
expect magic "Time Series Data Text Format Ver."
expect subclasses "text/x-tavrelrex-tsd text/plain"
types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | sed '/^$/d')
[ -n "$types" ] || { echo "the desktop file handles no type" >&2; fail=1; }
for type in $types; do
    grep -qx "$type" "$work/mime/types" || { echo "not defined: $type" >&2; fail=1; }
done
exit $fail
