#!/usr/bin/env bash
# The demo: builds Vigilo, runs it under Wine with the stand-in Purgeon on an
# Xvfb of its own, registers a made-up program under the machine-wide
# uninstall key, and saves a screenshot of the new-program window that
# appears: by default build/demo/new-program.png, and the whole screen beside
# it as new-program-screen.png. The README's picture was made with
#   scripts/demo.sh assets/screenshots/new-program.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out=${1:-$root/build/demo/new-program.png}
"$root/scripts/build.sh" "$build" >/dev/null

. "$root/scripts/wine-env.sh" "$build"
demo_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VigiloDemoPhotoEditor'
wine_run() { "$root/scripts/wine-run.sh" "$@"; }
cleanup() {
    wine_run reg delete "$demo_key" /f /reg:64 >/dev/null 2>&1 || true
    vigilo_end_session
}
trap cleanup EXIT
vigilo_begin_session own-display
wine_run reg delete "$demo_key" /f /reg:64 >/dev/null 2>&1 || true

echo "demo: starting Vigilo on $DISPLAY" >&2
wine_run "$build/bin/Vigilo.exe" >/dev/null 2>&1 </dev/null &
sleep 3
echo "demo: registering \"Demo Photo Editor 3\" under the machine-wide uninstall key" >&2
wine_run reg add "$demo_key" /v DisplayName /d "Demo Photo Editor 3" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v Publisher /d "Example Imaging Ltd" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v DisplayIcon /d 'C:\windows\system32\notepad.exe' /f /reg:64 >/dev/null

for _ in $(seq 1 30); do
    if xdotool search --onlyvisible --name '^New program notification$' >/dev/null 2>&1; then break; fi
    sleep 0.5
done
xdotool search --onlyvisible --name '^New program notification$' >/dev/null || { echo "demo: no window appeared" >&2; exit 1; }
sleep 0.5
mkdir -p "$(dirname "$out")"
import -window root -crop 410x258+1510+777 +repage "$out"
import -window root "${out%.png}-screen.png"
echo "demo: saved $out" >&2
