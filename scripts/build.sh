#!/usr/bin/env bash
# Installs what is missing, then configures and builds Vigilo, its tools and
# its tests in BUILD_DIR (default: build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
deps=$("$root/scripts/setup.sh")
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
        -DVIGILO_DEPS_PREFIX="$deps" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
