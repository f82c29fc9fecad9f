#pragma once

#include "sync/RemoteCalendar.h"

#include <QUrl>

class DavClient;

// A calendar on a CalDAV server: listed by sync-collection where the calendar offers it, else
// by its events' ETags; read by calendar-multiget; written by PUT and DELETE with If-Match or
// If-None-Match, several at once.
class CalDavCalendar : public RemoteCalendar
{
public:
    // syncCollection: the calendar answers sync-collection (asked once, at the set-up).
    CalDavCalendar(DavClient& client, const QUrl& calendar, bool syncCollection);

    QString host() const override;
    QString folder() const override;
    bool listsChanges() const override { return syncCollection_; }
    Listing list(const QString& token) override;
    std::vector<Event> fetch(const std::vector<QString>& hrefs) override;
    void write(const std::vector<Write>& writes,
               const std::function<void(std::size_t, const Answer&)>& answered) override;

private:
    // The calendar is gone from the server (404).
    [[noreturn]] void gone() const;

    DavClient& client_;
    QUrl calendar_;
    bool syncCollection_;
};
