#!/bin/sh
# The live measurement's memory per sample, the charts/no-charts throughput and the chart
# replot figures of an earlier commit and of this tree, from Release builds, run in turns
# (before, after, before, after) so a busy machine weighs on both alike.
#   bench/live-charts-before-after.sh [COMMIT]   (default: the charts that kept a point a sample)
set -eu
base=${1:-ed6e5c4}
root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
src="$root/build/bench-base-src"
rm -rf "$src"
mkdir -p "$src"
git -C "$root" archive "$base" | tar -x -C "$src"
for tree in "$src" "$root"; do
    cmake -S "$tree" -B "$tree/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DTAVREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$tree/build/bench" --target measurement_bench chart_replot_bench >/dev/null
done
export QT_QPA_PLATFORM=offscreen
for round in 1 2; do
    for side in before after; do
        if [ "$side" = before ]; then bin="$src/build/bench/bench"; else bin="$root/build/bench/bench"; fi
        echo "== $side ($([ "$side" = before ] && echo "$base" || echo this tree)), round $round"
        "$bin/measurement_bench" throughput 2>/dev/null
        if [ "$round" = 1 ]; then
            "$bin/measurement_bench" memory 2>/dev/null
            "$bin/chart_replot_bench" 2>/dev/null
        fi
    done
done
