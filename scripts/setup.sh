#!/usr/bin/env bash
# Installs the Debian packages kwzview needs, then configures and builds it.
# Idempotent: when every package is present it installs nothing.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${KWZ_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    libfreetype-dev libfontconfig-dev
    libturbojpeg0-dev libjpeg-turbo-progs
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    libv4l-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation2 fonts-wqy-microhei fonts-dejavu-core
    clang libclang-rt-14-dev
    xvfb xauth xdotool imagemagick ffmpeg python3-pil
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    SUDO=()
    if [[ $(id -u) -ne 0 ]]; then
        SUDO=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${SUDO[@]}" apt-get update -q
    "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [[ ! -f "$BUILD_DIR/build.ninja" ]]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j2
