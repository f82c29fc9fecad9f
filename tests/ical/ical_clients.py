#!/usr/bin/python3
"""Tarvelo's iCalendar files against real clients.

    ical_clients.py MODE TARVELO_DB

calcurse-reads-export   calcurse imports Tarvelo's export and shows each note on its day
tarvelo-reads-calcurse  Tarvelo imports calcurse's export with the same notes on the same days
python-parses-export    the Python icalendar package reads every exported entry back as written
python-days-agree       Tarvelo brings in every day that recurring_ical_events says each event
                        covers (multi-day, several RRULEs and RDATEs, overrides, EXDATE)

Exits 77 (skipped) where calcurse or the icalendar package is missing.
"""

import datetime
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

SKIP = 77
EPOCH = datetime.date(1899, 12, 30)  # day 0 of the store's date values
SEPARATOR = " · "


def fail(message):
    print("FALLO: " + message)
    sys.exit(1)


def run(*args, **kwargs):
    done = subprocess.run(list(args), capture_output=True, text=True, **kwargs)
    if done.returncode != 0:
        fail("%s terminó con %d:\n%s%s" % (" ".join(args), done.returncode, done.stdout,
                                           done.stderr))
    return done.stdout


def fecha(day):
    return float((day - EPOCH).days)


def make_store(tool, folder, days, notitas=()):
    """days: (date, note, holiday, alarm "HH:MM" or None, colour code)."""
    os.makedirs(folder)
    run(tool, "create", folder)
    db = sqlite3.connect(os.path.join(folder, "calendar.mdb"))
    for day, note, holiday, alarm, colour in days:
        hora = None
        if alarm:
            h, m = map(int, alarm.split(":"))
            hora = (h * 60 + m) / 1440.0
        db.execute("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                   "VALUES (?, ?, ?, ?, ?, ?)",
                   (fecha(day), note, int(holiday), int(alarm is not None), hora, colour))
    for text in notitas:
        db.execute('INSERT INTO Nota (nota, "Top", "Left") VALUES (?, 0, 0)', (text,))
    db.commit()
    db.close()


def stored_notes(folder):
    db = sqlite3.connect(os.path.join(folder, "calendar.mdb"))
    rows = db.execute("SELECT fecha, nota FROM calendar WHERE length(nota) > 0").fetchall()
    db.close()
    return {EPOCH + datetime.timedelta(days=int(f)): note for f, note in rows}


def calcurse_days(folder, first, count):
    """What calcurse lists: {date: sorted descriptions}, an appointment on every day it touches
    (calcurse shows one that runs past midnight on the next day too, as "..:.." onwards)."""
    out = run("calcurse", "-D", folder, "--input-datefmt", "4", "--output-datefmt", "%Y-%m-%d",
              "-Q", "--from", first.isoformat(), "--days", str(count),
              "--format-event", "%m\\n", "--format-apt", "%S\\t%m\\n",
              "--format-recur-event", "%m\\n", "--format-recur-apt", "%S\\t%m\\n")
    days, current = {}, None
    for line in out.splitlines():
        if not line.strip():
            continue
        if line.endswith(":") and len(line) == 11 and line[4] == "-":
            current = datetime.date.fromisoformat(line[:-1])
            days[current] = []
        elif current is not None:
            start, _, text = line.strip().rpartition("\t")
            days[current].append(text)
    return {day: sorted(items) for day, items in days.items()}


