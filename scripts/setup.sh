#!/usr/bin/env bash
# Installs the Debian packages kwzview needs, then configures and builds it.
# Idempotent: when every package is present it installs nothing. Works as root and as a
# user with sudo. KWZ_BUILD_DIR chooses the build folder (default: build/), KWZ_CMAKE_ARGS
# adds options to the first configure.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${KWZ_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev libgl-dev qt6-translations-l10n qt6-image-formats-plugins
    libfreetype-dev libfontconfig-dev
    libturbojpeg0-dev libjpeg-turbo-progs
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    libv4l-dev libtiff-dev libtiff-tools
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation2 fonts-wqy-microhei fonts-dejavu-core
    clang libclang-rt-14-dev
    xvfb xauth xdotool imagemagick ffmpeg python3-pil imagej
    desktop-file-utils appstream shared-mime-info xdg-utils librsvg2-bin
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
        if ! command -v sudo >/dev/null; then
            echo "setup: these packages are missing and installing them needs root or sudo:" >&2
            echo "  ${missing[*]}" >&2
            exit 1
        fi
        SUDO=(sudo)
    fi
    # sudo resets the environment, so the setting goes through env; the lock timeout rides
    # out an unattended upgrade that a fresh machine often runs at first boot.
    APT=("${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600)
    "${APT[@]}" update
    "${APT[@]}" install -y --no-install-recommends "${missing[@]}"
else
    echo "setup: all packages present"
fi

if [[ ! -f "$BUILD_DIR/build.ninja" ]]; then
    # shellcheck disable=SC2086
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KWZ_CMAKE_ARGS:-}
fi
cmake --build "$BUILD_DIR" -j2
