#!/usr/bin/env bash
# validate.sh TOOL ARGS...: runs a validator; status 77 (skipped) when it is not installed.
command -v "$1" >/dev/null || { echo "$1 is not installed: skipped"; exit 77; }
exec "$@"
