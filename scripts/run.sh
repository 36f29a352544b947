#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/build.sh"
exec "${NURIMOKO_BUILD_DIR:-$here/build}/nurimoko" "$@"
