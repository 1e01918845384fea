#!/usr/bin/env bash
# The one command that sets up, builds and runs every test under Wine, each
# test program in one of VIGILO_TEST_JOBS (default 3) private 64-bit prefixes
# inside the build tree, each with an Xvfb of its own.
# Extra arguments go to ctest (for example -R settings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/build.sh" "$build"

. "$root/scripts/wine-env.sh" "$build"
trap vigilo_end_session EXIT
vigilo_begin_session own-display
# Tests of one prefix share its settings key and single-instance window, so
# each prefix runs one test program at a time; the prefixes run side by side.
jobs=${VIGILO_TEST_JOBS:-3}
vigilo_begin_test_slots "$jobs"
cd "$build"
ctest --output-on-failure --timeout 300 -j"$jobs" "$@"
