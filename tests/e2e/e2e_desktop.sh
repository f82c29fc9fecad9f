#!/usr/bin/env bash
# The real program on a desktop with a window manager (Xvfb and openbox), as a new user meets
# it:
# - keys typed right after start-up, without a click, reach no notita: the notitas come up
#   without taking the keyboard, and the store keeps their texts (several starts);
# - two copies started at the same instant: one keeps the folder, the other hands over to it
#   and ends with status 0, never showing "Tarvelo ya está abierto" (many rounds);
# - SIGTERM while a start-up error is shown ends the program and leaves no .tarvelo.lock.
# Usage: e2e_desktop.sh TARVELO TARVELO_DB
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
e2e_require Xvfb openbox xdotool sqlite3
e2e_setup
others=()
wm=""
desktop_cleanup() {
    local p
    for p in "${others[@]}"; do
        kill -KILL "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    e2e_cleanup
}
trap desktop_cleanup EXIT

e2e_start_xvfb
e2e_start_openbox

# --- Keys typed at start-up --------------------------------------------------------------
e2e_sql "INSERT INTO Nota (nota, \"Top\", \"Left\") VALUES ('uno', 1500, 7500), ('dos', 3000, 7500),
    ('tres', 4500, 7500)"
notitas_before="$(e2e_sql 'SELECT group_concat(nota, "|") FROM Nota')"
for round in 1 2 3; do
    e2e_start_app
    main="$(e2e_wait_window '^Calendario$')"
    # The notitas are up beside the calendar.
    for i in $(seq 100); do
        [ "$(xdotool search --onlyvisible --name '^Notita$' 2>/dev/null | wc -l)" -ge 3 ] && break
        sleep 0.1
    done
    sleep 0.5
    xdotool type --delay 30 "hola"
    sleep 1
    active="$(xdotool getactivewindow 2>/dev/null || true)"
    e2e_check "teclas al arrancar ($round)" \
        "$([ "$(e2e_sql 'SELECT group_concat(nota, "|") FROM Nota')" = "$notitas_before" ]; echo $?)" \
        "las notitas guardan «$(e2e_sql 'SELECT group_concat(nota, "|") FROM Nota')»"
    e2e_check "el teclado en el calendario ($round)" "$([ "$active" = "$main" ]; echo $?)" \
        "la ventana activa es $active, no el calendario $main"
    e2e_stop_app
done

# --- Two copies at the same instant ----------------------------------------------------------
rounds=10
for round in $(seq $rounds); do
    (cd "$data" && exec env QT_QPA_PLATFORM=xcb "$tarvelo") >"$data/a.log" 2>&1 &
    a=$!
    (cd "$data" && exec env QT_QPA_PLATFORM=xcb "$tarvelo") >"$data/b.log" 2>&1 &
    b=$!
    others=("$a" "$b")
    # One of them hands over and ends; the other stays with the calendar up.
    ended=""
    for i in $(seq 600); do
        if ! kill -0 "$a" 2>/dev/null; then ended=$a; kept=$b; break; fi
        if ! kill -0 "$b" 2>/dev/null; then ended=$b; kept=$a; break; fi
        sleep 0.1
    done
    if [ -z "$ended" ]; then
        e2e_check "dos a la vez ($round)" 1 "ninguna de las dos copias terminó en 60 s"
    else
        status=0
        wait "$ended" || status=$?
        box="$(xdotool search --onlyvisible --name '^Tarvelo$' 2>/dev/null | head -1 || true)"
        e2e_check "dos a la vez ($round)" "$([ "$status" -eq 0 ] && [ -z "$box" ] &&
            kill -0 "$kept" 2>/dev/null; echo $?)" \
            "la segunda terminó con $status, caja «$box», la primera sigue: $(kill -0 "$kept" 2>/dev/null && echo sí || echo no)"
        app=$kept
        e2e_wait_window '^Calendario$' >/dev/null
        e2e_stop_app
        if grep -q -e "Sanitizer" -e "runtime error:" "$data/a.log" "$data/b.log"; then
            e2e_check "dos a la vez, sanitizadores ($round)" 1 "$(cat "$data/a.log" "$data/b.log")"
        fi
    fi
    for p in "${others[@]}"; do
        kill -KILL "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    others=()
    app=""
done

# --- SIGTERM while a start-up error is shown ---------------------------------------------------
empty="$data/vacia"
mkdir "$empty"
for round in 1 2 3; do
    (cd "$empty" && exec env QT_QPA_PLATFORM=xcb "$tarvelo") >"$data/err.log" 2>&1 &
    app=$!
    e2e_wait_window '^Tarvelo$' >/dev/null
    e2e_check "caja de error con cerrojo ($round)" "$([ -e "$empty/.tarvelo.lock" ]; echo $?)" \
        "no había cerrojo mientras se mostraba el error: la prueba no prueba nada"
    kill -TERM "$app"
    gone=1
    for i in $(seq 100); do
        if ! kill -0 "$app" 2>/dev/null; then gone=0; break; fi
        sleep 0.1
    done
    wait "$app" 2>/dev/null || true
    app=""
    e2e_check "SIGTERM con la caja de error ($round)" \
        "$([ "$gone" -eq 0 ] && [ ! -e "$empty/.tarvelo.lock" ]; echo $?)" \
        "terminó: $([ "$gone" -eq 0 ] && echo sí || echo no); cerrojo: $(ls -a "$empty" | tr '\n' ' ')"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
