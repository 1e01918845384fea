#!/usr/bin/env bash
# The demo: builds Vigilo, runs it under Wine with the stand-in Purgeon on an
# Xvfb of its own, and raises five notifications one after the other, saving
# a screenshot of each window (and of the whole screen beside it, as
# *-screen.png):
#   new-program.png  a made-up program registered under the machine-wide
#                    uninstall key (by default build/demo/new-program.png),
#                    its file signed at demo time by a test root, so that the
#                    window says who signed it;
#   startup.png      a made-up startup entry added to the user's Run key,
#                    with the link that disables it at Windows start-up (Wine
#                    is told that Vigilo runs on Windows 10, where it can);
#   startup-turned-back-on.png  the same entry, disabled at start-up and then
#                    enabled again behind the user's back;
#   startup-menu.png that window's menu, opened with a right click;
#   extension.png    a made-up Internet Explorer toolbar button registered;
#   extension-edge.png  a made-up extension's folder added to Microsoft
#                    Edge's default profile;
#   junk.png         892 MB of sparse files in the Internet cache folder, and
#                    the junk timer's tick delivered at once, as the timer's
#                    own message (tools/post_message), not ten minutes later.
# Each window is closed by its cross before the next finding. Then
#   tray-menu.png    the tray menu opened on Wine's system tray, with its
#                    submenu "Recent findings" listing the five findings.
# Then the findings window opens, as the submenu's last item "All
# findings..." opens it (its command delivered by tools/post_message), with
# the startup entry's row selected, and "Don't show this again" is pressed:
#   findings.png     the Findings tab, the five findings newest first;
#   findings-ignored.png  the Ignored tab with the rule just added, which the
#                    demo then removes.
# Then Vigilo starts again at 144 DPI (Wine takes a program's DPI from
# HKCU\Control Panel\Desktop\LogPixels when it starts; the demo puts it back
# at its end) and the new program, the startup entry, the toolbar button and
# the junk come again, and the findings window opens once more:
#   new-program-144.png, startup-144.png, extension-144.png, junk-144.png,
#   findings-144.png, findings-ignored-144.png.
# The README's
# pictures were made with
#   scripts/demo.sh assets/screenshots/new-program.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out=${1:-$root/build/demo/new-program.png}
"$root/scripts/build.sh" "$build" >/dev/null

