#!/usr/bin/env bash
# Runs a Windows program under Wine, but never without a private prefix: a
# stray run would create one in the home folder.
#
# Under scripts/test.sh, VIGILO_TEST_SLOTS lists the test slots, each a
# private prefix with a wineserver and an Xvfb of its own ("PREFIX DISPLAY"
# per line). A test program then runs in the first slot no other test holds:
# tests in different slots share no registry, window, tray or settings key,
# so CTest runs as many at once as there are slots.
if [ -n "${VIGILO_TEST_SLOTS:-}" ]; then
    while read -r prefix display; do
        exec {lock}>"$prefix.lock"
        if flock -n "$lock"; then
            export WINEPREFIX="$prefix" DISPLAY="$display"
            "${VIGILO_WINE:-wine}" "$@"
            exit $?  # the slot is free again once this script ends
        fi
        exec {lock}>&-
    done <<<"$VIGILO_TEST_SLOTS"
    echo "wine-run: every test slot is taken; run CTest with no more jobs than slots" >&2
    exit 2
fi
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run: WINEPREFIX is not set; refusing to run Wine" >&2
    exit 2
fi
exec "${VIGILO_WINE:-wine}" "$@"
