#!/usr/bin/env bash
# The program in a Wayland session (weston's headless compositor), with and without XWayland:
# - with an X server at hand (DISPLAY set; an Xvfb stands for XWayland), it runs on X11, where
#   its windows' places are known: the calendar shows on the X display;
# - on Wayland alone it runs there, and neither starting nor ending (SIGTERM) changes a stored
#   notita's place;
# - on Wayland alone, typing into notitas, moving the keyboard between them, adding one and
#   ending write their texts and never a place (tst_notitawayland, run on the compositor).
# Usage: e2e_wayland.sh TARVELO TARVELO_DB TST_NOTITAWAYLAND
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
tst_notitawayland="$3"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
e2e_require weston Xvfb xdotool sqlite3
e2e_setup
compositor=""
wayland_cleanup() {
    if [ -n "$compositor" ]; then
        kill "$compositor" 2>/dev/null || true
        wait "$compositor" 2>/dev/null || true
    fi
    e2e_cleanup
}
trap wayland_cleanup EXIT

socket="tarvelo-wayland"
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
    >"$data/weston.log" 2>&1 &
compositor=$!
for i in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || { echo "weston no arrancó" >&2; cat "$data/weston.log" >&2; exit 1; }

e2e_sql "INSERT INTO Nota (nota, \"Top\", \"Left\") VALUES ('uno', 1500, 7500), ('dos', 3000, 7500)"
places="$(e2e_sql 'SELECT group_concat("Top" || "," || "Left", " ") FROM Nota')"

# The program as a Wayland session starts it: no platform chosen for it.
start_in_session() { # start_in_session [DISPLAY]
    (cd "$data" && exec env -u QT_QPA_PLATFORM -u DISPLAY XDG_SESSION_TYPE=wayland \
        WAYLAND_DISPLAY="$socket" ${1:+DISPLAY="$1"} "$tarvelo") >"$data/out.log" 2>&1 &
    app=$!
}

# --- With XWayland: X11 ------------------------------------------------------------------------
e2e_start_xvfb
x_display="$DISPLAY"
unset DISPLAY
start_in_session "$x_display"
shown="$(DISPLAY="$x_display" timeout 30 xdotool search --sync --onlyvisible --name '^Calendario$' \
    2>/dev/null | head -1 || true)"
e2e_check "con XWayland, en X11" "$([ -n "$shown" ]; echo $?)" \
    "el calendario no apareció en la pantalla X: $(cat "$data/out.log")"
e2e_stop_app
e2e_check "con XWayland, los sitios" \
    "$([ "$(e2e_sql 'SELECT group_concat("Top" || "," || "Left", " ") FROM Nota')" = "$places" ]; echo $?)" \
    "las notitas están en $(e2e_sql 'SELECT group_concat("Top" || "," || "Left", " ") FROM Nota'), se guardaron en $places"

# --- Wayland alone ------------------------------------------------------------------------------
for round in 1 2; do
    start_in_session
    sleep 4 # up on the compositor, the notitas shown (nothing on Wayland says when)
    running=0
    kill -0 "$app" 2>/dev/null || running=1
    e2e_check "solo Wayland, arranca ($round)" "$running" "el programa terminó: $(cat "$data/out.log")"
    [ "$running" -eq 0 ] || { app=""; continue; }
    e2e_stop_app
    now="$(e2e_sql 'SELECT group_concat("Top" || "," || "Left", " ") FROM Nota')"
    e2e_check "solo Wayland, los sitios ($round)" "$([ "$now" = "$places" ]; echo $?)" \
        "las notitas están en $now, se guardaron en $places"
done

# Typing, focus and a new notita, on the compositor.
status=0
(cd "$data" && exec env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="$socket" \
    "$tst_notitawayland") >"$data/tst.log" 2>&1 || status=$?
e2e_check "solo Wayland, escribir en las notitas" \
    "$([ "$status" -eq 0 ] && ! grep -q "SKIP" "$data/tst.log"; echo $?)" "$(cat "$data/tst.log")"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