. "$root/scripts/wine-env.sh" "$build" wineprefix-run
demo_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VigiloDemoPhotoEditor'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value='Demo Cloud Sync'
startup_out="$(dirname "$out")/startup.png"
approved_run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
reenabled_out="$(dirname "$out")/startup-turned-back-on.png"
menu_out="$(dirname "$out")/startup-menu.png"
extensions_key='HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions'
button_key="$extensions_key\\{0D3E1A52-7C4B-4E8D-9A61-5B2F8C9D0E17}"
extension_out="$(dirname "$out")/extension.png"
edge_top="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Edge"
edge_extensions="$edge_top/User Data/Default/Extensions"
edge_out="$(dirname "$out")/extension-edge.png"
junk_folder="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache/VigiloDemo"
junk_out="$(dirname "$out")/junk.png"
tray_menu_out="$(dirname "$out")/tray-menu.png"
findings_out="$(dirname "$out")/findings.png"
findings_history="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Purgeon/Vigilo/Findings.jsonl"
desktop_key='HKCU\Control Panel\Desktop'
wine_run() { "$root/scripts/wine-run.sh" "$@"; }
editor="$WINEPREFIX/drive_c/Program Files/Demo Photo Editor"
cloud="$WINEPREFIX/drive_c/Program Files/Demo Cloud"
forget_demo_entries() {
    wine_run reg delete "$demo_key" /f /reg:64 >/dev/null 2>&1 || true
    wine_run reg delete "$run_key" /v "$run_value" /f >/dev/null 2>&1 || true
    wine_run reg delete "$button_key" /f /reg:64 >/dev/null 2>&1 || true
    wine_run reg delete 'HKCU\Software\Purgeon\Vigilo' /v Recent /f >/dev/null 2>&1 || true
    # The history too, and the ignore rules (written anew, the default ones, at the next start).
    rm -f "$findings_history"
    wine_run reg delete 'HKCU\Software\Purgeon\Vigilo' /v Ignore /f >/dev/null 2>&1 || true
    # What the watches kept would have the next start take the entries, gone
    # meanwhile and made again, for known ones.
    wine_run reg delete 'HKCU\Software\Purgeon\Vigilo\Kept' /f /reg:64 >/dev/null 2>&1 || true
    rm -rf "$junk_folder" "$edge_top"
    wine_run reg delete "$approved_run_key" /v "$run_value" /f /reg:64 >/dev/null 2>&1 || true
}
cleanup() {
    forget_demo_entries
    rm -rf "$editor" "$cloud"
    wine_run reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true
    vigilo_end_session
}
trap cleanup EXIT
vigilo_begin_session own-display
forget_demo_entries
wine_run reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1 || true
# Vigilo watches the keys and the browser profiles that exist when it starts.
wine_run reg add "$extensions_key" /f /reg:64 >/dev/null
mkdir -p "$edge_extensions"
# The editor's program and the startup entry's, signed now by a test root
# made for the minute it takes; the editor's publisher is its signer, so that
# the window's line says only who signed it.
"$root/scripts/make-signed-test-files.sh" "$build" >/dev/null
mkdir -p "$editor" "$cloud"
cp "$build/signed-test-files/signed.exe" "$editor/editor.exe"
cp "$build/signed-test-files/signed.exe" "$cloud/sync.exe"
"$root/scripts/make-signed-test-files.sh" "$build" remove
# Debian's Wine says Windows 7, which lacks what Windows 8 brought (StartupApproved).
wine_run reg add 'HKCU\Software\Wine\AppDefaults\Vigilo.exe' /v Version /d win10 /f >/dev/null

# Waits up to 15 s for a visible window titled $1.
wait_for_window() {
    for _ in $(seq 1 30); do
        if xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; then return 0; fi
        sleep 0.5
    done
    echo "demo: no window \"$1\" appeared" >&2
    return 1
}
# Waits up to 30 s until no window titled $1 exists, shown or hidden: a timed
# notification closed early keeps its turn until its 20 seconds are over.
wait_until_gone() {
    for _ in $(seq 1 60); do
        if ! xdotool search --name "^$1\$" >/dev/null 2>&1; then return 0; fi
        sleep 0.5
    done
    echo "demo: window \"$1\" did not go" >&2
    return 1
}
# Saves $1 from the screen, cropped to $2 (the window at the bottom right with
# a margin), and the whole screen beside it.
save_window() {
    mkdir -p "$(dirname "$1")"
    import -window root -crop "$2" +repage "$1"
    import -window root "${1%.png}-screen.png"
    echo "demo: saved $1" >&2
}
# Saves the findings window (the X window Wine made for it, its frame drawn by Wine) as $1.
save_findings_window() {
    mkdir -p "$(dirname "$1")"
    import -window "$(xdotool search --onlyvisible --name '^Vigilo findings$' | head -n 1)" "$1"
    echo "demo: saved $1" >&2
}
# Opens the findings window (the command of the tray menu's "All findings..."),
# selects the startup entry's row, then shows its Ignored tab after "Don't
# show this again" on that row, and removes the rule again: $1 and $2 the
# pictures, $3 the startup entry's row (0 the newest), $4 the scale (1 at 96
# DPI, 1.5 at 144). Rows and tabs are clicked; the buttons pressed by their
# letters (Alt+N, Alt+R).
show_findings_window() {
    local id scale=$4
    wine_run "$build/bin/post_message.exe" TForm1 Vigilo 0x111 111 0
    wait_for_window "Vigilo findings"
    sleep 1.5
    id=$(xdotool search --onlyvisible --name '^Vigilo findings$' | head -n 1)
    # No window manager gives it the keyboard: the demo does.
    xdotool windowfocus --sync "$id"
    # At 96 DPI the first row's middle is 96 pixels from the top, a row 16 high; the tabs 19 from the top.
    at() { awk -v v="$1" -v s="$scale" 'BEGIN { printf "%d", v * s }'; }
    xdotool mousemove --window "$id" "$(at 300)" "$(at $((96 + 16 * $3)))" click 1
    sleep 0.5
    save_findings_window "$1"
    xdotool key alt+n
    sleep 0.5
    xdotool mousemove --window "$id" "$(at 105)" "$(at 19)" click 1
    sleep 1
    # The Ignored tab's first rule, then the last: the rule just added.
    xdotool mousemove --window "$id" "$(at 300)" "$(at 64)" click 1
    xdotool key End
    sleep 0.5
    save_findings_window "$2"
    xdotool key alt+r
    sleep 0.5
    xdotool mousemove 10 10
    wine_run "$build/bin/post_message.exe" TVigiloFindings "Vigilo findings" 0x10 0 0
    wait_until_gone "Vigilo findings"
}
# Clicks the close cross of the notification window at the bottom right, $1 pixels from the top.
close_window() {
    xdotool mousemove 1900 "$1" click 1
    sleep 1
    xdotool mousemove 10 10
}

