#!/usr/bin/env bash
# What a person meets on a desktop with a window manager (Xvfb and openbox), after installing
# Tarvelo and starting it from the menu on a new, empty store:
# - the first start offers to bring the older calendar over; "Sí", the file chosen in the file
#   dialog, and the store holds it all; the offer never comes again;
# - "Archivo → Traer el calendario de la versión anterior…" refuses the open calendar.mdb and a
#   damaged file, changing nothing; the same older file again joins it (asked first): nothing
#   doubles, its notitas come after the others;
# - after "Añadir notita" and its "Aceptar", what is typed goes into the new notita (the month
#   never sees a key), and a new notita left empty comes back where it was made;
# - after "Cerrar calendario", a second start brings the calendar back where it was.
# Usage: e2e_newcomer.sh TARVELO TARVELO_DB
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
older_calendar="$(cd "$(dirname "$0")/../data/jet" && pwd)/calendar-jet4.mdb"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
e2e_require Xvfb openbox xdotool sqlite3
e2e_setup
trap e2e_cleanup EXIT

e2e_start_xvfb
e2e_start_openbox

# The store as tarvelo-launch makes it for a new user; the older calendar somewhere else.
rm -f "$data/calendar.mdb"
"$tarvelo_db" create --ofrecer-anterior "$data" >/dev/null
mkdir "$data/equipo-antiguo"
older="$data/equipo-antiguo/calendar.mdb"
cp "$older_calendar" "$older"
title='^Traer el calendario de la versión anterior$'

# wait_new REGEX [NOT_ID] -> the id of a visible window so titled, other than NOT_ID.
wait_new() {
    local i w
    for i in $(seq 600); do
        for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null || true); do
            [ "$w" != "${2:-}" ] && { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    echo "no apareció la ventana $1" >&2
    e2e_shot "falta"
    return 1
}
# wait_gone ID [SECONDS]: until the window is no longer shown.
wait_gone() {
    local i
    for i in $(seq $(( ${2:-60} * 10 ))); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    return 1
}
# choose FILE: the file dialog that is up takes FILE. The dialog's completer may take the first
# Return when its list came up under the typing: Return again, for as long as the dialog stays.
choose() {
    local dialog try
    dialog="$(wait_new "$title")"
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 20 "$1"
    for try in 1 2 3; do
        xdotool windowfocus --sync "$dialog" key Return 2>/dev/null || true
        wait_gone "$dialog" 20 && return 0
    done
    echo "la ventana de archivos no tomó «$1»" >&2
    e2e_shot "archivo"
    return 1
}
# answer KEYS...: the message box that is up (other than the last one answered) gets KEYS.
last_box=""
answer() {
    last_box="$(wait_new "$title" "$last_box")"
    xdotool windowfocus --sync "$last_box" key "$@"
    wait_gone "$last_box" || { echo "la caja no se cerró con $*" >&2; e2e_shot "caja"; return 1; }
}
days() { e2e_sql 'SELECT count(*) FROM calendar'; }
notitas() { e2e_sql 'SELECT count(*) FROM Nota'; }

# --- The first start: offered, "Sí", filled ------------------------------------------------------
e2e_start_app
main="$(e2e_wait_window '^Calendario$')"
answer Return # "Sí", the default
choose "$older"
answer Return # the summary
e2e_check "la primera vez se ofrece y llena el calendario" \
    "$([ "$(days)" = 108 ] && [ "$(notitas)" = 4 ]; echo $?)" \
    "el calendario tiene $(days) días y $(notitas) notitas; el anterior, 108 y 4"
e2e_check "el archivo anterior queda como estaba" "$(cmp -s "$older" "$older_calendar"; echo $?)" \
    "el archivo de Access ha cambiado"
e2e_stop_app

# --- The second start: no offer ------------------------------------------------------------------
# Every start drops the empty days among the latest 60; the older calendar has a few.
kept="$(e2e_sql "SELECT count(*) FROM calendar WHERE rowid NOT IN (SELECT rowid FROM calendar
    ORDER BY fecha DESC, rowid DESC LIMIT 60) OR length(nota) > 0 OR nota IS NULL OR alarma <> 0
    OR festivo <> 0 OR Color IS NOT 5")"
e2e_start_app
main="$(e2e_wait_window '^Calendario$')"
e2e_wait_sql 'SELECT count(*) FROM calendar' "$kept" 60 || true
# The offer comes as soon as the window is up; a few seconds later none has come.
offered=""
for i in $(seq 30); do
    offered="$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1 || true)"
    [ -n "$offered" ] && break
    sleep 0.1
done
e2e_check "no se vuelve a ofrecer" "$([ -z "$offered" ]; echo $?)" \
    "la pregunta apareció otra vez en el segundo arranque"

