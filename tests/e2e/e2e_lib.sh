# Shared by the end-to-end scripts (sourced, not run): a display of their own, the real program
# on a data folder of their own, waiting for its windows, and ending it as the desktop does.
# Every process is started here and ended by its own pid, never by name.

# e2e_require TOOL... : the test is skipped (77) where one of the tools is missing.
e2e_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "falta $tool: prueba omitida"; exit 77; }
    done
}

# e2e_setup: a data folder with an empty store in $data, removed at exit with every process.
e2e_setup() {
    data="$(mktemp -d)"
    app=""
    xvfb=""
    bus=""
    trap e2e_cleanup EXIT
    e2e_session_bus
    "$tarvelo_db" create "$data" >/dev/null
    # Qt's runtime folder, private to the test (Qt warns about a missing one).
    mkdir -m 700 "$data/run"
    export XDG_RUNTIME_DIR="$data/run"
}

e2e_cleanup() {
    if [ -n "${wm:-}" ]; then
        kill "$wm" 2>/dev/null || true
        wait "$wm" 2>/dev/null || true
    fi
    if [ -n "${app:-}" ]; then
        kill -KILL "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    if [ -n "${bus:-}" ]; then
        kill "$bus" 2>/dev/null || true
    fi
    if [ -n "${xvfb:-}" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "${data:?}"
}

# e2e_start_openbox: a window manager on the display, waited for until it says it manages it;
# its pid in wm, ended by e2e_cleanup.
e2e_start_openbox() {
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    local i
    for i in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
        sleep 0.1
    done
}

# e2e_session_bus: a session bus, as every desktop session has, unless one is already there.
# Without one, D-Bus starts a bus from inside the program (dbus-launch's autolaunch, where
# dbus-x11 is installed) by forking it from a thread; a sanitized program forked that way can
# hang for good in the sanitizer's own locks, before its window shows.
e2e_session_bus() {
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && return 0
    command -v dbus-daemon >/dev/null || return 0
    local started
    started="$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)" || return 0
    DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$started")"
    export DBUS_SESSION_BUS_ADDRESS
    bus="$(sed -n 2p <<<"$started")"
}

# e2e_start_xvfb: a display of our own, whichever number is free; sets DISPLAY. -noreset: without
# it Xvfb drops some new connections while clients come and go.
e2e_start_xvfb() {
    exec 5> >(cat >"$data/display")
    Xvfb -displayfd 5 -noreset -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    exec 5>&-
    local i
    for i in $(seq 100); do
        [ -s "$data/display" ] && break
        sleep 0.1
    done
    [ -s "$data/display" ] || { echo "Xvfb no arrancó" >&2; exit 1; }
    export DISPLAY=":$(head -1 "$data/display")"
}

# e2e_spanish_keys: the Spanish letters (á é í ó ú ü ñ with their capitals, ¿ ¡ €) put on free
# keys of the display's keyboard, before the program starts. Without them xdotool binds a key
# to each such letter for an instant only, and a program slow to read its keys (a sanitized
# build on a busy machine) reads the key after it is unbound: the letter is lost.
e2e_spanish_keys() {
    local letters=("aacute Aacute" "eacute Eacute" "iacute Iacute" "oacute Oacute"
                   "uacute Uacute" "udiaeresis Udiaeresis" "ntilde Ntilde" "questiondown"
                   "exclamdown" "EuroSign")
    local free
    read -r -a free <<<"$(xmodmap -pke | awk 'NF == 3 && $2 > 8 { printf "%s ", $2 }')"
    # A couple of keys are left free for xdotool's own use.
    if [ "${#free[@]}" -lt $(( ${#letters[@]} + 2 )) ]; then
        echo "el teclado de Xvfb tiene ${#free[@]} teclas libres; hacen falta $(( ${#letters[@]} + 2 ))" >&2
        exit 1
    fi
    local expressions=() i
    for i in "${!letters[@]}"; do
        expressions+=(-e "keycode ${free[$i]} = ${letters[$i]}")
    done
    xmodmap "${expressions[@]}"
}

# e2e_start_app [VAR=VALUE...]: the program in the data folder, its output in $data/out.log,
# its pid in $app.
e2e_start_app() {
    (cd "$data" && exec env QT_QPA_PLATFORM=xcb "$@" "$tarvelo") >"$data/out.log" 2>&1 &
    app=$!
}

# e2e_wait_window REGEX [SECONDS] -> the id of the visible window so titled.
e2e_wait_window() {
    local w
    w="$(timeout "${2:-60}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1)" || true
    if [ -z "$w" ]; then
        echo "no apareció la ventana $1" >&2
        cat "$data/out.log" >&2
        exit 1
    fi
    echo "$w"
}

# e2e_popups: the program's visible windows other than $main (its open menus, say), one a line
# as "ID X Y WIDTH HEIGHT".
e2e_popups() {
    local w geometry
    for w in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null || true); do
        [ "$w" = "$main" ] && continue
        geometry="$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        (eval "$geometry" && echo "$w $X $Y $WIDTH $HEIGHT")
    done
}

# e2e_wait_popup [SECONDS] -> "ID X Y WIDTH HEIGHT" of the first popup that shows.
e2e_wait_popup() {
    local i line
    for i in $(seq $(( ${1:-20} * 10 ))); do
        line="$(e2e_popups | head -1)"
        if [ -n "$line" ]; then echo "$line"; return 0; fi
        sleep 0.1
    done
    return 1
}

# e2e_wait_no_popup [SECONDS]: until the program shows no window but $main.
e2e_wait_no_popup() {
    local i
    for i in $(seq $(( ${1:-20} * 10 ))); do
        [ -z "$(e2e_popups)" ] && return 0
        sleep 0.1
    done
    return 1
}

# e2e_size W -> "WIDTH HEIGHT" of a window.
e2e_size() {
    xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p'
}

# e2e_wait_size W WHAT [SECONDS]: until the window's "WIDTH HEIGHT" satisfies WHAT, a test of
# $width and $height for bash's (( )), say "height > 300".
e2e_wait_size() {
    local i width height
    for i in $(seq $(( ${3:-20} * 10 ))); do
        read -r width height <<<"$(e2e_size "$1")"
        if [ -n "$width" ] && (( $2 )); then return 0; fi
        sleep 0.1
    done
    echo "la ventana no llegó a «$2»: mide ${width:-?}x${height:-?}" >&2
    return 1
}

# e2e_fecha YYYY-MM-DD -> the day as the store keeps it (days since 30/12/1899).
e2e_fecha() {
    /usr/bin/python3 -c "
import datetime, sys
print((datetime.date.fromisoformat(sys.argv[1]) - datetime.date(1899, 12, 30)).days)" "$1"
}

# e2e_sql SQL -> what sqlite3 answers on the store.
e2e_sql() {
    sqlite3 "$data/calendar.mdb" "$1"
}

# e2e_wait_sql SQL EXPECTED [SECONDS]: until the store answers EXPECTED; fails saying what it holds.
e2e_wait_sql() {
    local i got=""
    for i in $(seq $(( ${3:-10} * 10 ))); do
        got="$(e2e_sql "$1" 2>/dev/null || true)"
        [ "$got" = "$2" ] && return 0
        sleep 0.1
    done
    echo "el almacén responde «$got» a «$1»; se esperaba «$2»" >&2
    return 1
}

# e2e_shot NAME: a picture of the screen for looking at a failure, when E2E_SHOTS names a folder.
e2e_shot() {
    if [ -n "${E2E_SHOTS:-}" ] && command -v import >/dev/null; then
        import -window root "$E2E_SHOTS/$1.png" || true
    fi
}

# e2e_stop_app: the program is ended as the desktop ends it at log-out (SIGTERM to its pid) and
# given time to finish; it must end by itself with status 0, and the sanitizers' reports (a leak
# among them) fail the test.
e2e_stop_app() {
    kill -TERM "$app"
    local i status=0
    for i in $(seq 300); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$app" 2>/dev/null; then
        echo "el programa no terminó 30 s después de SIGTERM" >&2
        cat "$data/out.log" >&2
        return 1
    fi
    wait "$app" || status=$?
    app=""
    if [ "$status" -ne 0 ]; then
        echo "el programa terminó con el estado $status tras SIGTERM" >&2
        cat "$data/out.log" >&2
        return 1
    fi
    if grep -q -e "Sanitizer" -e "runtime error:" "$data/out.log"; then
        echo "el programa deja memoria sin liberar o un error de los sanitizadores:" >&2
        cat "$data/out.log" >&2
        return 1
    fi
}

# e2e_check NAME STATUS MESSAGE: counts a case of a script with many (in $passed and $failed),
# saying MESSAGE when STATUS is not 0.
passed=0
failed=0
e2e_check() {
    if [ "$2" -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FALLO $1: $3" >&2
    fi
}
