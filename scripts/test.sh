#!/usr/bin/env bash
# The one command that sets up, builds and runs every test under Wine, on an
# Xvfb of its own, in a private 64-bit prefix inside the build tree.
# Extra arguments go to ctest (for example -R settings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/build.sh" "$build"

. "$root/scripts/wine-env.sh" "$build"
trap vigilo_end_session EXIT
vigilo_begin_session own-display
# Serially: the tests share the settings key and the single-instance window.
cd "$build"
ctest --output-on-failure --timeout 300 -j1 "$@"
