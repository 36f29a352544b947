#!/usr/bin/env bash
# Cross-builds the core, nurimoko-render, nurimoko-sample and every core test for 64-bit Windows with
# MinGW-w64 and runs them under Wine: every core test, then nurimoko-render and nurimoko-sample on
# documents and pictures whose folder and file names are Japanese, each Windows result compared byte
# for byte with the Linux build's. The Qt layer is not built for Windows here.
#
#   bash scripts/test-windows.sh        (build folder: build-windows/, or $NURIMOKO_WINDOWS_BUILD_DIR)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${NURIMOKO_WINDOWS_BUILD_DIR:-$here/build-windows}"
jobs="$(nproc)"
started=$SECONDS

bash "$here/scripts/install-deps.sh" windows

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
toolchain="$here/cmake/mingw-w64-x86_64.cmake"
deps="$out/deps"

wine="$(command -v wine64 || true)"
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver="$(command -v wineserver || true)"
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver64
# A Wine of its own in the build folder, quiet, with UTF-8 command lines.
export WINEPREFIX="$out/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
mkdir -p "$out" "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Setting up a new Wine folder takes a while: done once here, not inside the first test's time.
  "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wineserver" -w
fi
# No lasting Wine server: Wine's own background programs would keep the output pipes of the tests open.
trap '"$wineserver" -k 2>/dev/null || true' EXIT

step() { printf '\n== %s (%ds)\n' "$1" "$((SECONDS - started))"; }

