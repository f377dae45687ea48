#!/usr/bin/env bash
# check-manpages.sh PAGE...: groff formats every page without a warning.
set -uo pipefail
command -v groff >/dev/null || { echo "groff is not installed: skipped"; exit 77; }
fail=0
for page in "$@"; do
    warnings=$(LC_ALL=C.UTF-8 groff -ww -z -man -K utf8 "$page" 2>&1 >/dev/null)
    if [ $? -ne 0 ] || [ -n "$warnings" ]; then
        echo "$page: $warnings" >&2
        fail=1
    fi
    # Each option of OPTIONS starts its own tagged paragraph: an option line right after the
    # end of a sentence lacks its .TP and runs into the text before it.
    untagged=$(awk '/^\.SH/ { options = ($2 == "OPTIONS") }
        options && /^\.(B|BI|BR) \\-/ && previous ~ /\.$/ && previous !~ /^\./ { print FNR ": " $0 }
        { previous = $0 }' "$page")
    [ -z "$untagged" ] || { echo "$page: option without .TP: $untagged" >&2; fail=1; }
    # The page names what it documents.
    grep -q '^\.SH EXIT STATUS' "$page" || { echo "$page: no EXIT STATUS" >&2; fail=1; }
done
exit $fail
