#!/usr/bin/env bash
# Installs the Debian packages that the build, the tools and the tests need; only what is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ninja-build
    clang libclang-rt-14-dev clang-format
    libsdl2-dev libopenmpt-dev libvorbis-dev libogg-dev
    libpng-dev libjpeg-dev zlib1g-dev
    libfreetype-dev fonts-dejavu-core libcairo2-dev libpixman-1-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick openbox x11-utils
    appstream desktop-file-utils python3
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
