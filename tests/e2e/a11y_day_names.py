#!/usr/bin/python3
"""Reads over the accessibility bus what the running Tarvelo says for its day buttons.

Usage: a11y_day_names.py PID [--focused YYYY-MM-DD] YYYY-MM-DD=SUFFIX...

Finds the application called "tarvelo" (any case) whose process is PID, walks its tree to the
push buttons, and for each YYYY-MM-DD=SUFFIX expects the button whose name begins with the
day's weekday and date ("martes 8 de diciembre de 2026") to be named exactly that date followed
by SUFFIX (", hoy, festivo, ..."). With --focused, that day's button must hold the keyboard.
Exit status 0 when every name is as expected, 1 otherwise, 77 when the accessibility registry
cannot be reached.
"""

import datetime
import sys
import time

WEEKDAYS = ["lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"]
MONTHS = ["enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto",
          "septiembre", "octubre", "noviembre", "diciembre"]
TIMEOUT = 60  # seconds, for the program to appear on the bus with its days named


def spoken_date(day):
    return f"{WEEKDAYS[day.weekday()]} {day.day} de {MONTHS[day.month - 1]} de {day.year}"


def find_app(pyatspi, pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or (app.name or "").lower() != "tarvelo":
            continue
        try:
            if app.get_process_id() != pid:
                continue
        except Exception:  # an older binding without the process id: the name is enough
            pass
        return app
    return None


def push_buttons(pyatspi, node, found, depth=0):
    if depth > 30:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_PUSH_BUTTON:
            found.append(child)
        push_buttons(pyatspi, child, found, depth + 1)


def main(argv):
    pid = int(argv[1])
    focused = None
    expected = {}
    args = argv[2:]
    while args:
        arg = args.pop(0)
        if arg == "--focused":
            focused = datetime.date.fromisoformat(args.pop(0))
            continue
        day, _, suffix = arg.partition("=")
        date = datetime.date.fromisoformat(day)
        expected[spoken_date(date)] = spoken_date(date) + suffix

    try:
        import pyatspi
    except ImportError:
        print("falta pyatspi (python3-pyatspi): prueba omitida")
        return 77
    try:
        pyatspi.Registry.getDesktop(0)
    except Exception as error:
        print(f"no se alcanza el registro de accesibilidad ({error}): prueba omitida")
        return 77

    deadline = time.monotonic() + TIMEOUT
    app = None
    names = {}
    while time.monotonic() < deadline:
        app = find_app(pyatspi, pid)
        if app is not None:
            buttons = []
            push_buttons(pyatspi, app, buttons)
            names = {}
            for button in buttons:
                name = button.name or ""
                for prefix in expected:
                    if name == prefix or name.startswith(prefix + ","):
                        names[prefix] = button
            if len(names) == len(expected):
                break
        time.sleep(0.3)
    if app is None:
        print(f"el programa (pid {pid}) no aparece en el bus de accesibilidad", file=sys.stderr)
        return 1

    failed = False
    for prefix, want in expected.items():
        button = names.get(prefix)
        got = button.name if button is not None else None
        if got == want:
            print(f"bien: «{got}»")
        else:
            print(f"MAL: se esperaba «{want}», el botón dice «{got}»", file=sys.stderr)
            failed = True
    if focused is not None:
        button = names.get(spoken_date(focused))
        has_focus = button is not None and button.getState().contains(pyatspi.STATE_FOCUSED)
        if has_focus:
            print(f"bien: el teclado está en «{button.name}»")
        else:
            print(f"MAL: el teclado no está en el {focused.isoformat()}", file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
