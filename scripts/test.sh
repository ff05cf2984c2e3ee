#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest.
# Extra arguments go to ctest (for example -R Profo).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${KWZ_BUILD_DIR:-$ROOT/build}"
bash "$ROOT/scripts/setup.sh"
# Program tests run without a display; tests that look at real windows start Xvfb themselves.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error -j2 --timeout 600 "$@"
