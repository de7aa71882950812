#!/usr/bin/env bash
# Set-up on a bare Debian 12 machine, as root: the build tools and libraries from Debian's
# packages, then a build of everything (module, libraries, console, tests) in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libqt6sql6-sqlite qt6-tools-dev qt6-l10n-tools
    xvfb xauth openbox tzdata fonts-dejavu-core adwaita-icon-theme
    libbenchmark-dev clang libclang-rt-14-dev
    dpkg-dev desktop-file-utils
)
if [ "$(id -u)" -eq 0 ]; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${packages[@]}"
else
    echo "Not root: skipping the package installation (needs: ${packages[*]})" >&2
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
