#!/usr/bin/env bash
# Builds Vigilo and runs it under Wine with the stand-in Purgeon beside it:
# on the user's display when there is one, otherwise on an Xvfb of its own.
# Ends when Vigilo ends (tray menu "Exit"), or on Ctrl+C.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/build.sh" "$build" >/dev/null

. "$root/scripts/wine-env.sh" "$build" wineprefix-run
trap vigilo_end_session EXIT
[ -n "${DISPLAY:-}" ] || echo "run: no display; Vigilo runs on an Xvfb of its own" >&2
vigilo_begin_session
echo "run: Vigilo is running (tray icon \"Purgeon\"); choose Exit in its menu or press Ctrl+C" >&2
"$root/scripts/wine-run.sh" "$build/bin/Vigilo.exe"
