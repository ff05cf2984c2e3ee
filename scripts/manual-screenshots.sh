#!/usr/bin/env bash
# Renews the manual's screenshots (Doc/images) from a built program: starts it under an X
# server of its own with the deterministic simulated camera, in Simplified Chinese and in
# English, and drives it as a user would. Builds nothing; run it after changing the interface
# and commit the pictures with the change. About three minutes.
#   scripts/manual-screenshots.sh [KWZVIEW] [--debug FOLDER] [--language zh|en]
# KWZVIEW defaults to build/bin/kwzview; --debug keeps every full screenshot.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PROGRAM="$ROOT/build/bin/kwzview"
if [[ $# -gt 0 && "$1" != --* ]]; then
    PROGRAM="$1"
    shift
fi
# The system's interpreter: that is where python3-pil is installed.
PYTHON=/usr/bin/python3
[[ -x "$PYTHON" ]] || PYTHON="$(command -v python3 || true)"
missing=()
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [[ -z "$PYTHON" ]] || ! "$PYTHON" -c 'import PIL.ImageGrab' 2>/dev/null; then
    missing+=("python3 with PIL")
fi
if ((${#missing[@]})); then
    echo "manual-screenshots: missing ${missing[*]} (scripts/setup.sh installs them)" >&2
    exit 1
fi
if [[ ! -x "$PROGRAM" ]]; then
    echo "manual-screenshots: no program at $PROGRAM; build first (scripts/setup.sh)" >&2
    exit 1
fi
exec "$PYTHON" "$ROOT/scripts/manual_screenshots.py" "$PROGRAM" "$ROOT/Doc/images" "$@"
