#!/usr/bin/env bash
# The real program in a real X window, driven as a person would with the mouse and keyboard:
# open a day, type its note, "Aplicar"; add a notita and type into it. Then the store must hold
# exactly what was typed. Usage: e2e_real_window.sh TARVELO TARVELO_DB
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
e2e_require Xvfb xdotool sqlite3 /usr/bin/python3
e2e_setup
e2e_start_xvfb
e2e_start_app
wait_window() { e2e_wait_window "$1"; } # NAME -> window id
px() { /usr/bin/python3 -c "print(round(($1) / 15))"; } # twips to pixels

main="$(wait_window '^Calendario$')"
sleep 0.5
# Without a window manager the window stands at 0,0; the menu bar is the window's height less
# the client area, which is 3550 or 4000 twips less 615 for a month of five or six rows.
read -r first_weekday days <<<"$(/usr/bin/python3 -c "
import datetime, calendar
t = datetime.date.today()
print(t.replace(day=1).weekday(), calendar.monthrange(t.year, t.month)[1])")"
rows=$(( (first_weekday + days + 6) / 7 ))
outer=$([ "$rows" -ge 6 ] && echo 4000 || echo 3550)
height="$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')"
menu=$(( height - $(px "$outer - 615") ))
echo "ventana de $height px de alto, barra de menús de $menu px" >&2

shot() { e2e_shot "$1"; } # a picture of the screen, when E2E_SHOTS names a folder
click() { # X Y in twips of the client area
    xdotool mousemove "$(px "$1")" "$(( $(px "$2") + menu ))" click 1
    sleep 0.4
}

# The day on button 9 (second row, Wednesday), always a day of the month.
day=$(( 9 - first_weekday + 1 ))
click $(( 60 + 480 * 2 + 247 )) $(( 360 + 420 + 420 + 217 ))
shot 1-day-opened
click 1717 4800                     # the note box
note="Dentista a las diez y media"
xdotool type --delay 30 "$note"
shot 2-note-typed
click $(( 60 + 427 )) $(( 5400 + 187 )) # "Aplicar"
sleep 0.5
shot 3-applied

fecha="$(/usr/bin/python3 -c "
import datetime
t = datetime.date.today().replace(day=$day)
print((t - datetime.date(1899, 12, 30)).days)")"
stored="$(sqlite3 "$data/calendar.mdb" "SELECT nota FROM calendar WHERE fecha = $fecha")"
if [ "$stored" != "$note" ]; then
    echo "la nota guardada es «$stored», se escribió «$note»" >&2
    exit 1
fi

# A click on the panel's free strip above the weekday headers adds a notita; the question's
# default is "Cancelar", so the focus goes back to "Aceptar" first.
click 1000 450
box="$(wait_window '^Atención$')"
xdotool windowfocus --sync "$box" key shift+Tab key space
notita="$(wait_window '^Notita$')"
xdotool windowfocus --sync "$notita"
sleep 0.3
text="Comprar pan"
xdotool type --delay 30 "$text"
sleep 0.5
stored="$(sqlite3 "$data/calendar.mdb" "SELECT nota FROM Nota")"
if [ "$stored" != "$text" ]; then
    echo "la notita guardada es «$stored», se escribió «$text»" >&2
    exit 1
fi

# The program is ended as the desktop ends it at log-out, and given time to finish, so that the
# leak checker sees what it leaves behind; its report, or an exit status other than 0, fails the
# test.
e2e_stop_app
echo "1 passed, 0 failed"
