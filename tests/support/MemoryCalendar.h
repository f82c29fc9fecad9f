#pragma once

#include "sync/RemoteCalendar.h"
#include "sync/SyncError.h"

#include <QCryptographicHash>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

// A calendar server in memory, for the sync's tests: it keeps bodies by name with ETags, takes
// writes with If-Match and If-None-Match as a CalDAV server does (412 when stale), and lists
// everything or what changed since a token. Its tokens name the calendar's contents, so that
// an empty calendar made again has the same token as any empty one, as Radicale's and
// Xandikos's do. It plays what servers do wrong or differently: tokens refused (403) or failed
// on (500), listings cut short with or without saying so, answers without ETags, calendars
// emptied or made again, journal entries refused, and a failure at any chosen request.
class MemoryCalendar : public RemoteCalendar
{
public:
    struct Item
    {
        QByteArray etag;
        QByteArray body;
    };

    // How the calendar misbehaves.
    enum class TokenRefusal
    {
        Never,
        Forbidden,  // 403 valid-sync-token, as Radicale
        ServerError // a bare 500, as Xandikos
    };
    struct Faults
    {
        TokenRefusal tokens = TokenRefusal::Never; // for any token it was given
        int pageSize = 0;              // a listing stops after this many names (507); 0: never
        bool truncateSilently = false; // ... and says nothing of it, and gives no token to go on
        bool etagsInAnswers = true;    // a PUT's answer carries the new ETag
        bool journals = true;          // takes journal entries
        bool changes = true;           // lists changes since a token (sync-collection)
        // The request, counted from 1 since the last reset, that fails as the network does
        // (the connection cut: SyncError Unreachable); 0: none.
        int failAt = 0;
        // Likewise, but carried out first: the answer is lost (cut after the server acted).
        int lostAt = 0;
        // Likewise, answered 503 with Retry-After.
        int busyAt = 0;
    };
    Faults faults;
    // Called as each request starts, with its number (counted as failAt counts): what another
    // program or the user does while the sync waits on the network.
    std::function<void(int request)> beforeRequest;

    QString host() const override { return QStringLiteral("memoria"); }
    QString folder() const override { return QStringLiteral("/cal/"); }
    bool listsChanges() const override { return faults.changes; }

    // What the calendar holds.
    const std::map<QString, Item>& items() const { return items_; }
    int requests() const { return requests_; }
    int writes() const { return writes_; }
    void resetCounts()
    {
        requests_ = 0;
        writes_ = 0;
    }

    // Another program's writes, straight to the calendar.
    void put(const QString& href, const QByteArray& body) { store(href, body); }
    void remove(const QString& href)
    {
        items_.erase(href);
        remember();
    }
    // Every event gone, the calendar kept (another program deleted them all), or the calendar
    // deleted and made again: its old tokens are forgotten.
    void empty()
    {
        items_.clear();
        remember();
    }
    void remake()
    {
        items_.clear();
        states_.clear();
        remember();
    }

    Listing list(const QString& token) override
    {
        count();
        Listing listing;
        std::map<QString, QByteArray> before;
        // A calendar without sync-collection lists everything, by ETags, with no token.
        if (!token.isEmpty() && faults.changes) {
            const auto state = states_.find(token);
            if (state == states_.end() || faults.tokens != TokenRefusal::Never) {
                // A 403 and a bare 500 alike: the calendar over CalDAV reports a failure on a
                // token as the token refused, as every listing answers here.
                listing.tokenRefused = true;
                return listing;
            }
            before = state->second;
        }
        std::vector<std::pair<QString, std::optional<QByteArray>>> changed;
        for (const auto& [href, item] : items_) {
            const auto was = before.find(href);
            if (was == before.end() || was->second != item.etag)
                changed.emplace_back(href, item.etag);
        }
        for (const auto& [href, etag] : before) {
            if (!items_.count(href))
                changed.emplace_back(href, std::nullopt);
        }
        std::size_t taken = changed.size();
        if (faults.pageSize > 0 && int(changed.size()) > faults.pageSize) {
            taken = std::size_t(faults.pageSize);
            listing.truncated = !faults.truncateSilently;
        }
        std::map<QString, QByteArray> seen = before;
        for (std::size_t i = 0; i < taken; ++i) {
            const auto& [href, etag] = changed[i];
            if (etag) {
                listing.present.push_back({href, *etag});
                seen[href] = *etag;
            } else {
                listing.removed.push_back(href);
                seen.erase(href);
            }
        }
        if (faults.changes && (!faults.truncateSilently || taken == changed.size())) {
            // A page's token goes on from what it gave.
            listing.token = tokenOf(seen);
            states_.emplace(listing.token, seen);
        }
        lose();
        return listing;
    }

