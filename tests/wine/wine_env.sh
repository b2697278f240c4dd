# Sourced by the Wine runners: a private Wine prefix under the Windows build directory, made once,
# one virtual display for the whole run, and quiet defaults. Needs WIN_BUILD_DIR (absolute).
export WINEPREFIX="${WINEPREFIX:-$WIN_BUILD_DIR/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32 # every program here is 32-bit; a 32-bit prefix skips the 64-bit half

# Seconds one program may run before it counts as hung.
BRIO_WINE_TIMEOUT="${BRIO_WINE_TIMEOUT:-120}"

# Runs the calling script again under xvfb-run, unless it already runs under it: Wine's windows need
# an X display, and one display serves every program of the run. Runs that share a prefix take turns:
# they would share its wineserver, each with a display of its own, and Wine does not take that well.
# Call as: wine_under_display "$0" "$@"
wine_under_display() {
    [ -n "${BRIO_WINE_DISPLAY:-}" ] && return 0
    command -v wine >/dev/null || { echo "wine: not installed (scripts/setup.sh installs it)" >&2; exit 1; }
    command -v xvfb-run >/dev/null || { echo "wine: xvfb-run not installed (scripts/setup.sh)" >&2; exit 1; }
    export BRIO_WINE_DISPLAY=1
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Displays are looked for from a number of the prefix's own, so that runs in two prefixes started
    # at the same moment do not both take the first free one.
    local first=$((100 + $(cksum <<<"$WINEPREFIX" | cut -d ' ' -f 1) % 800))
    exec flock --timeout 3600 "$WINEPREFIX.lock" xvfb-run -a -n "$first" bash "$@"
}

wine_prepare_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating the prefix $WINEPREFIX (once)" >&2
        mkdir -p "$WINEPREFIX"
        timeout "$BRIO_WINE_TIMEOUT" wineboot -i >/dev/null 2>&1 || return 1
    fi
    # With no window manager on the virtual display, Wine waits two seconds for one whenever a
    # managed window (every message box) is hidden; unmanaged windows do not wait.
    if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || return 1
    fi
}

# One Windows program, with the time limit.
wine_run() {
    timeout --kill-after=10 "$BRIO_WINE_TIMEOUT" wine "$@"
}

# Lets Wine's own processes end while the display is still there (else they complain on the way out).
wine_finish() {
    timeout 30 wineserver -w
}
