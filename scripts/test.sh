#!/usr/bin/env bash
# The one command that sets up, builds and runs every test under Wine, on an
# Xvfb of its own, in a private 64-bit prefix inside the build tree.
# Extra arguments go to ctest (for example -R settings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/build.sh" "$build"

. "$root/scripts/wine-env.sh" "$build"
cleanup() {
    wineserver -k 2>/dev/null || true
    vigilo_stop_xvfb
}
trap cleanup EXIT
vigilo_start_xvfb
vigilo_ensure_prefix
# One wineserver for the whole run: each program then starts in about 0.1 s.
wineserver -p
# Wine's own services start with the first program of a session and inherit
# its output; start them here, so that no test's output pipe is held open.
"$root/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 </dev/null
# Serially: the tests share the settings key and the single-instance window.
cd "$build"
ctest --output-on-failure --timeout 300 -j1 "$@"
