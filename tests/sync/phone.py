#!/usr/bin/python3
"""The phone: another CalDAV client (Python's caldav) on the same calendar.

phone.py URL USER PASSWORD CALENDAR_URL COMMAND...
  list                      one line per event: UID, SUMMARY, DTSTART
  add YYYY-MM-DD [HH:MM] SUMMARY [LINE]   LINE: a further property (DTEND, RRULE...)
  notes                     one line per journal entry: UID, DESCRIPTION
  note UID TEXT             the journal entry's text changed
  unnote UID                the journal entry deleted
  edit UID SUMMARY          the event's summary changed
  delete UID
"""
import datetime
import sys
import uuid

try:
    import caldav
except ImportError:
    sys.exit(77)


def main():
    url, user, password, calendar_url, command, *args = sys.argv[1:]
    client = caldav.DAVClient(url, username=user, password=password)
    calendar = caldav.Calendar(client=client, url=calendar_url)
    if command == "list":
        for event in calendar.events():
            component = event.icalendar_instance.walk("VEVENT")[0]
            start = component.get("DTSTART").dt
            print("%s\t%s\t%s" % (component.get("UID"), component.get("SUMMARY", ""), start))
        return
    if command == "add":
        day = datetime.date.fromisoformat(args[0])
        if len(args) > 2 and ":" in args[1] and len(args[1]) == 5:
            hour, minute = map(int, args[1].split(":"))
            start = "DTSTART:%sT%02d%02d00" % (day.strftime("%Y%m%d"), hour, minute)
            summary, *more = args[2:]
        else:
            start = "DTSTART;VALUE=DATE:%s" % day.strftime("%Y%m%d")
            summary, *more = args[1:]
        calendar.save_event(
            "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\nBEGIN:VEVENT\r\n"
            "UID:%s\r\nDTSTAMP:20260101T000000Z\r\n%s\r\n%sSUMMARY:%s\r\nEND:VEVENT\r\n"
            "END:VCALENDAR\r\n" % (uuid.uuid4(), start, "".join(m + "\r\n" for m in more),
                                   summary))
        return
    if command == "notes":
        for journal in calendar.journals():
            component = journal.icalendar_instance.walk("VJOURNAL")[0]
            print("%s\t%s" % (component.get("UID"), component.get("DESCRIPTION", "")))
        return
    if command in ("note", "unnote"):
        journal = calendar.object_by_uid(args[0], comp_class=caldav.Journal)
        if command == "unnote":
            journal.delete()
            return
        component = journal.icalendar_instance.walk("VJOURNAL")[0]
        component["DESCRIPTION"] = args[1]
        component["SUMMARY"] = args[1]
        journal.save()
        return
    event = calendar.event_by_uid(args[0])
    if command == "edit":
        component = event.icalendar_instance.walk("VEVENT")[0]
        component["SUMMARY"] = args[1]
        event.save()
    elif command == "delete":
        event.delete()
    else:
        sys.exit("orden desconocida: " + command)


if __name__ == "__main__":
    main()
