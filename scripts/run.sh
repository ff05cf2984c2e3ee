#!/usr/bin/env bash
# Installs what is missing, builds everything and starts kwzview. The camera is the
# simulated one unless KWZ_CAMERA names a V4L2 device. Arguments go to the program.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${KWZ_BUILD_DIR:-$ROOT/build}"
bash "$ROOT/scripts/setup.sh"
PROGRAM="$BUILD_DIR/bin/kwzview"
if [[ ! -x "$PROGRAM" ]]; then
    echo "kwzview: the program is not built yet; the libraries and tests are."
    exit 0
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "kwzview: no display; starting it under xvfb-run (stop it with Ctrl+C)"
    exec xvfb-run -a "$PROGRAM" "$@"
fi
exec "$PROGRAM" "$@"
