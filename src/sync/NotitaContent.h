#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A notita as a journal entry on the server (the export's own VJOURNAL, with the notita's
// identity for UID), and what a journal entry's body read back brings. Only the text travels:
// where a notita's window stands is each machine's own.
class NotitaContent
{
public:
    NotitaContent() = delete;

    // The text as the server keeps it: line breaks as LF, without the blanks around it, so
    // that one of blanks only is none. Two notitas are the same on the server exactly when
    // these are equal.
    static QString canonical(const QString& text);
    static QByteArray body(const QString& uid, const QString& text);
    // The name of the notita's entry in the calendar's folder: "notita-<uuid>.ics".
    static QString fileName(const QString& uid);

    struct Read
    {
        QString uid;
        QString text; // canonical
    };
    // One of our notitas' entries; none for any other body (an event, another program's
    // journal entry). Throws SyncError naming where when the body is no calendar text.
    static std::optional<Read> read(const QByteArray& body, const QString& where);
};
