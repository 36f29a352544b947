#!/bin/sh
# Builds the benchmarks in their own optimised build folder and prints the median of five runs of each,
# then how many times faster the fast path is than the plain one for the heavy painting.
# Usage: bench/run.sh [extra benchmark options, e.g. --benchmark_filter=Dab]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${NURIMOKO_BENCH_BUILD:-$root/build-bench}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNURIMOKO_BUILD_BENCH=ON \
  -DNURIMOKO_BUILD_GUI=OFF >/dev/null
cmake --build "$build" --target nurimoko_bench -j2 >/dev/null
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg), hardware threads: $(nproc)"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$build/bench/nurimoko_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_display_aggregates_only=true "$@" 2>&1 | grep -v -e '_mean ' -e '_stddev ' -e '_cv ' | tee "$out"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
# Plain path (fast:0) over fast path (fast:1), from the medians of the wall-clock times.
awk '
  $1 ~ /^BM_Heavy(Load|Render|LoadAndRender)\/fast:[01]\/.*_median$/ {
    split($1, part, "/"); name = part[1]; sub(/^BM_Heavy/, "", name)
    path = part[2]; time = $2
    if ($3 == "s") time *= 1000
    if ($3 == "us") time /= 1000
    ms[name, path] = time; seen[name] = 1
  }
  END {
    n = split("Load Render LoadAndRender", names, " ")
    for (i = 1; i <= n; i++) {
      k = names[i]
      if ((k, "fast:0") in ms && (k, "fast:1") in ms && ms[k, "fast:1"] > 0)
        printf "%-14s plain %9.1f ms   fast %9.1f ms   fast is %.2f x faster\n", k, ms[k, "fast:0"],
               ms[k, "fast:1"], ms[k, "fast:0"] / ms[k, "fast:1"]
    }
  }' "$out"
