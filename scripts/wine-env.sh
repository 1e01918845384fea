# Sourced by the scripts: the private Wine set-up of a build tree.
# Usage: . scripts/wine-env.sh BUILD_DIR [PREFIX_NAME]
# The tests use the prefixes "wineprefix", "wineprefix-2", ...; running,
# the demo and the benchmarks use "wineprefix-run", so that what they leave
# (browser profiles, registry entries) never meets a test.
VIGILO_BUILD_DIR=${1:?build folder}
VIGILO_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="$VIGILO_BUILD_DIR/${2:-wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# No prompts for Mono or Gecko in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Wine's own loader picks the 32-bit side for its built-in programs (cmd,
# reg); on a machine that cannot run 32-bit programs (scripts/deps-prefix.sh)
# only the 64-bit loader runs, and so do the 64-bit builds of Vigilo.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then export VIGILO_WINE=wine; else export VIGILO_WINE=$WINE64; fi

# The whole-program tests run only in a prefix that carries this file.
VIGILO_PREFIX_MARKER_FILE=drive_c/vigilo-private-prefix.txt
VIGILO_PREFIX_MARKER="$WINEPREFIX/$VIGILO_PREFIX_MARKER_FILE"

# Creates the 64-bit prefix once; the 32-bit programs run in it under WoW64.
vigilo_ensure_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating the 64-bit prefix in $WINEPREFIX" >&2
        mkdir -p "$WINEPREFIX"
        "$WINE64" wineboot -u >/dev/null 2>&1
        wineserver -w
    fi
    [ -f "$WINEPREFIX/$VIGILO_PREFIX_MARKER_FILE" ] ||
        echo "This Wine prefix belongs to Vigilo's scripts; its tests rewrite its registry freely." \
            >"$WINEPREFIX/$VIGILO_PREFIX_MARKER_FILE"
    vigilo_ensure_prefix_settings
}

# Once per prefix, while no wineserver runs for it (Wine reads these when
# its mount manager and its desktop process start):
# - drive X:, a folder of the prefix that Windows reports as a network drive,
#   for the tests of the rule that never opens a path on another computer
#   (data_path_test);
# - the desktop process's windows unmanaged: with no window manager on the
#   display, Wine otherwise waits two seconds for the withdrawal of its tray
#   window whenever the last tray icon goes, so every program that removes
#   its icon as it ends would take two seconds more to end, a wait no
#   desktop has.
vigilo_ensure_prefix_settings() {
    local stamp="$WINEPREFIX/vigilo-prefix-settings-1"
    [ -f "$stamp" ] && return
    mkdir -p "$WINEPREFIX/vigilo-share"
    ln -sfn "$WINEPREFIX/vigilo-share" "$WINEPREFIX/dosdevices/x:"
    "$WINE64" reg add 'HKLM\Software\Wine\Drives' /v x: /d network /reg:64 /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\explorer.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$stamp"
}

# Starts an Xvfb of its own (1920 x 1080 x 24) and exports DISPLAY.
vigilo_start_xvfb() {
    local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    VIGILO_XVFB_PID=$!
    local number; read -r number <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$number"
}

vigilo_stop_xvfb() {
    [ -n "${VIGILO_XVFB_PID:-}" ] && kill "$VIGILO_XVFB_PID" 2>/dev/null && wait "$VIGILO_XVFB_PID" 2>/dev/null
    VIGILO_XVFB_PID=""
}

# Starts a Wine session: an Xvfb of its own (always with "own-display", else
# only when there is no display), the prefix, and one wineserver for the
# whole session, so that each program then starts in about 0.1 s. Call
# vigilo_end_session when done (trap it on EXIT).
vigilo_begin_session() {
    if [ "${1:-}" = own-display ] || [ -z "${DISPLAY:-}" ]; then vigilo_start_xvfb; fi
    vigilo_ensure_prefix
    wineserver -p
    vigilo_start_services
}

# Wine's own services start with the first program of a session and inherit
# its output: start them with a program of ours, so that they hold no
# caller's pipe. That program also sets what the soak test needs: with no
# window manager on the display, Wine waits two seconds for the withdrawal
# of every window it left to the manager (each one that was activated), and
# the soak test closes a thousand activated windows; its windows stay
# unmanaged.
vigilo_start_services() {
    "$VIGILO_SCRIPTS/wine-run.sh" cmd /c reg add 'HKCU\Software\Wine\AppDefaults\soak_test.exe\X11 Driver' \
        /v Managed /d N /f >/dev/null 2>&1 </dev/null
}

vigilo_end_session() {
    local prefix display
    while read -r prefix display; do
        [ "$prefix" = "$WINEPREFIX" ] || WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    done <<<"${VIGILO_TEST_SLOTS:-}"
    [ -z "${VIGILO_SLOT_XVFB_PIDS:-}" ] || kill $VIGILO_SLOT_XVFB_PIDS 2>/dev/null || true
    unset VIGILO_TEST_SLOTS VIGILO_SLOT_XVFB_PIDS
    wineserver -k 2>/dev/null || true
    vigilo_stop_xvfb
}

# After vigilo_begin_session: makes the session's prefix and display the
# first of count test slots, and starts the others, each a prefix of its own
# beside it (created once, in parallel, about 20 s) with its own wineserver
# and Xvfb. Exports VIGILO_TEST_SLOTS for scripts/wine-run.sh.
vigilo_begin_test_slots() {
    local count=$1 i prefix slots="$WINEPREFIX $DISPLAY" creating=()
    VIGILO_SLOT_XVFB_PIDS=""
    for ((i = 2; i <= count; i++)); do
        prefix="$VIGILO_BUILD_DIR/wineprefix-$i"
        (
            export WINEPREFIX="$prefix"
            vigilo_ensure_prefix
        ) &
        creating+=($!)
    done
    [ ${#creating[@]} -eq 0 ] || wait "${creating[@]}"
    for ((i = 2; i <= count; i++)); do
        prefix="$VIGILO_BUILD_DIR/wineprefix-$i"
        local display_before=$DISPLAY xvfb_before=${VIGILO_XVFB_PID:-}
        vigilo_start_xvfb
        VIGILO_SLOT_XVFB_PIDS+=" $VIGILO_XVFB_PID"
        slots+=$'\n'"$prefix $DISPLAY"
        WINEPREFIX="$prefix" wineserver -p
        WINEPREFIX="$prefix" vigilo_start_services
        export DISPLAY=$display_before
        VIGILO_XVFB_PID=$xvfb_before
    done
    export VIGILO_TEST_SLOTS="$slots" VIGILO_SLOT_XVFB_PIDS
}
