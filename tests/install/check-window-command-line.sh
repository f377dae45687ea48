#!/usr/bin/env bash
# check-window-command-line.sh PROGRAM VERSION: --help and --version of a window program
# (tavrelrex, tavrelrex-view) work without a display, and a wrong command line exits 2 before
# any window opens.
set -uo pipefail
program=$1 version=$2
name=$(basename "$program")
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }
fail=0
out=$(run --version); status=$?
[ $status -eq 0 ] && [ "$out" = "$name $version" ] ||
    { echo "--version: status $status, output '$out'" >&2; fail=1; }
for help in --help -h; do
    out=$(run $help); status=$?
    [ $status -eq 0 ] && grep -q -- '--version' <<<"$out" ||
        { echo "$help: status $status, output '$out'" >&2; fail=1; }
done
for args in "--bogus" "a.apm b.apm"; do
    # shellcheck disable=SC2086
    err=$(run $args 2>&1 >/dev/null); status=$?
    [ $status -eq 2 ] && [ -n "$err" ] || { echo "$args: status $status, '$err'" >&2; fail=1; }
done
exit $fail
