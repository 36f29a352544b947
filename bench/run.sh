#!/bin/sh
# Builds the benchmarks in their own optimised build folder and prints the median of five runs of each.
# Usage: bench/run.sh [extra benchmark options, e.g. --benchmark_filter=Dab]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${NURIMOKO_BENCH_BUILD:-$root/build-bench}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNURIMOKO_BUILD_BENCH=ON \
  -DNURIMOKO_BUILD_GUI=OFF >/dev/null
cmake --build "$build" --target nurimoko_bench -j2 >/dev/null
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), hardware threads: $(nproc)"
"$build/bench/nurimoko_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_display_aggregates_only=true "$@" 2>&1 | grep -v -e '_mean ' -e '_stddev ' -e '_cv '