# Days a user keeps, with what calcurse should show for them.
CALCURSE_DAYS = [
    (datetime.date(2025, 3, 5), 'Cumpleaños de Ana, "la pequeña"; tarta', False, "09:05", 13),
    (datetime.date(2025, 3, 6), "", False, None, 1),  # shown as its colour
    (datetime.date(2025, 12, 31), "", True, None, 5),  # shown as "Festivo"
    (datetime.date(2024, 2, 29), "Bisiesto: ¿qué tal?", False, None, 5),
    (datetime.date(2030, 6, 15), "Revisión del coche (ITV)", True, "23:59", 9),
    (datetime.date(1999, 1, 1), "Año 1999 \\ barra", False, "00:00", 5),
    (datetime.date(2025, 3, 7), "Lista de la compra\npan, leche\r\nhuevos", False, None, 5),
]
SHOWN = {
    datetime.date(2025, 3, 5): 'Cumpleaños de Ana, "la pequeña"; tarta',
    datetime.date(2025, 3, 6): "Azul",
    datetime.date(2025, 12, 31): "Festivo",
    datetime.date(2024, 2, 29): "Bisiesto: ¿qué tal?",
    datetime.date(2030, 6, 15): "Revisión del coche (ITV)",
    datetime.date(1999, 1, 1): "Año 1999 \\ barra",
    datetime.date(2025, 3, 7): "Lista de la compra",  # calcurse shows the first line
}


def calcurse_reads_export(tool, work):
    store = os.path.join(work, "tarvelo")
    make_store(tool, store, CALCURSE_DAYS, ["Una notita"])
    ics = os.path.join(work, "tarvelo.ics")
    run(tool, "export-ics", store, ics)
    data = os.path.join(work, "calcurse")
    os.makedirs(data)
    report = run("calcurse", "-D", data, "-i", ics)
    if "0 skipped" not in report:
        fail("calcurse dejó eventos sin importar:\n" + report)
    for day, text in SHOWN.items():
        listed = calcurse_days(data, day, 1).get(day, [])
        if listed != [text]:
            fail("calcurse muestra %r el %s; se esperaba %r" % (listed, day, text))


# calcurse's own data: events, appointments and yearly events, as calcurse keeps them.
CALCURSE_APTS = """\
03/05/2025 [1] Cumpleaños de Ana, "la pequeña"; tarta
12/31/2025 [1] Nochevieja
02/29/2024 [1] {1Y} Bisiesto anual
01/01/2020 [1] {1Y} Año nuevo
03/06/2025 @ 09:30 -> 03/06/2025 @ 10:30 |Dentista
03/06/2025 [1] Llamar al banco
03/07/2025 @ 23:30 -> 03/08/2025 @ 00:30 |Cena tarde
"""


def tarvelo_reads_calcurse(tool, work):
    data = os.path.join(work, "calcurse")
    os.makedirs(data)
    with open(os.path.join(data, "apts"), "w", encoding="utf-8") as apts:
        apts.write(CALCURSE_APTS)
    open(os.path.join(data, "todo"), "w").close()
    ics = os.path.join(work, "calcurse.ics")
    with open(ics, "w", encoding="utf-8") as out:
        out.write(run("calcurse", "-D", data, "-xical"))
    store = os.path.join(work, "tarvelo")
    make_store(tool, store, [])
    report = run(tool, "import-ics", store, ics, "--desde", "01/01/2024", "--hasta", "31/12/2026")
    if "eventos no importados: ninguno" not in report:
        fail("Tarvelo dejó eventos sin importar:\n" + report)

    first = datetime.date(2024, 1, 1)
    expected = {day: items for day, items in
                calcurse_days(data, first, (datetime.date(2026, 12, 31) - first).days + 1).items()
                if items}
    got = {day: sorted(note.split(SEPARATOR)) for day, note in stored_notes(store).items()}
    if got != expected:
        fail("Tarvelo guardó\n  %s\ncalcurse muestra\n  %s" % (sorted(got.items()),
                                                           sorted(expected.items())))
    if datetime.date(2025, 2, 28) in got or datetime.date(2025, 3, 1) in got:
        fail("el 29 de febrero se ha movido en un año no bisiesto")


def long_note():
    note = ('Comillas "dobles", comas, punto; y coma\nlínea nueva: cañón, pingüino, '
            "ÁÉÍÓÚ Ñ € — fin\\barra ")
    while len(note) < 255:
        note += "x"
    return note