echo "demo: starting Vigilo on $DISPLAY" >&2
wine_run "$build/bin/Vigilo.exe" >/dev/null 2>&1 </dev/null &
vigilo_pid=$!
sleep 3
echo "demo: registering \"Demo Photo Editor 3\" under the machine-wide uninstall key" >&2
wine_run reg add "$demo_key" /v DisplayName /d "Demo Photo Editor 3" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v Publisher /d "Vigilo Test Signer" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v DisplayIcon /d 'C:\Program Files\Demo Photo Editor\editor.exe,0' /f /reg:64 >/dev/null

wait_for_window "New program notification"
sleep 0.5
save_window "$out" 410x258+1510+777

echo "demo: closing it, then adding \"$run_value\" to the user's Run key" >&2
close_window 792
wine_run reg add "$run_key" /v "$run_value" /d 'C:\Program Files\Demo Cloud\sync.exe --background' /f >/dev/null
wait_for_window "Startup notification"
sleep 0.5
save_window "$startup_out" 410x258+1510+777

echo "demo: closing it; the entry is disabled at start-up, then turns itself back on" >&2
close_window 792
wait_until_gone "Startup notification"
wine_run reg add "$approved_run_key" /v "$run_value" /t REG_BINARY /d 030000000000000000000000 /f /reg:64 >/dev/null
sleep 2
wine_run reg add "$approved_run_key" /v "$run_value" /t REG_BINARY /d 020000000000000000000000 /f /reg:64 >/dev/null
wait_for_window "Startup notification"
sleep 0.5
save_window "$reenabled_out" 410x258+1510+777

echo "demo: its menu, opened with a right click in the window" >&2
xdotool mousemove 1600 880 click 3
sleep 1
save_window "$menu_out" 620x480+1300+600
xdotool key Escape
sleep 0.5

echo "demo: closing it, then registering a toolbar button for Internet Explorer" >&2
close_window 792
wait_until_gone "Startup notification"
wine_run reg add "$button_key" /v ButtonText /d "Demo Translate" /f /reg:64 >/dev/null
wait_for_window "Extension notification"
sleep 0.5
save_window "$extension_out" 410x290+1510+745

echo "demo: closing it, then adding an extension to Microsoft Edge's default profile" >&2
close_window 760
wait_until_gone "Extension notification"
mkdir "$edge_extensions/kbfnbcaeplbcioakkpcpgfkobkghlhen"
wait_for_window "Extension notification"
sleep 0.5
save_window "$edge_out" 410x290+1510+745

