#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <vector>

// A WebDAV multistatus answer (PROPFIND, REPORT), read with its limits: no DTD, no entities
// but XML's own, no nesting deeper than kMaxDepth. Only the properties the sync asks for are
// kept, and only those the server gives with status 200.
struct Multistatus
{
    static constexpr int kMaxDepth = 32;

    struct Response
    {
        QString href;   // the path, decoded, resolved against the request's address
        int status = 0; // the response's own status (a sync-collection's 404), else 0
        QByteArray etag;
        QString calendarData;
        QString displayName;
        bool isCalendar = false;
        bool takesEvents = true;     // supported-calendar-component-set names VEVENT, or none
        bool takesJournals = true;   // it names VJOURNAL, or none
        QString principal;           // current-user-principal, a whole address
        QString home;                // calendar-home-set, a whole address
        bool syncCollection = false; // supported-report-set lists sync-collection
    };

    std::vector<Response> responses;
    QString syncToken;
    bool truncated = false; // the server stopped before the end (507)

    // Throws SyncError naming host when the body is not such an answer.
    static Multistatus read(const QByteArray& body, const QUrl& from, const QString& host);
};
