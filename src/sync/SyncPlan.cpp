#include "sync/SyncPlan.h"

#include <QSet>

void SyncPlan::Listing::take(const RemoteCalendar::Listing& answer)
{
    for (const RemoteCalendar::Entry& entry : answer.present) {
        present[entry.href] = entry.etag;
        removed.erase(entry.href);
    }
    for (const QString& href : answer.removed) {
        present.erase(href);
        removed.insert(href);
    }
    if (!answer.token.isEmpty())
        token = answer.token;
}

std::vector<QString> SyncPlan::toFetch(const Records& records, const Listing& listing)
{
    std::map<QString, const SyncRecord*> byHref;
    for (const SyncRecord& record : records)
        byHref.emplace(record.href, &record);
    std::vector<QString> hrefs;
    for (const auto& [href, etag] : listing.present) {
        const auto record = byHref.find(href);
        if (record == byHref.end() || record->second->etag != etag)
            hrefs.push_back(href);
    }
    return hrefs;
}

namespace {

// The names the listing says are gone, of those recorded: named as gone, or, in a listing of
// everything, not in it.
bool goneFrom(const SyncPlan::Listing& listing, const QString& href)
{
    if (listing.removed.count(href))
        return true;
    return listing.complete && !listing.present.count(href);
}

} // namespace

std::optional<SyncPlan::Emptied> SyncPlan::emptied(const Records& records, const Listing& listing)
{
    Emptied lost;
    bool any = false;
    for (const SyncRecord& record : records) {
        if (!record.synced())
            continue;
        any = true;
        if (!goneFrom(listing, record.href))
            return std::nullopt;
        if (record.holds == SyncRecord::Holds::Item)
            ++(record.base.key.kind == SyncItem::Kind::Day ? lost.days : lost.notitas);
    }
    if (!any)
        return std::nullopt;
    return lost;
}

SyncPlan::Decision SyncPlan::decide(const Records& records, const Listing& listing,
                                    const std::vector<Fetched>& fetched, const QString& folder)
{
    Decision decision;
    std::map<QString, const SyncRecord*> byHref;
    for (const SyncRecord& record : records)
        byHref.emplace(record.href, &record);

    const auto keep = [&](const QString& href, const QByteArray& etag, SyncRecord::Holds holds,
                          const SyncItem& base) {
        decision.record.push_back({href, etag, holds, base});
    };
    const auto bringIn = [&](const SyncItem::Key& key, const SyncItem& remote) {
        Incoming in;
        in.key = key;
        in.bringIn = true;
        in.remote = remote;
        in.text = key.kind == SyncItem::Kind::Day ? remote.day.note : remote.text;
        in.holiday = remote.day.holiday;
        decision.incoming.push_back(std::move(in));
    };

    QSet<QString> read;
    for (const Fetched& f : fetched) {
        read.insert(f.href);
        const auto found = byHref.find(f.href);
        const SyncRecord* record = found == byHref.end() ? nullptr : found->second;
        switch (f.read.what) {
        case SyncItem::Read::What::Item: {
            const SyncItem& remote = f.read.item;
            const SyncItem::Key& key = remote.key;
            if (record && record->holds == SyncRecord::Holds::Item && record->base.key == key) {
                decision.incoming.push_back({key, false, record->base, remote, {}, false});
                keep(f.href, f.etag, SyncRecord::Holds::Item, remote);
            } else if (record && record->synced()) {
                // The item's own name now holds another item: it was moved elsewhere. Its
                // content goes to the item it now is; the item whose name it is has lost its
                // event, and gets it back (or loses it) at the upload.
                if (record->holds == SyncRecord::Holds::Item)
                    decision.removals.push_back(record->base);
                bringIn(key, remote);
                keep(f.href, f.etag, SyncRecord::Holds::Moved, SyncItem::emptyOf(record->base.key));
            } else if (f.href == folder + remote.fileName()) {
                decision.incoming.push_back({key, false, std::nullopt, remote, {}, false});
                keep(f.href, f.etag, SyncRecord::Holds::Item, remote);
            } else {
                // One of ours under a name not its own (another program copied it): its content
                // joins the item, and the copy goes.
                bringIn(key, remote);
                keep(f.href, f.etag, SyncRecord::Holds::Brought, SyncItem{});
            }
            break;
        }
        case SyncItem::Read::What::Foreign: {
            if (f.read.recurring) {
                // One that repeats stays the other program's: shown, never brought in.
                decision.series.emplace_back(f.href, f.read.body);
                keep(f.href, f.etag, SyncRecord::Holds::Foreign, SyncItem{});
                break;
            }
            for (const QDate& date : f.read.dates) {
                Incoming in;
                in.key = {SyncItem::Kind::Day, date, {}};
                in.bringIn = true;
                in.text = f.read.text;
                in.holiday = f.read.holiday;
                decision.incoming.push_back(std::move(in));
            }
            ++decision.broughtIn;
            // Replaced by the days' own events.
            keep(f.href, f.etag, SyncRecord::Holds::Brought, SyncItem{});
            break;
        }
        case SyncItem::Read::What::Other:
            // Nothing the sync takes: recorded as read, so that it is not read again.
            keep(f.href, f.etag, SyncRecord::Holds::Foreign, SyncItem{});
            break;
        }
    }

    for (const SyncRecord& record : records) {
        if (read.contains(record.href) || !goneFrom(listing, record.href))
            continue;
        if (record.holds == SyncRecord::Holds::Item)
            decision.removals.push_back(record.base);
        decision.forget.push_back(record.href);
    }
    return decision;
}

