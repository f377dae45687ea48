#!/usr/bin/env bash
# Builds TavrelREX (release) and starts it with the simulated card.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build/release"
program="$root/build/release/src/ui/tavrelrex"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
    echo "No display found. Run the program under a virtual display, for example:" >&2
    echo "    xvfb-run -a $program" >&2
    exit 1
fi
exec "$program" "$@"
