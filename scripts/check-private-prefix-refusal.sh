#!/usr/bin/env bash
# Whole-program tests run only in the private Wine prefix of the scripts:
# with the prefix's marker put aside for a moment, a whole-program test must
# stop at once, run no test, say why, and exit non-zero.
#   scripts/check-private-prefix-refusal.sh BUILD_DIR PROGRAM_TEST.exe
# Runs inside the Wine session of scripts/test.sh.
set -euo pipefail
build=${1:?build folder}
program=${2:?a whole-program test}
. "$(dirname "$0")/wine-env.sh" "$build"
fail() { echo "FAILED: $*" >&2; exit 1; }

# Holds the prefix's test slot (the lock scripts/wine-run.sh takes) while
# its marker is aside, so that no other test runs there meanwhile.
exec {slot}>"$WINEPREFIX.lock"
flock "$slot"
[ -f "$VIGILO_PREFIX_MARKER" ] || fail "the private prefix has no marker $VIGILO_PREFIX_MARKER"
mv "$VIGILO_PREFIX_MARKER" "$VIGILO_PREFIX_MARKER.aside"
trap 'mv "$VIGILO_PREFIX_MARKER.aside" "$VIGILO_PREFIX_MARKER"' EXIT
status=0
output=$("${VIGILO_WINE:-wine}" "$program" </dev/null 2>&1) || status=$?
[ "$status" -ne 0 ] || fail "$program ran in a prefix without the marker"
grep -q '^Refusing to run' <<<"$output" || fail "$program said no reason: $output"
! grep -q '^\[ RUN' <<<"$output" || fail "$program started its tests"
echo "ok: refused with exit code $status: $output"