PYTHON_DAYS = [
    (datetime.date(1900, 1, 1), "Primer día de 1900", False, None, 1),
    (datetime.date(1997, 3, 5), "", True, None, 5),
    (datetime.date(1997, 3, 8), "", False, None, 9),
    (datetime.date(1997, 3, 10), "", False, "00:00", 5),
    (datetime.date(1997, 3, 11), "Tarde", False, "23:59", 5),
    (datetime.date(1997, 3, 12), long_note(), True, "09:05", 13),
    (datetime.date(2030, 6, 15), "Año 2030", False, None, 9),
    (datetime.date(9999, 12, 31), "Último día", True, "23:59", 5),
    (datetime.date(2001, 1, 1), "Varias líneas\nla segunda\r\nla tercera", False, None, 5),
]


def python_parses_export(tool, work):
    try:
        import icalendar
    except ImportError:
        print("el paquete icalendar de Python no está instalado (python3-icalendar): se omite")
        sys.exit(SKIP)
    store = os.path.join(work, "tarvelo")
    notitas = ["Comprar pan\ny leche, huevos; más", "Segunda"]
    make_store(tool, store, PYTHON_DAYS, notitas)
    ics = os.path.join(work, "tarvelo.ics")
    run(tool, "export-ics", store, ics)
    with open(ics, "rb") as f:
        calendar = icalendar.Calendar.from_ical(f.read())

    events = {e.decoded("dtstart"): e for e in calendar.walk("VEVENT")}
    if len(events) != len(PYTHON_DAYS):
        fail("icalendar lee %d eventos de %d" % (len(events), len(PYTHON_DAYS)))
    for day, note, holiday, alarm, colour in PYTHON_DAYS:
        event = events.get(day)
        if event is None:
            fail("falta el evento del %s" % day)
        if type(event.decoded("dtstart")) is not datetime.date:
            fail("el evento del %s no es de día entero" % day)
        first = note.split("\n")[0].strip()
        if note and str(event.get("summary")) != first:
            fail("el %s: %r en vez de %r" % (day, str(event.get("summary")), first))
        if "\n" in note and str(event.get("description")) != note.replace("\r", ""):
            fail("el %s: descripción %r en vez de %r" % (day, str(event.get("description")), note))
        categories = []
        for c in (event.get("categories") if isinstance(event.get("categories"), list)
                  else [event.get("categories")] if event.get("categories") else []):
            categories += [str(x) for x in c.cats]
        if holiday != ("Festivo" in categories):
            fail("el %s: categorías %r" % (day, categories))
        alarms = event.walk("VALARM")
        if alarm:
            h, m = map(int, alarm.split(":"))
            trigger = alarms[0].decoded("trigger") if alarms else None
            if trigger != datetime.timedelta(hours=h, minutes=m):
                fail("el %s: aviso %r en vez de las %s" % (day, trigger, alarm))
        elif alarms:
            fail("el %s tiene un aviso que no debía" % day)
    journals = [str(j.get("description")) for j in calendar.walk("VJOURNAL")]
    if journals != notitas:
        fail("notitas %r en vez de %r" % (journals, notitas))


