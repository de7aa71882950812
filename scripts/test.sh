#!/usr/bin/env bash
# Every test of the build in build/, headless; a window test also runs under a real X server.
set -euo pipefail
cd "$(dirname "$0")/.."
# Before the set-up has run there is no build folder yet: configure it as scripts/setup.sh does.
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
