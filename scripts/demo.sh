#!/usr/bin/env bash
# The demo: builds Vigilo, runs it under Wine with the stand-in Purgeon on an
# Xvfb of its own, and raises two notifications, saving a screenshot of each
# window (and of the whole screen beside it, as *-screen.png) into a folder,
# build/demo by default:
#   new-program.png  a made-up program registered under the machine-wide
#                    uninstall key; the window is then closed by its cross;
#   extension.png    a made-up Internet Explorer toolbar button registered.
# The README's pictures were made with
#   scripts/demo.sh assets/screenshots
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out=$(mkdir -p "${1:-$root/build/demo}" && cd "${1:-$root/build/demo}" && pwd)
"$root/scripts/build.sh" "$build" >/dev/null

. "$root/scripts/wine-env.sh" "$build"
program_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VigiloDemoPhotoEditor'
extensions_key='HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions'
button_key="$extensions_key\\{0D3E1A52-7C4B-4E8D-9A61-5B2F8C9D0E17}"
wine_run() { "$root/scripts/wine-run.sh" "$@"; }
forget_demo_keys() {
    wine_run reg delete "$program_key" /f /reg:64 >/dev/null 2>&1 || true
    wine_run reg delete "$button_key" /f /reg:64 >/dev/null 2>&1 || true
}
cleanup() {
    forget_demo_keys
    vigilo_end_session
}
trap cleanup EXIT
vigilo_begin_session own-display
forget_demo_keys
# Vigilo watches the keys that exist when it starts.
wine_run reg add "$extensions_key" /f /reg:64 >/dev/null

# Waits for a visible window titled $1 and saves the crop $2 of the screen as $3.png.
capture() {
    for _ in $(seq 1 40); do
        if xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; then break; fi
        sleep 0.5
    done
    xdotool search --onlyvisible --name "^$1\$" >/dev/null || { echo "demo: no \"$1\" window appeared" >&2; exit 1; }
    sleep 0.5
    import -window root -crop "$2" +repage "$out/$3.png"
    import -window root "$out/$3-screen.png"
    echo "demo: saved $out/$3.png" >&2
}

echo "demo: starting Vigilo on $DISPLAY" >&2
wine_run "$build/bin/Vigilo.exe" >/dev/null 2>&1 </dev/null &
sleep 3
echo "demo: registering \"Demo Photo Editor 3\" under the machine-wide uninstall key" >&2
wine_run reg add "$program_key" /v DisplayName /d "Demo Photo Editor 3" /f /reg:64 >/dev/null
wine_run reg add "$program_key" /v Publisher /d "Example Imaging Ltd" /f /reg:64 >/dev/null
wine_run reg add "$program_key" /v DisplayIcon /d 'C:\windows\system32\notepad.exe' /f /reg:64 >/dev/null
capture 'New program notification' 410x258+1510+777 new-program

# Its close cross, at the top right of the window (1515, 782 on this screen).
xdotool mousemove 1900 792 click 1
echo "demo: registering a toolbar button for Internet Explorer" >&2
wine_run reg add "$button_key" /v ButtonText /d "Demo Translate" /f /reg:64 >/dev/null
capture 'Extension notification' 410x290+1510+745 extension
