#!/usr/bin/env bash
# The real program worked from the keyboard alone, as a person without a mouse works it: the
# menus open with F10 and with Alt and their letter and close with Escape; the arrows go from
# today to another day, Enter opens it, the note is typed, Tab reaches "Aplicar" and space
# presses it; another day opened the same way and left with Escape keeps nothing. The store
# must hold exactly the note typed, on the day reached. Usage: e2e_keyboard.sh TARVELO TARVELO_DB
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
e2e_require Xvfb xdotool xmodmap sqlite3 /usr/bin/python3
e2e_setup

# Where the arrows lead from today: a week down (or up, in the month's last week), then a day
# left (or right, on the month's first day). The arrows stay within the month shown.
read -r today target arrows <<<"$(/usr/bin/python3 -c "
import calendar, datetime
t = datetime.date.today()
days = calendar.monthrange(t.year, t.month)[1]
d, keys = t.day, []
if d + 7 <= days: d, keys = d + 7, keys + ['Down']
else: d, keys = d - 7, keys + ['Up']
if d > 1: d, keys = d - 1, keys + ['Left']
else: d, keys = d + 1, keys + ['Right']
print(t.isoformat(), t.replace(day=d).isoformat(), ','.join(keys))")"
# The second day, opened and left with Escape: the day before the target (after it, on the
# 1st). Neither is today.
other="$(/usr/bin/python3 -c "
import datetime
d = datetime.date.fromisoformat('$target')
print(d + datetime.timedelta(days=-1 if d.day > 1 else 1))")"
echo "hoy $today; las flechas ${arrows//,/ } llevan al $target; se abre y se deja el $other" >&2

e2e_start_xvfb
e2e_spanish_keys
e2e_start_app
main="$(e2e_wait_window '^Calendario$')"
# The desktop gives the keyboard to a window it has just shown; without a window manager the
# test does. From here on nothing but keys reaches the program.
xdotool windowfocus --sync "$main"
read -r width height <<<"$(e2e_size "$main")"

# F10 opens the first menu, "Archivo", under its title at the window's left; Escape closes it
# and a second Escape leaves the menu bar, back to the day the keyboard was on.
xdotool key F10
popup="$(e2e_wait_popup)" || { echo "F10 no abrió ningún menú" >&2; e2e_shot f10; exit 1; }
read -r _ px _ _ pheight <<<"$popup"
e2e_shot 1-f10
if [ "$px" -gt 20 ]; then
    echo "F10 abrió un menú en x=$px, no «Archivo» al borde de la ventana" >&2
    exit 1
fi
xdotool key Escape
e2e_wait_no_popup || { echo "Escape no cerró el menú de F10" >&2; exit 1; }
xdotool key Escape

# Alt+E opens "Editar", to the right of "Archivo" and shorter (four items).
xdotool key alt+e
popup="$(e2e_wait_popup)" || { echo "Alt+E no abrió ningún menú" >&2; exit 1; }
read -r _ ex _ _ eheight <<<"$popup"
e2e_shot 2-alt-e
if [ "$ex" -le "$px" ] || [ "$eheight" -ge "$pheight" ]; then
    echo "Alt+E abrió un menú en x=$ex de $eheight px de alto; «Archivo» estaba en x=$px" \
         "con $pheight px" >&2
    exit 1
fi
xdotool key Escape
e2e_wait_no_popup || { echo "Escape no cerró el menú «Editar»" >&2; exit 1; }
xdotool key Escape

# The day: the arrows from today, Enter opens it (the editor grows the window), Tab goes into
# the note, and six more (holiday, colour, alarm, hour, minute) reach "Aplicar".
xdotool key ${arrows//,/ } Return
e2e_wait_size "$main" "height > $height" || { e2e_shot 3-not-opened; exit 1; }
e2e_shot 3-opened
note="¿Revisión del coche con Íñigo? A las diez, 30 €"
xdotool key Tab
xdotool type --delay 40 "$note"
e2e_shot 4-typed
xdotool key Tab Tab Tab Tab Tab Tab space
e2e_wait_sql "SELECT nota FROM calendar WHERE fecha = $(e2e_fecha "$target")" "$note" \
    || { e2e_shot 5-not-saved; exit 1; }
e2e_wait_sql "SELECT count(*) FROM calendar" 1
e2e_shot 5-applied

# The keyboard is back on the saved day: one more step, Enter, a note typed and Escape. The
# editor closes (the window shrinks) and the store keeps nothing of that day.
read -r width height <<<"$(e2e_size "$main")"
if [ "$other" \< "$target" ]; then xdotool key Left; else xdotool key Right; fi
xdotool key Return
e2e_wait_size "$main" "height > $height" || { e2e_shot 6-not-opened; exit 1; }
xdotool key Tab
xdotool type --delay 40 "no se guarda"
read -r width height <<<"$(e2e_size "$main")"
xdotool key Escape
e2e_wait_size "$main" "height < $height" || { e2e_shot 7-not-closed; exit 1; }
e2e_shot 7-escaped
sleep 0.5
e2e_wait_sql "SELECT count(*) FROM calendar WHERE fecha = $(e2e_fecha "$other")" 0
e2e_wait_sql "SELECT nota FROM calendar" "$note"

e2e_stop_app
echo "1 passed, 0 failed"
