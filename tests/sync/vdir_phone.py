#!/usr/bin/python3
"""The phone as people set one up on a desktop: vdirsyncer (Debian's) keeps a folder of .ics
files (a vdir) in step with the calendar, the files are changed as a phone's calendar changes
its events, and khal shows what the phone shows.

vdir_phone.py FOLDER CALENDAR_URL USER PASSWORD COMMAND...
FOLDER holds the phone: its configuration, its vdir and vdirsyncer's and khal's state; made at
the first command. Every command first syncs, and a change is synced back at once.
  sync                             only the sync
  list                             one line per event in the vdir: UID, SUMMARY, DTSTART, RRULE
  show FROM TO                     khal's agenda from FROM to TO (YYYY-MM-DD), one line per
                                   occurrence: date, time or nothing, title
  add YYYY-MM-DD [HH:MM] SUMMARY [LINE...]   LINE: a further property, e.g. RRULE:FREQ=WEEKLY
                                   prints the new event's UID
  move UID YYYY-MM-DD              the event moved to that day (DTSTART and DTEND, same length)
  rename UID SUMMARY
  delete UID
Exits 77 where vdirsyncer or khal is missing.
"""
import datetime
import os
import subprocess
import sys
import uuid

try:
    import icalendar
except ImportError:
    sys.exit(77)

VDIRSYNCER = "/usr/bin/vdirsyncer"
KHAL = "/usr/bin/khal"


def quoted(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def configure(folder, url, user, password):
    vdir = os.path.join(folder, "calendario")
    os.makedirs(vdir, exist_ok=True)
    config = os.path.join(folder, "vdirsyncer.conf")
    if not os.path.exists(config):
        # One calendar, no discovery: the pair's collections are the storages themselves.
        with open(config, "w") as out:
            out.write("[general]\nstatus_path = %s\n\n"
                      "[pair telefono]\na = \"telefono_local\"\nb = \"telefono_servidor\"\n"
                      "collections = null\n\n"
                      "[storage telefono_local]\ntype = \"filesystem\"\npath = %s\n"
                      "fileext = \".ics\"\n\n"
                      "[storage telefono_servidor]\ntype = \"caldav\"\nurl = %s\n"
                      "username = %s\npassword = %s\n"
                      % (quoted(os.path.join(folder, "estado")), quoted(vdir), quoted(url),
                         quoted(user), quoted(password)))
        with open(os.path.join(folder, "khal.conf"), "w") as out:
            out.write("[calendars]\n[[telefono]]\npath = %s\ntype = calendar\n\n"
                      "[locale]\ntimeformat = %%H:%%M\ndateformat = %%Y-%%m-%%d\n"
                      "longdateformat = %%Y-%%m-%%d\ndatetimeformat = %%Y-%%m-%%d %%H:%%M\n"
                      "longdatetimeformat = %%Y-%%m-%%d %%H:%%M\nlocal_timezone = UTC\n"
                      "default_timezone = UTC\n\n[sqlite]\npath = %s\n"
                      % (vdir, os.path.join(folder, "khal.db")))
    return config, vdir


def run(command, config_env):
    env = dict(os.environ, LC_ALL="C.UTF-8", **config_env)
    done = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=600)
    if done.returncode != 0:
        sys.exit("%s: %s%s" % (" ".join(command[:2]), done.stdout, done.stderr))
    return done.stdout


def sync(config):
    run([VDIRSYNCER, "sync"], {"VDIRSYNCER_CONFIG": config})


def event_file(vdir, uid):
    for name in sorted(os.listdir(vdir)):
        path = os.path.join(vdir, name)
        with open(path, "rb") as f:
            calendar = icalendar.Calendar.from_ical(f.read())
        for component in calendar.walk("VEVENT"):
            if str(component.get("UID")) == uid:
                return path, calendar
    sys.exit("el teléfono no tiene el evento " + uid)


def changed(calendar, uid, change):
    """Applies change to every component of the event (a series and its overrides alike)."""
    for component in calendar.walk("VEVENT"):
        if str(component.get("UID")) == uid:
            change(component)
            component["SEQUENCE"] = int(component.get("SEQUENCE", 0)) + 1
            component.pop("DTSTAMP", None)
            component.add("DTSTAMP", datetime.datetime.now(datetime.timezone.utc))
    return calendar


def write(path, calendar):
    with open(path + ".tmp", "wb") as out:
        out.write(calendar.to_ical())
    os.replace(path + ".tmp", path)


def moved(component, day):
    start = component.decoded("DTSTART")
    first = start.date() if isinstance(start, datetime.datetime) else start
    shift = day - first
    for name in ("DTSTART", "DTEND"):
        if name in component:
            value = component.decoded(name) + shift
            params = component[name].params
            component.pop(name)
            component.add(name, value, parameters=dict(params))


def main():
    if not (os.path.exists(VDIRSYNCER) and os.path.exists(KHAL)):
        sys.exit(77)
    folder, url, user, password, command, *args = sys.argv[1:]
    config, vdir = configure(folder, url, user, password)
    if not os.path.isdir(os.path.join(folder, "estado")):
        run([VDIRSYNCER, "discover", "telefono"], {"VDIRSYNCER_CONFIG": config})
    sync(config)
    if command == "sync":
        return
    if command == "list":
        for name in sorted(os.listdir(vdir)):
            with open(os.path.join(vdir, name), "rb") as f:
                calendar = icalendar.Calendar.from_ical(f.read())
            for component in calendar.walk("VEVENT"):
                rule = component.get("RRULE")
                print("%s\t%s\t%s\t%s" % (component.get("UID"), component.get("SUMMARY", ""),
                                          component.decoded("DTSTART"),
                                          rule.to_ical().decode() if rule else ""))
        return
    if command == "show":
        env = {"KHAL_CONFIG": os.path.join(folder, "khal.conf")}
        sys.stdout.write(run([KHAL, "-c", env["KHAL_CONFIG"], "list", "--day-format", "",
                              "--format", "{start-date}\t{start-time}\t{title}",
                              args[0], args[1]], {}))
        return
    if command == "add":
        day = datetime.date.fromisoformat(args[0])
        if len(args) > 2 and len(args[1]) == 5 and args[1][2] == ":":
            hour, minute = map(int, args[1].split(":"))
            start = "DTSTART:%sT%02d%02d00" % (day.strftime("%Y%m%d"), hour, minute)
            summary, *more = args[2:]
        else:
            start = "DTSTART;VALUE=DATE:%s" % day.strftime("%Y%m%d")
            summary, *more = args[1:]
        uid = str(uuid.uuid4())
        with open(os.path.join(vdir, uid + ".ics"), "w", newline="") as out:
            out.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Telefono//ES\r\n"
                      "BEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20260101T000000Z\r\n%s\r\n%s"
                      "SUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n"
                      % (uid, start, "".join(m + "\r\n" for m in more), summary))
        sync(config)
        print(uid)
        return
    path, calendar = event_file(vdir, args[0])
    if command == "move":
        day = datetime.date.fromisoformat(args[1])
        write(path, changed(calendar, args[0], lambda c: moved(c, day)))
    elif command == "rename":
        def rename(component):
            component.pop("SUMMARY", None)
            component.add("SUMMARY", args[1])
        write(path, changed(calendar, args[0], rename))
    elif command == "delete":
        os.remove(path)
    else:
        sys.exit("orden desconocida: " + command)
    sync(config)


if __name__ == "__main__":
    main()