echo "demo: closing it, then putting 892 MB of junk into the Internet cache folder" >&2
close_window 760
wait_until_gone "Extension notification"
mkdir -p "$junk_folder/entries"
truncate -s 812345678 "$junk_folder/entries/2F9A01C4"
truncate -s 123456789 "$junk_folder/entries/77D3B0E2"
# The last junk notification was long ago (30 December 1899).
wine_run reg add 'HKCU\Software\Purgeon' /v LastCacheNotification /t REG_BINARY /d 0000000000000000 /f /reg:64 >/dev/null
echo "demo: delivering the junk timer's tick (WM_TIMER, timer 1) to Vigilo" >&2
wine_run "$build/bin/post_message.exe" TForm1 Vigilo 0x113 1 0
wait_for_window "Cache notifications"
sleep 0.5
save_window "$junk_out" 410x290+1510+745

echo "demo: closing it, then opening the tray menu's \"Recent findings\"" >&2
close_window 760
wait_until_gone "Cache notifications"
# Wine's system tray lies at the top left of a display without a desktop;
# the menu opens at the cursor, its second item being the submenu.
xdotool mousemove 13 32 click 3
sleep 1.5
xdotool mousemove 40 62
sleep 1.5
save_window "$tray_menu_out" 790x170+0+15

echo "demo: the findings window, both tabs" >&2
xdotool key Escape
sleep 0.5
show_findings_window "$findings_out" "${findings_out%.png}-ignored.png" 3 1

echo "demo: ending Vigilo, then starting it again at 144 DPI" >&2
wine_run taskkill /f /im Vigilo.exe >/dev/null 2>&1 || true
wait "$vigilo_pid" 2>/dev/null || true
forget_demo_entries
wine_run reg add "$desktop_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
wine_run "$build/bin/Vigilo.exe" >/dev/null 2>&1 </dev/null &
vigilo_pid=$!
sleep 3
# At 144 DPI the windows are 600 x 357 and 600 x 405, 8 pixels from the
# right and 90 from the bottom; their crosses 16 pixels below their tops.
wine_run reg add "$demo_key" /v DisplayName /d "Demo Photo Editor 3" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v Publisher /d "Vigilo Test Signer" /f /reg:64 >/dev/null
wine_run reg add "$demo_key" /v DisplayIcon /d 'C:\Program Files\Demo Photo Editor\editor.exe,0' /f /reg:64 >/dev/null
wait_for_window "New program notification"
sleep 0.5
save_window "${out%.png}-144.png" 615x372+1305+626
close_window 649

wine_run reg add "$run_key" /v "$run_value" /d 'C:\Program Files\Demo Cloud\sync.exe --background' /f >/dev/null
wait_for_window "Startup notification"
sleep 0.5
save_window "${startup_out%.png}-144.png" 615x372+1305+626
close_window 649
wait_until_gone "Startup notification"

wine_run reg add "$button_key" /v ButtonText /d "Demo Translate" /f /reg:64 >/dev/null
wait_for_window "Extension notification"
sleep 0.5
save_window "${extension_out%.png}-144.png" 615x420+1305+578
close_window 601
wait_until_gone "Extension notification"

mkdir -p "$junk_folder/entries"
truncate -s 812345678 "$junk_folder/entries/2F9A01C4"
truncate -s 123456789 "$junk_folder/entries/77D3B0E2"
wine_run reg add 'HKCU\Software\Purgeon' /v LastCacheNotification /t REG_BINARY /d 0000000000000000 /f /reg:64 >/dev/null
wine_run "$build/bin/post_message.exe" TForm1 Vigilo 0x113 1 0
wait_for_window "Cache notifications"
sleep 0.5
save_window "${junk_out%.png}-144.png" 615x420+1305+578
close_window 601
wait_until_gone "Cache notifications"

echo "demo: the findings window at 144 DPI, both tabs" >&2
show_findings_window "${findings_out%.png}-144.png" "${findings_out%.png}-ignored-144.png" 2 1.5
