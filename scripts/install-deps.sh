#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program.
# Only missing packages are installed; running it again is cheap.
#   install-deps.sh           the Linux build and its tests
#   install-deps.sh windows   in addition the Windows cross-build of the core and tools and Wine to
#                             run their tests (scripts/test-windows.sh)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk qt6-translations-l10n
  xvfb xauth
  desktop-file-utils shared-mime-info
)
if [ "${1:-}" = windows ]; then
  # googletest: GoogleTest's sources (/usr/src/googletest), built with the cross compiler;
  # libz-mingw-w64-dev: zlib for Windows, which libpng (built from Debian's source) needs.
  packages+=(g++-mingw-w64-x86-64-posix googletest libz-mingw-w64-dev dpkg-dev wine64)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
