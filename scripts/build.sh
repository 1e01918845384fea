#!/usr/bin/env bash
# Installs what is missing (scripts/setup.sh), then configures and builds
# Vigilo, its tools and its tests in BUILD_DIR (default: build/), or only the
# TARGETs given. A build folder configured with other options, another
# dependency prefix, or before that prefix was last rebuilt is configured anew.
#   scripts/build.sh [BUILD_DIR [TARGET...]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
[ $# -eq 0 ] || shift
"$root/scripts/setup.sh"
. "$root/scripts/deps-prefix.sh"

options=(
    CMAKE_BUILD_TYPE=Release
    CMAKE_TOOLCHAIN_FILE="$VIGILO_TOOLCHAIN_FILE"
    VIGILO_DEPS_PREFIX="$VIGILO_DEPS_PREFIX"
    CMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh"
)
cache="$build/CMakeCache.txt"

cached_value() { sed -n "s/^$1:[A-Z]*=//p" "$cache"; }

configured_as_wanted() {
    local option
    [ -f "$cache" ] && [ "$cache" -nt "$VIGILO_DEPS_STAMP" ] || return 1
    for option in "${options[@]}"; do
        [ "$(cached_value "${option%%=*}")" = "${option#*=}" ] || return 1
    done
}

if ! configured_as_wanted; then
    [ ! -f "$cache" ] || echo "build: configuring $build anew (other options or dependency prefix)" >&2
    # A fresh cache: results found under another prefix or toolchain must not stay.
    rm -rf "$cache" "$build/CMakeFiles"
    cmake -S "$root" -B "$build" "${options[@]/#/-D}" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