# --- The menu: the open calendar and a damaged file refused, changing nothing --------------------
note_before="$(e2e_sql "SELECT nota FROM calendar WHERE fecha = $(e2e_fecha 1997-03-05)")"
damaged="$data/equipo-antiguo/roto.mdb"
{ head -c 4096 "$older"; head -c $(( $(stat -c %s "$older") - 4096 )) /dev/zero; } >"$damaged"
for refused in "$data/calendar.mdb" "$data/calendar.mdb-wal" "$damaged"; do
    xdotool windowfocus --sync "$main" key alt+a v
    choose "$refused"
    answer Return # the refusal
    e2e_check "se rechaza $(basename "$refused")" \
        "$([ "$(days)" = "$kept" ] && [ "$(notitas)" = 4 ] && kill -0 "$app" 2>/dev/null; echo $?)" \
        "el calendario tiene $(days) días y $(notitas) notitas; el programa sigue: $(kill -0 "$app" && echo sí || echo no)"
done

# --- The same older calendar again: asked, then joined without doubling (the empty days dropped
# come back as they were there) -------------------------------------------------------------------
xdotool windowfocus --sync "$main" key alt+a v
choose "$older"
answer shift+Tab space # "Sí"; "No" is the default
answer Return          # the summary
note_after="$(e2e_sql "SELECT nota FROM calendar WHERE fecha = $(e2e_fecha 1997-03-05)")"
e2e_check "unido al calendario abierto" \
    "$([ "$(days)" = 108 ] && [ "$(notitas)" = 8 ] && [ "$note_after" = "$note_before" ]; echo $?)" \
    "el calendario tiene $(days) días y $(notitas) notitas; la nota del 05/03/1997 era «$note_before» y es «$note_after»"

# --- "Añadir notita": the keyboard goes into it --------------------------------------------------
e2e_sql "DELETE FROM Nota"
e2e_stop_app
e2e_start_app
main="$(e2e_wait_window '^Calendario$')"
xdotool windowfocus --sync "$main" key alt+a a
box="$(wait_new '^Atención$')"
xdotool windowfocus --sync "$box" key shift+Tab space # "Aceptar"; "Cancelar" is the default
notita="$(wait_new '^Notita$')"
# No click: the notita has the keyboard because the user asked for it.
for i in $(seq 100); do
    [ "$(xdotool getactivewindow 2>/dev/null || true)" = "$notita" ] && break
    sleep 0.1
done
typed="Comprar pan y leche"
xdotool type --delay 40 "$typed"
status=0
e2e_wait_sql 'SELECT group_concat(nota) FROM Nota' "$typed" 30 || status=$?
e2e_check "lo escrito va a la notita nueva" "$status" \
    "la notita guarda «$(e2e_sql 'SELECT group_concat(nota) FROM Nota')», se escribió «$typed»"

# --- A new notita left empty keeps its place ---------------------------------------------------
xdotool windowfocus --sync "$main" key alt+a a
box="$(wait_new '^Atención$')"
xdotool windowfocus --sync "$box" key shift+Tab space
empty_notita="$(wait_new '^Notita$' "$notita")"
sleep 0.5
empty_at="$(e2e_sql 'SELECT "Top" || "," || "Left" FROM Nota ORDER BY rowid DESC LIMIT 1')"
e2e_check "la notita vacía se guarda en su sitio" "$([ "$empty_at" != "0.0,0.0" ] && [ -n "$empty_at" ]; echo $?)" \
    "la notita vacía está guardada en $empty_at"
e2e_stop_app
e2e_start_app
main="$(e2e_wait_window '^Calendario$')"
for i in $(seq 100); do
    [ "$(xdotool search --onlyvisible --name '^Notita$' 2>/dev/null | wc -l)" -ge 2 ] && break
    sleep 0.1
done
now_at="$(e2e_sql 'SELECT "Top" || "," || "Left" FROM Nota ORDER BY rowid DESC LIMIT 1')"
e2e_check "la notita vacía vuelve a su sitio" "$([ "$now_at" = "$empty_at" ]; echo $?)" \
    "se guardó en $empty_at y ahora está en $now_at"

# --- "Cerrar calendario" and back: where it was --------------------------------------------------
where() { xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9]*,[0-9]*\).*/\1/p'; }
before="$(where "$main")"
for round in 1 2; do
    xdotool windowfocus --sync "$main" key alt+a c
    wait_gone "$main" || { echo "«Cerrar calendario» no ocultó el calendario" >&2; exit 1; }
    (cd "$data" && exec env QT_QPA_PLATFORM=xcb "$tarvelo") >"$data/second.log" 2>&1 || true
    main="$(wait_new '^Calendario$')"
    sleep 0.5
    e2e_check "el calendario vuelve donde estaba ($round)" "$([ "$(where "$main")" = "$before" ]; echo $?)" \
        "estaba en $before y vuelve en $(where "$main")"
done
e2e_stop_app

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
