#!/usr/bin/env bash
# Makes (or, with "remove", removes) a folder link that loops in the Internet
# cache of every test prefix of a build: INetCache\VigiloLoopTest\loop points
# back up at INetCache. A junk walk that follows links would go round it
# until its paths grow too long. Wine cannot make such a link from a Windows
# program (CreateSymbolicLink answers TRUE and makes nothing), so CTest makes
# it from the Linux side, as a fixture of the test that walks it.
#   scripts/junk-loop-links.sh BUILD_DIR [remove]
set -euo pipefail
build=${1:?build folder}
action=${2:-make}
shopt -s nullglob
for cache in "$build"/wineprefix "$build"/wineprefix-[0-9]*; do
    for inet in "$cache"/drive_c/users/*/AppData/Local/Microsoft/Windows/INetCache; do
        [[ $inet == */users/Public/* ]] && continue
        rm -rf "$inet/VigiloLoopTest"
        if [ "$action" != remove ]; then
            mkdir -p "$inet/VigiloLoopTest"
            ln -s .. "$inet/VigiloLoopTest/loop"
        fi
    done
done
