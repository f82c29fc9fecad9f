#!/usr/bin/env bash
# The real program ended by SIGTERM while a note is being typed into the notes list: the list is
# opened from the keyboard ("Archivo" with Alt+A, "Ver notas" with its letter n), the keyboard
# goes into the list with Tab, down to the second day and across to its "Nota" cell, and a new
# note is typed there without leaving the row. The store still holds the old note then; after
# SIGTERM (to the program's pid) it must hold the typed one, the other day untouched, the
# program must end with status 0 and leave no leak behind.
# Usage: e2e_sigterm_pending_edit.sh TARVELO TARVELO_DB
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
e2e_require Xvfb xdotool xmodmap sqlite3 /usr/bin/python3
e2e_setup

# Two noted days of the month shown, listed in date order; the second one is edited.
read -r first second <<<"$(/usr/bin/python3 -c "
import datetime
t = datetime.date.today()
print(t.replace(day=3).isoformat(), t.replace(day=17).isoformat())")"
first_fecha="$(e2e_fecha "$first")"
second_fecha="$(e2e_fecha "$second")"
e2e_sql "INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) VALUES
    ($first_fecha, 'Llamar a Marta', 0, 0, NULL, 5),
    ($second_fecha, 'Cena con Lucía', 0, 0, NULL, 13)"

e2e_start_xvfb
e2e_spanish_keys
e2e_start_app
main="$(e2e_wait_window '^Calendario$')"
xdotool windowfocus --sync "$main"
read -r width height <<<"$(e2e_size "$main")"

# "Ver notas" widens the window by the notes list.
xdotool key alt+a
e2e_wait_popup >/dev/null || { echo "Alt+A no abrió «Archivo»" >&2; e2e_shot alt-a; exit 1; }
xdotool key n
e2e_wait_size "$main" "width > $width" || { e2e_shot 1-no-list; exit 1; }
e2e_wait_no_popup
e2e_shot 1-list

# Tab from the day into the list, on its first cell; down a row and right to "Nota"; the
# first letter opens the cell's editor over the old note.
xdotool key Tab Down Right
typed="Cena con Lucía y Begoña"
xdotool type --delay 40 "$typed"
e2e_shot 2-typing
# Nothing is written before the row is left: the store still holds the old note.
sleep 1
stored="$(e2e_sql "SELECT nota FROM calendar WHERE fecha = $second_fecha")"
if [ "$stored" != "Cena con Lucía" ]; then
    echo "la nota se guardó antes de tiempo («$stored»): la prueba no prueba nada" >&2
    exit 1
fi

e2e_stop_app
stored="$(e2e_sql "SELECT nota FROM calendar WHERE fecha = $second_fecha")"
if [ "$stored" != "$typed" ]; then
    echo "tras SIGTERM la nota guardada es «$stored», se escribió «$typed»" >&2
    case "$typed" in
    "$stored"?*) echo "(una parte: el programa no había leído todas las teclas al llegarle SIGTERM)" >&2 ;;
    esac
    exit 1
fi
stored="$(e2e_sql "SELECT nota FROM calendar WHERE fecha = $first_fecha")"
if [ "$stored" != "Llamar a Marta" ]; then
    echo "la otra nota cambió: «$stored»" >&2
    exit 1
fi
echo "1 passed, 0 failed"