    std::vector<Event> fetch(const std::vector<QString>& hrefs) override
    {
        if (hrefs.empty())
            return {}; // no request, as over CalDAV
        count();
        std::vector<Event> events;
        for (const QString& href : hrefs) {
            const auto it = items_.find(href);
            if (it != items_.end())
                events.push_back({href, it->second.etag, it->second.body});
        }
        lose();
        return events;
    }

    void write(const std::vector<Write>& writes,
               const std::function<void(std::size_t, const Answer&)>& answered) override
    {
        for (std::size_t i = 0; i < writes.size(); ++i) {
            count();
            ++writes_;
            const Answer answer = take(writes[i]);
            lose();
            answered(i, answer);
        }
    }

private:
    Answer take(const Write& write)
    {
        const auto it = items_.find(write.href);
        if (write.etag.isEmpty() ? it != items_.end()
                                 : it == items_.end() || it->second.etag != write.etag)
            return {412, {}, {}};
        if (write.body.isEmpty()) {
            if (it == items_.end())
                return {404, {}, {}}; // If-None-Match on nothing there: nothing to delete
            items_.erase(it);
            remember();
            return {204, {}, {}};
        }
        if (!faults.journals && write.body.contains("BEGIN:VJOURNAL") && it == items_.end())
            return {403, {}, {}};
        const QByteArray etag = store(write.href, write.body);
        return {it == items_.end() ? 201 : 204, faults.etagsInAnswers ? etag : QByteArray(), {}};
    }

    QByteArray store(const QString& href, const QByteArray& body)
    {
        const QByteArray etag = '"' + QByteArray::number(++serial_) + '"';
        items_[href] = {etag, body};
        remember();
        return etag;
    }

    // Every state the calendar went through, by its token.
    void remember()
    {
        std::map<QString, QByteArray> state;
        for (const auto& [href, item] : items_)
            state.emplace(href, item.etag);
        states_[tokenOf(state)] = state;
    }

    static QString tokenOf(const std::map<QString, QByteArray>& state)
    {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        for (const auto& [href, etag] : state) {
            hash.addData(href.toUtf8());
            hash.addData(etag);
        }
        return QString::fromLatin1(hash.result().toHex());
    }

    void count()
    {
        ++requests_;
        if (beforeRequest)
            beforeRequest(requests_);
        if (faults.failAt > 0 && requests_ == faults.failAt) {
            throw SyncError(QStringLiteral("conexión cortada"), SyncError::Kind::Unreachable)
                .about(host());
        }
        if (faults.busyAt > 0 && requests_ == faults.busyAt) {
            SyncError busy(QStringLiteral("HTTP 503"), SyncError::Kind::RetryLater);
            busy.about(host(), 503);
            busy.retryAfter = 120;
            throw busy;
        }
    }

    void lose()
    {
        if (faults.lostAt > 0 && requests_ == faults.lostAt) {
            throw SyncError(QStringLiteral("respuesta perdida"), SyncError::Kind::Unreachable)
                .about(host());
        }
    }

    std::map<QString, Item> items_;
    std::map<QString, std::map<QString, QByteArray>> states_{{tokenOf({}), {}}};
    qint64 serial_ = 0;
    int requests_ = 0;
    int writes_ = 0;
};
