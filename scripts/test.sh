#!/usr/bin/env bash
# Every test of the build in build/, headless; a window test also runs under a real X server.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
