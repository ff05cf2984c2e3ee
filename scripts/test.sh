#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest.
# Extra arguments go to ctest (for example -R Profo).
#
# --sanitize (first argument): the same in build-asan/ (or KWZ_BUILD_DIR), built with
# AddressSanitizer and UndefinedBehaviorSanitizer; the test configuration gives every test the
# sanitizer options and suppressions. Add -DKWZ_BUILD_APP=OFF to KWZ_CMAKE_ARGS for the
# libraries and their tests alone.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [[ "${1:-}" == "--sanitize" ]]; then
    shift
    export KWZ_BUILD_DIR="${KWZ_BUILD_DIR:-$ROOT/build-asan}"
    export KWZ_CMAKE_ARGS="-DKWZ_SANITIZE=ON -DKWZ_BUILD_BENCH=OFF ${KWZ_CMAKE_ARGS:-}"
fi
BUILD_DIR="${KWZ_BUILD_DIR:-$ROOT/build}"
bash "$ROOT/scripts/setup.sh"
# Program tests run without a display; tests that look at real windows start Xvfb themselves.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error -j2 --timeout 600 "$@"
