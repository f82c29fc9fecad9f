#!/usr/bin/env bash
# The real program read through the accessibility bus, as a screen reader reads it: under Xvfb,
# on a session bus of its own (dbus-run-session) with the AT-SPI bus started from it, the
# program with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Days given marks in the store beforehand
# must be named on their buttons with their full date and every mark, today's button must say
# "hoy" and hold the keyboard. Skipped (77) where the tools or the bus are missing.
# Usage: e2e_accessibility.sh TARVELO TARVELO_DB
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"
e2e_require Xvfb xdotool sqlite3 dbus-run-session dbus-send /usr/bin/python3
if [ ! -x /usr/libexec/at-spi-bus-launcher ]; then
    echo "falta at-spi2-core (/usr/libexec/at-spi-bus-launcher): prueba omitida"
    exit 77
fi
if ! /usr/bin/python3 -c "import pyatspi" 2>/dev/null; then
    echo "falta python3-pyatspi: prueba omitida"
    exit 77
fi

# The rest runs on a session bus of its own.
if [ -z "${E2E_A11Y_SESSION:-}" ]; then
    started="$(mktemp)"
    status=0
    E2E_A11Y_SESSION="$started" dbus-run-session -- bash "$0" "$@" || status=$?
    if [ ! -s "$started" ]; then
        rm -f "$started"
        echo "no arranca un bus de sesión (dbus-run-session, estado $status): prueba omitida"
        exit 77
    fi
    rm -f "$started"
    exit "$status"
fi
echo yes >"$E2E_A11Y_SESSION"

# The accessibility bus is started on demand by the session bus; without it nothing can be read.
if ! timeout 30 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null 2>&1; then
    echo "no arranca el bus de accesibilidad (org.a11y.Bus): prueba omitida"
    exit 77
fi

e2e_setup

# Three days of the month shown, none of them today: a holiday in green with an alarm at 09:05
# and a note; a blue day with an alarm without time and a note of two lines, said as one; a
# black day with a note longer than is read aloud, cut at 160 characters.
long="$(printf 'Preparar la reunión trimestral %.0s' 1 2 3 4 5 6 7)"
read -r today d1 d2 d3 <<<"$(/usr/bin/python3 -c "
import datetime
t = datetime.date.today()
days = [t.replace(day=d) for d in (18, 19, 20, 21) if d != t.day][:3]
print(t.isoformat(), *(d.isoformat() for d in days))")"
e2e_sql "INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) VALUES
    ($(e2e_fecha "$d1"), 'Reunión con Begoña', 1, 1, 545 / 1440.0, 13),
    ($(e2e_fecha "$d2"), 'Primera línea' || char(10) || 'segunda línea', 0, 1, NULL, 1),
    ($(e2e_fecha "$d3"), '$long', 0, 0, NULL, 9)"
cut="$(/usr/bin/python3 -c "import sys; print(' '.join(sys.argv[1].split())[:160] + '…')" "$long")"

e2e_start_xvfb
e2e_start_app QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
main="$(e2e_wait_window '^Calendario$')"
# The desktop gives the keyboard to a window it has just shown.
xdotool windowfocus --sync "$main"

status=0
timeout 120 /usr/bin/python3 "$here/a11y_day_names.py" "$app" --focused "$today" \
    "$today=, hoy" \
    "$d1=, festivo, color verde, alarma a las 09:05, con nota: Reunión con Begoña" \
    "$d2=, color azul, alarma, con nota: Primera línea segunda línea" \
    "$d3=, color negro, con nota: $cut" || status=$?
if [ "$status" -ne 0 ]; then
    cat "$data/out.log" >&2
    exit "$status"
fi

e2e_stop_app
echo "1 passed, 0 failed"