std::vector<SyncPlan::Upload> SyncPlan::uploads(const Records& records, const Local& local,
                                                const QString& folder, bool journals)
{
    std::vector<Upload> out;
    const auto localOf = [&local](const SyncItem::Key& key) {
        const auto it = local.find(key);
        return it == local.end() ? SyncItem::emptyOf(key) : it->second;
    };
    const auto wanted = [journals](const SyncItem::Key& key) {
        return journals || key.kind == SyncItem::Kind::Day;
    };
    std::map<SyncItem::Key, const SyncRecord*> byKey;
    for (const SyncRecord& record : records) {
        switch (record.holds) {
        case SyncRecord::Holds::Item:
        case SyncRecord::Holds::Moved:
            byKey[record.base.key] = &record;
            break;
        case SyncRecord::Holds::Brought: {
            // A promise kept: the copy that was brought in goes.
            Upload upload;
            upload.write = {record.href, {}, record.etag};
            upload.holds = SyncRecord::Holds::Brought;
            out.push_back(std::move(upload));
            break;
        }
        case SyncRecord::Holds::Foreign:
            break;
        }
    }

    const auto plan = [&](const SyncItem::Key& key) {
        if (!wanted(key))
            return;
        const SyncItem here = localOf(key);
        const auto found = byKey.find(key);
        if (found == byKey.end()) {
            if (here.present()) {
                Upload upload;
                upload.key = key;
                upload.write = {folder + here.fileName(), here.body(), {}};
                upload.sent = here;
                out.push_back(std::move(upload));
            }
            return;
        }
        const SyncRecord& record = *found->second;
        const bool moved = record.holds == SyncRecord::Holds::Moved;
        if (!moved && here.sameAs(record.base))
            return;
        if (!here.present() && !record.base.present() && !moved)
            return;
        Upload upload;
        upload.key = key;
        upload.write = {record.href, here.present() ? here.body() : QByteArray(), record.etag};
        upload.sent = here;
        upload.base = record.base;
        out.push_back(std::move(upload));
    };
    for (const auto& [key, item] : local)
        plan(key);
    for (const auto& [key, record] : byKey) {
        if (!local.count(key))
            plan(key);
    }
    return out;
}
