#!/usr/bin/env bash
# The real program in a real X window, driven as a person would with the mouse and keyboard:
# open a day, type its note, "Aplicar"; add a notita and type into it. Then the store must hold
# exactly what was typed. Usage: e2e_real_window.sh TARVELO TARVELO_DB
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
for tool in Xvfb xdotool sqlite3 python3; do
    command -v "$tool" >/dev/null || { echo "falta $tool: prueba omitida"; exit 77; }
done

data="$(mktemp -d)"
cleanup() {
    kill "${app:-}" 2>/dev/null || true
    kill "${xvfb:-}" 2>/dev/null || true
    rm -rf "$data"
}
trap cleanup EXIT
"$tarvelo_db" create "$data" >/dev/null

# A display of our own, whichever number is free.
exec 5> >(cat >"$data/display")
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$data/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$data/display")"

(cd "$data" && QT_QPA_PLATFORM=xcb exec "$tarvelo") >"$data/out.log" 2>&1 &
app=$!

wait_window() { # NAME -> window id
    for _ in $(seq 100); do
        local w
        w="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)"
        if [ -n "$w" ]; then echo "$w"; return 0; fi
        sleep 0.1
    done
    echo "no apareció la ventana $1" >&2
    cat "$data/out.log" >&2
    return 1
}
px() { python3 -c "print(round(($1) / 15))"; } # twips to pixels

main="$(wait_window '^Calendario$')"
sleep 0.5
# Without a window manager the window stands at 0,0; the menu bar is the window's height less
# the client area, which is 3550 or 4000 twips less 615 for a month of five or six rows.
read -r first_weekday days <<<"$(python3 -c "
import datetime, calendar
t = datetime.date.today()
print(t.replace(day=1).weekday(), calendar.monthrange(t.year, t.month)[1])")"
rows=$(( (first_weekday + days + 6) / 7 ))
outer=$([ "$rows" -ge 6 ] && echo 4000 || echo 3550)
height="$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')"
menu=$(( height - $(px "$outer - 615") ))
echo "ventana de $height px de alto, barra de menús de $menu px" >&2

shot() { # a picture of the screen for looking at a failure, when E2E_SHOTS names a folder
    if [ -n "${E2E_SHOTS:-}" ] && command -v import >/dev/null; then
        import -window root "$E2E_SHOTS/$1.png"
    fi
}
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

fecha="$(python3 -c "
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
# leak checker sees what it leaves behind; its report fails the test.
kill -TERM "$app"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if grep -q "LeakSanitizer" "$data/out.log"; then
    echo "el programa deja memoria sin liberar:" >&2
    cat "$data/out.log" >&2
    exit 1
fi
app=""
echo "1 passed, 0 failed"