# Events as other programs write them, each with the days it covers.
AGREE_CALENDAR = """BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//pruebas//ES
BEGIN:VEVENT
UID:puente@pruebas
DTSTAMP:20250101T000000Z
DTSTART;VALUE=DATE:20261228
DTEND;VALUE=DATE:20261231
SUMMARY:Puente
END:VEVENT
BEGIN:VEVENT
UID:congreso@pruebas
DTSTAMP:20250101T000000Z
DTSTART;TZID=Europe/Madrid:20260310T220000
DTEND;TZID=Europe/Madrid:20260312T010000
SUMMARY:Congreso
END:VEVENT
BEGIN:VEVENT
UID:reuniones@pruebas
DTSTAMP:20250101T000000Z
DTSTART;VALUE=DATE:20260105
EXDATE;VALUE=DATE:20260112
RRULE:FREQ=WEEKLY;COUNT=4
SUMMARY:Reunión
END:VEVENT
BEGIN:VEVENT
UID:mensual@pruebas
DTSTAMP:20250101T000000Z
DTSTART;VALUE=DATE:20260201
RDATE;VALUE=DATE:20260301
RDATE;VALUE=DATE:20260401,20260501
SUMMARY:Pago
END:VEVENT
BEGIN:VEVENT
UID:curso@pruebas
DTSTAMP:20250101T000000Z
DTSTART;TZID=Europe/Madrid:20260601T090000
DURATION:PT1H
RRULE:FREQ=DAILY;COUNT=5
SUMMARY:Curso
END:VEVENT
BEGIN:VEVENT
UID:curso@pruebas
DTSTAMP:20250101T000000Z
RECURRENCE-ID;TZID=Europe/Madrid:20260603T090000
DTSTART;TZID=Europe/Madrid:20260610T090000
DURATION:PT1H
SUMMARY:Curso
END:VEVENT
END:VCALENDAR
""".replace("\n", "\r\n")


def python_days_agree(tool, work):
    try:
        import icalendar
        import recurring_ical_events
    except ImportError:
        print("falta python3-icalendar o python3-recurring-ical-events: se omite")
        sys.exit(SKIP)
    import zoneinfo
    madrid = zoneinfo.ZoneInfo("Europe/Madrid")
    first, last = datetime.date(2026, 1, 1), datetime.date(2026, 12, 31)
    expected = {}
    calendar = icalendar.Calendar.from_ical(AGREE_CALENDAR)
    for event in recurring_ical_events.of(calendar).between(first, last + datetime.timedelta(1)):
        start, end = event.decoded("dtstart"), event.decoded("dtend")
        if isinstance(start, datetime.datetime):
            day = start.astimezone(madrid).date()
            final = (max(end - datetime.timedelta(seconds=1), start)).astimezone(madrid).date()
        else:  # without DTEND, one day
            day, final = start, max(end - datetime.timedelta(1), start)
        while day <= final:
            if first <= day <= last:
                expected.setdefault(day, []).append(str(event.get("summary")))
            day += datetime.timedelta(1)
    ics = os.path.join(work, "otros.ics")
    with open(ics, "w", encoding="utf-8", newline="") as out:
        out.write(AGREE_CALENDAR)
    store = os.path.join(work, "tarvelo")
    make_store(tool, store, [])
    report = run(tool, "import-ics", store, ics, "--desde", "01/01/2026", "--hasta", "31/12/2026",
                 env=dict(os.environ, TZ="Europe/Madrid"))
    if "eventos no importados: ninguno" not in report:
        fail("Tarvelo dejó eventos sin importar:\n" + report)
    got = {day: note.split(SEPARATOR) for day, note in stored_notes(store).items()}
    expected = {day: sorted(set(items)) for day, items in expected.items()}
    got = {day: sorted(items) for day, items in got.items()}
    if got != expected:
        fail("Tarvelo guardó\n  %s\nrecurring_ical_events dice\n  %s"
             % (sorted(got.items()), sorted(expected.items())))
    covered = sum(len(v) for v in expected.values())
    if ("que cubren %d días" % covered) not in report:
        fail("el resumen no cuenta %d días:\n%s" % (covered, report))


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    mode, tool = sys.argv[1], sys.argv[2]
    modes = {"calcurse-reads-export": calcurse_reads_export,
             "tarvelo-reads-calcurse": tarvelo_reads_calcurse,
             "python-parses-export": python_parses_export,
             "python-days-agree": python_days_agree}
    if mode not in modes:
        print(__doc__)
        return 2
    if mode.startswith("calcurse") or mode.startswith("tarvelo"):
        if shutil.which("calcurse") is None:
            print("calcurse no está instalado: se omite la prueba")
            return SKIP
    with tempfile.TemporaryDirectory() as work:
        modes[mode](tool, work)
    print("correcto")
    return 0


if __name__ == "__main__":
    sys.exit(main())
