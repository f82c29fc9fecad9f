#!/usr/bin/env bash
# Every start the store refuses, with the real program's threads and the real message boxes on a
# desktop (Xvfb and openbox): one box says why, answering it ends the program with a status
# other than 0, no second box follows, and the folder is left byte for byte as it was, with no
# .tarvelo.lock. An Access file answered "No" says that nothing changed in a box of its own.
# Usage: e2e_refused_starts.sh TARVELO TARVELO_DB ACCESS_FILE
set -euo pipefail
tarvelo="$1"
tarvelo_db="$2"
access="$3"
# shellcheck source=e2e_lib.sh
source "$(dirname "$0")/e2e_lib.sh"
e2e_require Xvfb openbox xdotool sqlite3
e2e_setup
wm=""
holder=""
refused_cleanup() {
    [ -n "$holder" ] && { kill -KILL "$holder" 2>/dev/null || true; wait "$holder" 2>/dev/null || true; }
    chmod -R u+w "$data" 2>/dev/null || true
    e2e_cleanup
}
trap refused_cleanup EXIT

e2e_start_xvfb
e2e_start_openbox

# What a folder holds, as a text: each entry's kind, size and mode, and a digest of each plain
# file small enough to read whole (a sparse gigabyte is known by its size).
snapshot() {
    (cd "$1" && find . -mindepth 1 -printf '%p %y %s %m %l\n' | sort &&
        find . -mindepth 1 -type f -size -20M -exec md5sum {} + | sort)
}

# The program's visible windows, a line each.
windows_of() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null || true
}

# refused NAME FOLDER BOXES: starts the program in FOLDER, answers BOXES boxes in turn with
# Return (the first one "No" when BOXES is "no+1"), and checks the end.
refused() {
    local name="$1" folder="$2" answers="$3"
    local before after status=0 count i w
    before="$(snapshot "$folder")"
    (cd "$folder" && exec env QT_QPA_PLATFORM=xcb "$tarvelo") >"$data/refused.log" 2>&1 &
    app=$!
    local boxes=1 first_key=Return
    if [ "$answers" = "no+1" ]; then boxes=2; first_key=Escape; fi
    for box in $(seq "$boxes"); do
        w="$(timeout 120 xdotool search --sync --onlyvisible --pid "$app" --name '^Tarvelo$' 2>/dev/null | head -1)" || true
        if [ -z "$w" ]; then
            e2e_check "$name" 1 "no apareció la caja $box: $(cat "$data/refused.log")"
            kill -KILL "$app" 2>/dev/null || true
            wait "$app" 2>/dev/null || true
            app=""
            return
        fi
        # Whatever the start's threads still do, one box is all there is.
        sleep 1
        count="$(windows_of "$app" | wc -l)"
        [ "$count" -eq 1 ] || e2e_check "$name: una sola caja" 1 \
            "hay $count ventanas: $(for x in $(windows_of "$app"); do xdotool getwindowname "$x"; done | tr '\n' '|')"
        local key=Return
        [ "$box" -eq 1 ] && key="$first_key"
        # The key goes to the box once it has the keyboard; it is pressed again while the box is
        # still there (a box the program ends after is deaf to keys for its first moment).
        for i in $(seq 600); do
            if [ $((i % 30)) -eq 1 ]; then
                xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
                [ "$(xdotool getactivewindow 2>/dev/null)" = "$w" ] && xdotool key "$key"
            fi
            sleep 0.1
            # The next box, or the end.
            [ "$(windows_of "$app" | grep -vx "$w" | wc -l)" -gt 0 ] && break
            kill -0 "$app" 2>/dev/null || break
            windows_of "$app" | grep -qx "$w" || break
        done
    done
    for i in $(seq 600); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$app" 2>/dev/null; then
        e2e_check "$name" 1 "sigue en marcha 60 s después de responder: $(windows_of "$app" |
            while read -r x; do xdotool getwindowname "$x"; done | tr '\n' '|')"
        kill -KILL "$app" 2>/dev/null || true
    fi
    wait "$app" || status=$?
    app=""
    after="$(snapshot "$folder")"
    e2e_check "$name" "$([ "$status" -ne 0 ] && [ "$status" -lt 128 ] && [ "$before" = "$after" ] &&
        ! grep -q -e 'código 21' -e Sanitizer -e 'runtime error:' "$data/refused.log"; echo $?)" \
        "estado $status; carpeta antes:
