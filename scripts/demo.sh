#!/usr/bin/env bash
# The demo: builds Vigilo, runs it under Wine with the stand-in Purgeon on an
# Xvfb of its own, registers a made-up program under the machine-wide
# uninstall key, and saves a screenshot of the new-program window that
# appears: by default build/demo/new-program.png, and the whole screen beside
# it as new-program-screen.png. Then it closes that window, adds a made-up
# startup entry to the user's Run key, and saves the startup window that
# appears beside it as startup.png (and startup-screen.png). Once that has
# gone, it fills the Internet cache folder with a few hundred megabytes of
# (sparse) junk and delivers the ten-minute timer's tick at once, as the
# timer's own message: the junk window is saved as junk.png. The README's
# pictures were made with
#   scripts/demo.sh assets/screenshots/new-program.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out=${1:-$root/build/demo/new-program.png}
"$root/scripts/build.sh" "$build" >/dev/null

. "$root/scripts/wine-env.sh" "$build"
demo_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VigiloDemoPhotoEditor'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value='Demo Cloud Sync'
startup_out="$(dirname "$out")/startup.png"
junk_folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache/VigiloDemo"
junk_out="$(dirname "$out")/junk.png"
wine_run() { "$root/scripts/wine-run.sh" "$@"; }
cleanup() {
    wine_run reg delete "$demo_key" /f /reg:64 >/dev/null 2>&1 || true
    wine_run reg delete "$run_key" /v "$run_value" /f >/dev/null 2>&1 || true
    rm -rf "$junk_folder"
    vigilo_end_session
}
trap cleanup EXIT
vigilo_begin_session own-display
wine_run reg delete "$demo_key" /f /reg:64 >/dev/null 2>&1 || true
wine_run reg delete "$run_key" /v "$run_value" /f >/dev/null 2>&1 || true

# Waits up to 15 s for a visible window titled $1.
wait_for_window() {
    for _ in $(seq 1 30); do
        if xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; then return 0; fi
        sleep 0.5
    done
    echo "demo: no window \"$1\" appeared" >&2
    return 1
}
# Saves the notification window at the bottom right (height $2, default 238),
# with a margin, and the whole screen.
save_window() {
    local height=${2:-238}
    mkdir -p "$(dirname "$1")"
    import -window root -crop "410x$((height + 20))+1510+$((1080 - 65 - height))" +repage "$1"
    import -window root "${1%.png}-screen.png"
    echo "demo: saved $1" >&2
}

echo "demo: starting Vigilo on $DISPLAY" >&2
wine_run "$build/bin/Vigilo.exe" >/dev/null 2>&1 </dev/null &
sleep 3
echo "demo: registering \"Demo Photo Editor 3\" under the machine-wide uninstall key" >&2
wine_run reg add "$demo_key" /v DisplayName /d "Demo Photo Editor 3" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v Publisher /d "Example Imaging Ltd" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v DisplayIcon /d 'C:\windows\system32\notepad.exe' /f /reg:64 >/dev/null

wait_for_window "New program notification"
sleep 0.5
save_window "$out"

echo "demo: closing it, then adding \"$run_value\" to the user's Run key" >&2
xdotool mousemove 1900 792 click 1  # the close cross
sleep 1
xdotool mousemove 10 10
wine_run reg add "$run_key" /v "$run_value" /d 'C:\Program Files\Demo Cloud\sync.exe --background' /f >/dev/null
wait_for_window "Startup notification"
sleep 0.5
save_window "$startup_out"

# One notification at a time: the startup window's 20 seconds end first.
for _ in $(seq 1 60); do
    xdotool search --name '^Startup notification$' >/dev/null 2>&1 || break
    sleep 0.5
done
echo "demo: putting 892 MB of junk into the Internet cache folder; the last junk notification was long ago" >&2
mkdir -p "$junk_folder/entries"
truncate -s 812345678 "$junk_folder/entries/2F9A01C4"
truncate -s 123456789 "$junk_folder/entries/77D3B0E2"
wine_run reg add 'HKCU\Software\Purgeon' /v LastCacheNotification /t REG_BINARY /d 0000000000000000 /f /reg:64 >/dev/null
echo "demo: delivering the junk timer's tick (WM_TIMER, timer 1) to Vigilo" >&2
wine_run "$build/bin/post_message.exe" TForm1 Vigilo 0x113 1 0
wait_for_window "Cache notifications"
sleep 0.5
save_window "$junk_out" 270
