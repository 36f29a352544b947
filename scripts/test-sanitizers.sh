#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/ and runs every
# test there, GUI tests included (headless). Extra arguments go to CMake, as with scripts/test.sh.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export NURIMOKO_BUILD_DIR="${NURIMOKO_BUILD_DIR:-$here/build-asan}"
# Any report fails the test that caused it.
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec bash "$here/scripts/test.sh" -DNURIMOKO_SANITIZE=ON "$@"
