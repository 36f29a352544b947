#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# each one in turn for SECONDS seconds (default 60), starting from the seeds in fuzz/corpus/<target>.
# Usage: bash fuzz/run-fuzzers.sh [SECONDS] [TARGET...]   (targets: paint_file bmp png undo_files settings_file)
# New inputs go to <build>/corpus/<target>, crashing inputs to <build>/artifacts/<target>/.
# The build lives in build-fuzz/ (or $NURIMOKO_FUZZ_BUILD_DIR). Exits non-zero when a fuzzer found a fault.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(paint_file bmp png undo_files settings_file)
fi

bash "$here/scripts/install-deps.sh"
# The compiler and its fuzzer and sanitizer runtimes, only needed here.
need=()
for p in clang libclang-rt-14-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    need+=("$p")
  fi
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

build="${NURIMOKO_FUZZ_BUILD_DIR:-$here/build-fuzz}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DNURIMOKO_FUZZ=ON -DNURIMOKO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target $(printf 'fuzz_%s ' "${targets[@]}") --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$t for ${seconds}s"
  # One fuzzer at a time: the machine is shared. The working corpus starts from the committed seeds.
  if ! "$build/fuzz/fuzz_$t" "$corpus" "$here/fuzz/corpus/$t" -max_total_time="$seconds" -timeout=30 \
    -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    >"$build/fuzz_$t.log" 2>&1; then
    echo "fuzz_$t found a fault; see $build/fuzz_$t.log and $artifacts/"
    status=1
  fi
  grep -E '^#[0-9]+.*(DONE|cov:)' "$build/fuzz_$t.log" | tail -1 || true
  grep -E '^stat::number_of_executed_units' "$build/fuzz_$t.log" || true
done
exit $status
