#include "sync/SyncPlan.h"

#include <QSet>

#include <algorithm>

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

SyncPlan::Recorded::Recorded(const Records& records, const Listing& listing) : records_(records)
{
    const std::size_t named = listing.present.size() + listing.removed.size();
    if (listing.complete || named * 8 > records.size()) {
        byHref_.reserve(records.size());
        for (const SyncRecord& record : records)
            byHref_.emplace(record.href, &record);
        return;
    }
    for (const SyncRecord& record : records) {
        if (listing.present.count(record.href) || listing.removed.count(record.href))
            byHref_.emplace(record.href, &record);
    }
}

const SyncRecord* SyncPlan::Recorded::find(const QString& href) const
{
    const auto found = byHref_.find(href);
    return found == byHref_.end() ? nullptr : found->second;
}

std::vector<QString> SyncPlan::toFetch(const Recorded& records, const Listing& listing)
{
    std::vector<QString> hrefs;
    for (const auto& [href, etag] : listing.present) {
        const SyncRecord* record = records.find(href);
        if (!record || record->etag != etag)
            hrefs.push_back(href);
    }
    // In the server's own order of names, whatever order the listing came in.
    std::sort(hrefs.begin(), hrefs.end());
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
    // Since a token the server still knows, one of Tarvelo's own names come in beside the ones
    // gone (an event moved on the phone, its day's event written anew by the other machine) is
    // the same calendar going on. Another program's new event is no such sign: a calendar
    // emptied and then written to by a phone is asked about, as is any whole listing.
    if (!listing.complete) {
        std::unordered_set<QString> known;
        for (const SyncRecord& record : records)
            known.insert(record.href);
        for (const auto& [href, etag] : listing.present) {
            const QString name = href.section(u'/', -1);
            const bool ours =
                (name.startsWith(u"dia-") || name.startsWith(u"notita-")) && name.endsWith(u".ics");
            if (ours && !known.count(href))
                return std::nullopt;
        }
    }
    return lost;
}

SyncPlan::Decision SyncPlan::decide(const Recorded& recorded, const Listing& listing,
                                    const std::vector<Fetched>& fetched, const QString& folder)
{
    Decision decision;

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
        const SyncRecord* record = recorded.find(f.href);
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

    const auto gone = [&](const SyncRecord& record) {
        if (read.contains(record.href))
            return;
        if (record.holds == SyncRecord::Holds::Item)
            decision.removals.push_back(record.base);
        decision.forget.push_back(record.href);
    };
    if (listing.complete) {
        for (const SyncRecord& record : recorded.all()) {
            if (!listing.present.count(record.href))
                gone(record);
        }
    } else {
        // Only what the listing names as gone: a listing since a token says nothing of the rest.
        for (const QString& href : listing.removed) {
            if (const SyncRecord* record = recorded.find(href))
                gone(*record);
        }
    }
    return decision;
}

std::vector<SyncPlan::Upload> SyncPlan::uploads(const Records& records, const Local& local,
                                                const QString& folder, bool journals)
{
    std::vector<Upload> out;
    // What was recorded of each item, in the items' order, to walk beside the items here.
    std::vector<std::pair<SyncItem::Key, const SyncRecord*>> byKey;
    byKey.reserve(records.size());
    for (const SyncRecord& record : records) {
        switch (record.holds) {
        case SyncRecord::Holds::Item:
        case SyncRecord::Holds::Moved:
            byKey.emplace_back(record.base.key, &record);
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
    // The book gives the days in date order already: sorted only when they are not.
    const auto before = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(byKey.begin(), byKey.end(), before))
        std::sort(byKey.begin(), byKey.end(), before);

    const auto plan = [&](const SyncItem::Key& key, const SyncItem* item,
                          const SyncRecord* record) {
        if (!journals && key.kind == SyncItem::Kind::Notita)
            return;
        const SyncItem here = item ? *item : SyncItem::emptyOf(key);
        if (!record) {
            if (here.present()) {
                Upload upload;
                upload.key = key;
                upload.write = {folder + here.fileName(), here.body(), {}};
                upload.sent = here;
                out.push_back(std::move(upload));
            }
            return;
        }
        const bool moved = record->holds == SyncRecord::Holds::Moved;
        if (!moved && here.sameAs(record->base))
            return;
        if (!here.present() && !record->base.present() && !moved)
            return;
        Upload upload;
        upload.key = key;
        upload.write = {record->href, here.present() ? here.body() : QByteArray(), record->etag};
        upload.sent = here;
        upload.base = record->base;
        out.push_back(std::move(upload));
    };
    // Both in key order: each item here beside what was recorded of it.
    auto item = local.begin();
    auto recorded = byKey.begin();
    while (item != local.end() || recorded != byKey.end()) {
        if (recorded == byKey.end() || (item != local.end() && item->first < recorded->first)) {
            plan(item->first, &item->second, nullptr);
            ++item;
        } else if (item == local.end() || recorded->first < item->first) {
            plan(recorded->first, nullptr, recorded->second);
            ++recorded;
        } else {
            // Unchanged items, nearly all of them, cost one comparison here.
            if (recorded->second->holds == SyncRecord::Holds::Moved ||
                !item->second.sameAs(recorded->second->base))
                plan(item->first, &item->second, recorded->second);
            ++item;
            ++recorded;
        }
    }
    return out;
}
