#!/usr/bin/env bash
# Builds everything and runs every test (GUI tests run headless).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/build.sh" "$@"
export QT_QPA_PLATFORM=offscreen
cd "${NURIMOKO_BUILD_DIR:-$here/build}"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