step "GoogleTest for Windows"
if [ ! -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$out/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" "${launcher[@]}" >/dev/null
  cmake --build "$out/googletest" --parallel "$jobs"
  cmake --install "$out/googletest" >/dev/null
fi

step "libpng for Windows"
# libpng for MinGW is not packaged: it is built from Debian's source package with the same compiler
# (zlib comes from libz-mingw-w64-dev). The source comes through apt from the system's own Debian
# archive, using a private list of sources, so the system's apt setup stays as it is.
if [ ! -f "$deps/lib/libpng.a" ]; then
  apt_dir="$out/apt"
  rm -rf "$apt_dir" "$out/libpng-source"
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$out/libpng-source"
  : >"$apt_dir/sources.list"
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb [^ ]+/debian(-security)?/? ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$apt_dir/sources.list" || true
  fi
  for f in /etc/apt/sources.list.d/*.sources; do
    if [ -f "$f" ] && grep -q debian-archive-keyring "$f"; then
      sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
    fi
  done
  apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
               -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
  apt-get "${apt_options[@]}" update -qq
  # The release's own version first (a security mirror may list a newer one that it does not hold).
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
  (cd "$out/libpng-source" && { apt-get "${apt_options[@]}" source -qq "libpng1.6/$codename" >/dev/null 2>&1 ||
    apt-get "${apt_options[@]}" source -qq libpng1.6 >/dev/null 2>&1; })
  png_source="$(find "$out/libpng-source" -mindepth 1 -maxdepth 1 -type d -name 'libpng*' | head -1)"
  cmake -S "$png_source" -B "$out/libpng" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF "${launcher[@]}" >/dev/null
  cmake --build "$out/libpng" --parallel "$jobs" >/dev/null
  cmake --install "$out/libpng" >/dev/null
fi

step "core, tools and core tests for Windows"
cmake -S "$here" -B "$out/nurimoko" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNURIMOKO_BUILD_GUI=OFF -DNURIMOKO_WINDOWS_DEPS="$deps" \
  "${launcher[@]}" >/dev/null
cmake --build "$out/nurimoko" --parallel "$jobs"

step "the same tools for Linux, to compare with"
cmake -S "$here" -B "$out/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNURIMOKO_BUILD_GUI=OFF \
  -DNURIMOKO_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$out/linux" --parallel "$jobs" --target nurimoko-render nurimoko-sample

step "every core test under Wine"
(cd "$out/nurimoko" && ctest --output-on-failure --parallel "$jobs" --timeout 600)

step "nurimoko-render and nurimoko-sample under Wine"
win_render="$out/nurimoko/tools/nurimoko-render.exe"
win_sample="$out/nurimoko/tools/nurimoko-sample.exe"
linux_render="$out/linux/tools/nurimoko-render"
linux_sample="$out/linux/tools/nurimoko-sample"
checks="$out/checks"
rm -rf "$checks"
mkdir -p "$checks/絵" "$checks/linux"
cd "$checks"
passed=0
failed=0
check() { # what is checked, then the command; the command's output goes to check.log
  local what="$1"
  shift
  if "$@" >check.log 2>&1; then
    passed=$((passed + 1))
    echo "ok: $what"
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    sed 's/^/    /' check.log
  fi
}
win() { "$wine" "$@"; }
same() { cmp "$1" "$2"; }
# The same strokes painted by the Windows and the Linux tools (the simple brush has no randomness).
check "Windows nurimoko-sample paints 絵/輪.mb as the Linux one paints it, byte for byte" bash -c '
  "$1" --brush simple --path line --out linux/輪.mb && "$2" "$3" --brush simple --path line --out 絵/輪.mb &&
  cmp 絵/輪.mb linux/輪.mb' _ "$linux_sample" "$wine" "$win_sample"
check "and the same picture 絵/見本.bmp" bash -c '
  "$1" --brush simple --path polyline --out linux/見本.bmp && "$2" "$3" --brush simple --path polyline --out 絵/見本.bmp &&
  cmp 絵/見本.bmp linux/見本.bmp' _ "$linux_sample" "$wine" "$win_sample"
# Brushes whose patterns use sin and cos lay some metaballs a last bit apart on Windows: the C
# libraries round those functions differently. Shown, not checked.
"$linux_sample" --brush bellows --path curve --out linux/蛇腹.mb
win "$win_sample" --brush bellows --path curve --out 絵/蛇腹.mb
echo "note: a bellows stroke painted on Windows and on Linux differs in $(cmp -l 絵/蛇腹.mb linux/蛇腹.mb | wc -l) of $(stat -c %s linux/蛇腹.mb) bytes"

# One painted document for both renders.
check "Linux nurimoko-sample paints a document" "$linux_sample" --brush bellows --path curve --out linux/作品.mb
cp linux/作品.mb 絵/作品.mb

# Rendering a document: the same bytes on Windows and Linux.
check "Windows nurimoko-render renders 絵/作品.mb into 絵/作品.bmp" win "$win_render" 絵/作品.mb 絵/作品.bmp
check "Linux nurimoko-render renders the same document" "$linux_render" linux/作品.mb linux/作品.bmp
check "the Windows render equals the Linux render byte for byte" same 絵/作品.bmp linux/作品.bmp
check "without anti-aliasing too" bash -c '
  "$1" "$2" --no-antialias 絵/作品.mb 絵/作品-粗.bmp && "$3" --no-antialias linux/作品.mb linux/作品-粗.bmp &&
  cmp 絵/作品-粗.bmp linux/作品-粗.bmp && ! cmp -s 絵/作品-粗.bmp 絵/作品.bmp' _ "$wine" "$win_render" "$linux_render"
check "Windows writes 絵/作品.png with the same bytes as Linux" bash -c '
  "$1" "$2" 絵/作品.mb 絵/作品.png && "$3" linux/作品.mb linux/作品.png && cmp 絵/作品.png linux/作品.png' \
  _ "$wine" "$win_render" "$linux_render"
check "Windows --info counts the document's metaballs as Linux does" bash -c '
  w=$("$1" "$2" --info 絵/作品.mb | tr -d "\r" | grep "^metaballs:") &&
  l=$("$3" --info linux/作品.mb | grep "^metaballs:") && echo "$w / $l" && [ "$w" = "$l" ] &&
  [ "${w#metaballs: }" -gt 100 ]' _ "$wine" "$win_render" "$linux_render"

# A BMP picture with a Japanese name becomes a document and a picture again.
check "Windows nurimoko-render makes a document of 絵/見本.bmp" win "$win_render" 絵/見本.bmp 絵/下絵.mb
check "that document renders back to the same picture" bash -c '
  "$1" "$2" 絵/下絵.mb 絵/下絵.bmp && cmp 絵/下絵.bmp 絵/見本.bmp' _ "$wine" "$win_render"
check "Linux reads the Windows document and writes the same bytes back" bash -c '
  "$1" 絵/下絵.mb linux/下絵.mb && cmp linux/下絵.mb 絵/下絵.mb' _ "$linux_render"
check "saving over an existing document with a Japanese name replaces it" bash -c '
  "$1" "$2" 絵/作品.mb 絵/下絵.mb && cmp 絵/下絵.mb 絵/作品.mb && [ "$(ls 絵 | grep -c tmp)" -eq 0 ]' \
  _ "$wine" "$win_render"
check "the Japanese names are on the disc as written" bash -c '
  for f in 作品.mb 作品.bmp 作品-粗.bmp 作品.png 輪.mb 見本.bmp 下絵.mb 下絵.bmp; do [ -f "絵/$f" ] || exit 1; done'
check "a missing Japanese file is reported (exit 1) and nothing is written" bash -c '
  code=0; "$1" "$2" 絵/無い.mb 絵/無い.bmp || code=$?; [ "$code" -eq 1 ] && [ ! -e 絵/無い.bmp ]' \
  _ "$wine" "$win_render"

step "done"
echo "time: $((SECONDS - started)) s"
echo "tools: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
