#!/usr/bin/env bash
# Runs a Windows program under Wine, but never without a private prefix: a
# stray run would create one in the home folder.
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run: WINEPREFIX is not set; refusing to run Wine" >&2
    exit 2
fi
exec wine "$@"