$before
después:
$after
salida: $(cat "$data/refused.log")"
}

# new_folder NAME -> a folder of its own for one case.
new_folder() {
    mkdir -p "$data/$1"
    echo "$data/$1"
}

good="$data/buena"
mkdir "$good"
"$tarvelo_db" create "$good" >/dev/null
sqlite3 "$good/calendar.mdb" "PRAGMA journal_mode=DELETE; INSERT INTO calendar (fecha, nota, festivo,
    alarma, Color) SELECT 40000 + value, 'nota ' || value, 0, 0, 5 FROM generate_series(1, 2000)" \
    >/dev/null 2>&1 ||
    sqlite3 "$good/calendar.mdb" "PRAGMA journal_mode=DELETE; WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL
        SELECT v + 1 FROM n WHERE v < 2000) INSERT INTO calendar (fecha, nota, festivo, alarma, Color)
        SELECT 40000 + v, 'nota ' || v, 0, 0, 5 FROM n" >/dev/null
size="$(stat -c %s "$good/calendar.mdb")"

f="$(new_folder falta)"
refused "no hay calendar.mdb" "$f" 1
f="$(new_folder vacio)"; : >"$f/calendar.mdb"
refused "un archivo vacío" "$f" 1
f="$(new_folder azar)"; head -c 65536 /dev/urandom >"$f/calendar.mdb"
refused "bytes al azar" "$f" 1
f="$(new_folder mitad)"; head -c $((size / 2)) "$good/calendar.mdb" >"$f/calendar.mdb"
refused "cortado por la mitad" "$f" 1
f="$(new_folder pagina)"; head -c 4096 "$good/calendar.mdb" >"$f/calendar.mdb"
refused "cortado tras la primera página" "$f" 1
f="$(new_folder otro)"; sqlite3 "$f/calendar.mdb" "CREATE TABLE cosas (a, b)"
refused "otras tablas" "$f" 1
f="$(new_folder tipo)"; cp "$good/calendar.mdb" "$f/"
sqlite3 "$f/calendar.mdb" "ALTER TABLE calendar RENAME TO viejo; CREATE TABLE calendar (fecha TEXT,
    nota TEXT, festivo INTEGER, alarma INTEGER, hora REAL, Color INTEGER); DROP TABLE viejo;
    CREATE INDEX Fecha ON calendar (fecha)"
refused "una columna de otro tipo" "$f" 1
f="$(new_folder indice)"; cp "$good/calendar.mdb" "$f/"; sqlite3 "$f/calendar.mdb" "DROP INDEX Fecha"
refused "sin índice" "$f" 1
f="$(new_folder carpeta)"; mkdir "$f/calendar.mdb"
refused "una carpeta" "$f" 1
f="$(new_folder enlace)"; : >"$f/vacio"; ln -s vacio "$f/calendar.mdb"
refused "un enlace a un archivo vacío" "$f" 1
f="$(new_folder disperso)"; truncate -s 1G "$f/calendar.mdb"
refused "un gigabyte disperso" "$f" 1
f="$(new_folder tuberia)"; mkfifo "$f/calendar.mdb"
refused "una tubería con nombre" "$f" 1
f="$(new_folder access)"; cp "$access" "$f/calendar.mdb"
refused "Access respondido «No»" "$f" no+1
f="$(new_folder lectura)"; cp "$good/calendar.mdb" "$f/"; chmod 444 "$f/calendar.mdb"
refused "solo lectura" "$f" 1
chmod 644 "$f/calendar.mdb"

# Another program holds the store's write lock for the whole start.
f="$(new_folder retenido)"; cp "$good/calendar.mdb" "$f/"
/usr/bin/python3 -c "
import sqlite3, sys, time
c = sqlite3.connect(sys.argv[1], isolation_level=None)
c.execute('BEGIN EXCLUSIVE')
print('tomado', flush=True)
time.sleep(600)" "$f/calendar.mdb" >"$data/holder.log" 2>&1 &
holder=$!
for i in $(seq 600); do grep -q tomado "$data/holder.log" && break; sleep 0.1; done
refused "retenido por otro programa" "$f" 1
kill -KILL "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
holder=""

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
