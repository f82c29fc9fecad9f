#pragma once

#include "SyncedMachine.h"
#include "store/domain/SyncBook.h"
#include "sync/SyncError.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

// Two machines (A and B) and a phone on one calendar in memory, played step by step, keeping
// track of every text typed anywhere: each is a word of its own ("t17"), and the world knows
// which of them an actor took out on purpose. settle() syncs A, B, A and checks what must then
// hold. A step is one line, the same in a property's run and in a regression row:
//
//   A type 2 t5 +          A appends t5 to the note of day 2 (= replaces the note with t5)
//   A empty 2              A empties day 2 (note and marks)
//   A mark 2 holiday       ... colour, alarm: toggled or turned to the next one
//   A notita new t5        a notita with t5, known from then on as t5
//   A notita edit t5 t9 +  the notita t5 on A, t9 appended (= replacing); a notita not on A
//                          is left alone
//   A notita delete t5
//   A sync                 ... then a fault for that sync and the request it falls on:
//   A sync failAt 3        cut before request 3 (lostAt: after; busyAt: 503), silent 2 (pages
//                          of 2, cut short without a word), pages 2 (with 507), refused (the
//                          token); a last word "empty" answers a calendar found emptied with
//                          EmptyHere, else it is answered with SendAgain
//   phone rename 2 t5 +    the summary of day 2's own event (= replaced), as a phone edits it
//   phone delete 2         day 2's own event
//   phone event 2 1 t5     another program's all-day event over day 2 and the next day
//   phone journal t5 t9 +  the notita t5's entry
//   calendar empty         every event deleted by another program (remake: the calendar
//                          deleted and made again)
//   calendar remake A again B empty
//                          ... and each machine syncs at once (those with something synced
//                          first), each refused then answering as told: again (SendAgain) or
//                          empty (EmptyHere)
//
// A broken rule throws SyncWorld::Broken, saying which.
struct SyncWorldOptions
{
    bool changes = true; // the calendar lists changes (sync-collection)
    bool etags = true;   // its answers to a PUT carry the new ETag
    // The phone renames a day's event that stands in for a note the day has not (a holiday,
    // a colour, an alarm); else such a rename is left out.
    bool standIns = true;
};

class SyncWorld
{
public:
    struct Broken : std::runtime_error
    {
        explicit Broken(const QString& what) : std::runtime_error(what.toStdString()) {}
    };

    using Options = SyncWorldOptions;
    static constexpr int kDays = 3;
    static QDate dateOf(int day) { return QDate(2027, 1, 4).addDays(day); }

    explicit SyncWorld(Options options = {}) : options_(options)
    {
        reset();
        for (auto& machine : machines_)
            machine = std::make_unique<SyncedMachine>(calendar_);
    }

    SyncedMachine& machine(int m) { return *machines_[std::size_t(m)]; }
    MemoryCalendar& calendar() { return calendar_; }

    void play(const QString& step)
    {
        const QStringList w = step.split(u' ', Qt::SkipEmptyParts);
        const auto word = [&w](int i) { return i < w.size() ? w[i] : QString(); };
        const auto number = [&](int i) { return word(i).toInt(); };
        // The word a step types: one typed before (a step of a shrunk run, made again) would
        // pass for the first, and the step is left out.
        const QString verb = word(1);
        const bool onNotita = verb == QLatin1String("notita");
        const QString fresh = verb == QLatin1String("event")                 ? word(4)
                              : onNotita && word(2) == QLatin1String("edit") ? word(4)
                              : onNotita && word(2) != QLatin1String("new")  ? QString()
                              : verb == QLatin1String("type") || onNotita    ? word(3)
                              : verb == QLatin1String("rename")              ? word(3)
                              : verb == QLatin1String("journal")             ? word(3)
                                                                             : QString();
        if (!fresh.isEmpty() && !used_.insert(fresh).second)
            return;
        if (w.value(0) == QLatin1String("phone")) {
            phone(word(1), word(2), word(3), word(4));
            return;
        }
        if (w.value(0) == QLatin1String("calendar")) {
            if (word(1) == QLatin1String("remake"))
                calendar_.remake();
            else
                calendar_.empty();
            remade_ = {true, true};
            // What only the calendar held went with it, by another program's hand.
            for (auto& [place, tokens] : kept_) {
                std::set<QString> held = tokensIn(textAt(machine(0), place));
                held.merge(tokensIn(textAt(machine(1), place)));
                std::erase_if(tokens, [&held](const QString& t) { return !held.count(t); });
            }
            if (w.size() > 2)
                answerAll(w.mid(2));
            return;
        }
        const int m = word(0) == QLatin1String("B") ? 1 : 0;
        SyncedMachine& here = machine(m);
        if (verb == QLatin1String("type")) {
            const QDate date = dateOf(number(2));
            const QString before = here.note(date);
            here.write(date, typed(dayPlace(date), before, word(3), word(4) == QLatin1String("=")));
        } else if (verb == QLatin1String("empty")) {
            const QDate date = dateOf(number(2));
            excuse(dayPlace(date), here.note(date));
            here.write(date, QString());
        } else if (verb == QLatin1String("mark")) {
            Day day = here.day(dateOf(number(2)));
            if (word(3) == QLatin1String("holiday")) {
                day.holiday = !day.holiday;
            } else if (word(3) == QLatin1String("colour")) {
                const DayColour now = day.colour.value_or(DayColours::kNeutral);
                day.colour = now == DayColours::kNeutral ? DayColour::Azul
                             : now == DayColour::Azul    ? DayColour::Verde
                                                         : DayColours::kNeutral;
            } else {
                day.alarmOn = !day.alarmOn;
                day.alarmTime = QTime(9, 0);
            }
            here.days().save(day);
        } else if (verb == QLatin1String("notita")) {
            notita(here, word(2), word(3), word(4), word(5));
        } else if (verb == QLatin1String("sync")) {
            sync(m, word(2), number(3), w.last() == QLatin1String("empty"));
        } else {
            throw Broken(QStringLiteral("paso desconocido: ") + step);
        }
    }

    // A, B, A with no fault, a calendar found emptied sent everything again; then: both
    // machines hold the same, the calendar holds exactly that (one event per day, no event of
    // the phone's left once brought in), nothing typed and not taken out on purpose is missing,
    // and syncing again writes nothing.
    void settle()
    {
        reset();
        // A machine that finds everything it synced gone (the other emptied it all) is asked
        // and sends it again: the other then takes it, and it both again, at most twice more.
        bool sentAgain = false;
        for (const int m : {0, 1, 0})
            sentAgain = syncQuietly(m) || sentAgain;
        for (int round = 0; sentAgain && round < 2; ++round) {
            sentAgain = false;
            for (const int m : {1, 0})
                sentAgain = syncQuietly(m) || sentAgain;
        }
        const auto a = machine(0).items();
        const auto b = machine(1).items();
        for (const auto& [key, item] : a) {
            const auto there = b.find(key);
            if (there == b.end() || !there->second.sameAs(item))
                throw Broken(QStringLiteral("A y B difieren en ") + describe(key, item, b));
        }
        for (const auto& [key, item] : b) {
            if (!a.count(key))
                throw Broken(QStringLiteral("B tiene ") + key.shown(item.text) + " y A no");
        }
        checkServer(a);
        for (const auto& [place, tokens] : kept_) {
            const QString text = textAt(machine(0), place);
            for (const QString& token : tokens) {
                if (!tokensIn(text).count(token))
                    throw Broken(QStringLiteral("%1 falta en %2: «%3»").arg(token, place, text));
            }
        }
        calendar_.resetCounts();
        if (syncQuietly(0) || syncQuietly(1))
            throw Broken(
                QStringLiteral("una sincronización sin cambios halla el calendario vacío"));
        if (calendar_.writes() != 0)
            throw Broken(QStringLiteral("una sincronización sin cambios escribe %1 veces")
                             .arg(calendar_.writes()));
    }

private:
    static QString dayPlace(const QDate& date)
    {
        return QStringLiteral("el día ") + date.toString(Qt::ISODate);
    }
    static QString notitaPlace(const QString& name) { return QStringLiteral("la notita ") + name; }
    static std::set<QString> tokensIn(const QString& text)
    {
        static const QRegularExpression token(QStringLiteral("\\bt\\d+\\b"));
        std::set<QString> found;
        for (const QRegularExpressionMatch& match : token.globalMatch(text))
            found.insert(match.captured());
        return found;
    }
    void excuse(const QString& place, const QString& text)
    {
        for (const QString& token : tokensIn(text))
            kept_[place].erase(token);
    }
    // What an actor's text becomes when token is typed into it, kept track of.
    QString typed(const QString& place, const QString& before, const QString& token, bool replace)
    {
        if (replace)
            excuse(place, before);
        kept_[place].insert(token);
        if (replace)
            return token;
        return before.trimmed().isEmpty() ? token : before + u' ' + token;
    }
    QString textAt(SyncedMachine& m, const QString& place)
    {
        if (place.startsWith(dayPlace({})))
            return m.note(QDate::fromString(place.mid(dayPlace({}).size()), Qt::ISODate));
        const auto uid = names_.find(place.mid(notitaPlace({}).size()));
        if (uid == names_.end())
            return {};
        const auto notitas = m.notitas();
        const auto found = notitas.find(uid->second);
        return found == notitas.end() ? QString() : found->second;
    }
    static QString describe(const SyncItem::Key& key, const SyncItem& item,
                            const std::map<SyncItem::Key, SyncItem>& other)
    {
        const auto there = other.find(key);
        const auto shownOf = [](const SyncItem& i) {
            return i.key.kind == SyncItem::Kind::Day
                       ? QStringLiteral("«%1»%2%3%4")
                             .arg(i.day.note, i.day.holiday ? QStringLiteral(" festivo") : "",
                                  i.day.alarmOn ? QStringLiteral(" alarma") : "",
                                  i.day.colour == DayColours::kNeutral ? "" : " color")
                       : QStringLiteral("«%1»").arg(i.text);
        };
        return key.shown() + QStringLiteral(": ") + shownOf(item) + QStringLiteral(" / ") +
               (there == other.end() ? QStringLiteral("nada") : shownOf(there->second));
    }

    void notita(SyncedMachine& here, const QString& verb, const QString& name, const QString& token,
                const QString& how)
    {
        if (verb == QLatin1String("new")) {
            const QString uid = here.addNotita(name);
            names_[name] = uid;
            kept_[notitaPlace(name)].insert(name);
            return;
        }
        const auto uid = names_.find(name);
        if (uid == names_.end())
            return;
        const auto notitas = here.notitas();
        const auto found = notitas.find(uid->second);
        if (found == notitas.end())
            return;
        if (verb == QLatin1String("delete")) {
            excuse(notitaPlace(name), found->second);
            here.writeNotita(uid->second, QString());
            return;
        }
        here.writeNotita(uid->second,
                         typed(notitaPlace(name), found->second, token, how == QLatin1String("=")));
    }

    // The phone edits what the calendar holds, as CalDAV clients do: a summary in place.
    void phone(const QString& verb, const QString& a, const QString& b, const QString& c)
    {
        if (verb == QLatin1String("event")) {
            const QDate date = dateOf(a.toInt());
            const int days = b.toInt();
            calendar_.put(QStringLiteral("/cal/movil-%1.ics").arg(c),
                          Phone::foreignEvent(QStringLiteral("movil-") + c, date, c, days));
            for (int i = 0; i < days; ++i)
                kept_[dayPlace(date.addDays(i))].insert(c);
            return;
        }
        if (verb == QLatin1String("journal")) {
            const auto uid = names_.find(a);
            if (uid == names_.end())
                return;
            const QString href = Phone::journalName(uid->second);
            const auto found = calendar_.items().find(href);
            if (found == calendar_.items().end())
                return;
            const SyncItem::Read read = SyncItem::read(found->second.body, href);
            calendar_.put(href, Phone::journal(uid->second, typed(notitaPlace(a), read.item.text, b,
                                                                  c == QLatin1String("="))));
            return;
        }
        const QDate date = dateOf(a.toInt());
        const QString href = Phone::ownName(date);
        const auto found = calendar_.items().find(href);
        if (found == calendar_.items().end())
            return;
        QByteArray body = found->second.body;
        if (!options_.standIns && verb == QLatin1String("rename") &&
            body.contains("X-TARVELO-SIN-NOTA"))
            return;
        static const QRegularExpression summaryLine(
            QStringLiteral("\r\nSUMMARY(;[^:\r\n]*)?:((?:[^\r]|\r\n[ \t])*)"));
        const QString text = QString::fromUtf8(body);
        const QRegularExpressionMatch match = summaryLine.match(text);
        QString summary = match.captured(2);
        summary.remove(QStringLiteral("\r\n "));
        summary.replace(QStringLiteral("\\,"), QStringLiteral(","));
        summary.replace(QStringLiteral("\\;"), QStringLiteral(";"));
        if (verb == QLatin1String("delete")) {
            excuse(dayPlace(date), summary);
            calendar_.remove(href);
            return;
        }
        QString renamed = typed(dayPlace(date), summary, b, c == QLatin1String("="));
        renamed.replace(u',', QStringLiteral("\\,")).replace(u';', QStringLiteral("\\;"));
        const QString edited = text.left(match.capturedStart()) + QStringLiteral("\r\nSUMMARY:") +
                               renamed + text.mid(match.capturedEnd());
        calendar_.put(href, edited.toUtf8());
    }

    void reset()
    {
        calendar_.faults = {};
        calendar_.faults.changes = options_.changes;
        calendar_.faults.etagsInAnswers = options_.etags;
    }

    // Whether the calendar holds any day's event or notita's entry of ours.
    bool holdsOurs()
    {
        for (const auto& [href, item] : calendar_.items()) {
            if (SyncItem::read(item.body, href).what == SyncItem::Read::What::Item)
                return true;
        }
        return false;
    }

    void sync(int m, const QString& fault, int at, bool emptyHere)
    {
        SyncedMachine& here = machine(m);
        reset();
        calendar_.resetCounts();
        if (fault == QLatin1String("failAt"))
            calendar_.faults.failAt = at;
        else if (fault == QLatin1String("lostAt"))
            calendar_.faults.lostAt = at;
        else if (fault == QLatin1String("busyAt"))
            calendar_.faults.busyAt = at;
        else if (fault == QLatin1String("silent") || fault == QLatin1String("pages"))
            calendar_.faults.pageSize = at;
        calendar_.faults.truncateSilently = fault == QLatin1String("silent");
        if (fault == QLatin1String("refused"))
            calendar_.faults.tokens = MemoryCalendar::TokenRefusal::Forbidden;
        const bool emptiedBefore = remade_[std::size_t(m)] && !holdsOurs();
        const int changes = here.store.changes();
        try {
            const SyncReport report = here.sync();
            if (emptiedBefore && report.deletedHere + report.notitasDeletedHere > 0)
                throw Broken(QStringLiteral("un calendario vaciado ha vaciado %1 cosas aquí")
                                 .arg(report.deletedHere + report.notitasDeletedHere));
        } catch (const SyncError& error) {
            reset();
            const bool expected =
                (error.kind() == SyncError::Kind::Unreachable &&
                 (fault == QLatin1String("failAt") || fault == QLatin1String("lostAt"))) ||
                (error.kind() == SyncError::Kind::RetryLater && fault == QLatin1String("busyAt"));
            if (expected)
                return;
            if (error.kind() != SyncError::Kind::CalendarEmptied)
                throw Broken(QStringLiteral("la sincronización falla: ") + error.message());
            if (here.store.changes() != changes || calendar_.writes() != 0)
                throw Broken(QStringLiteral("un calendario vaciado, rechazado, cambia algo"));
            answer(m, emptyHere);
        }
        reset();
        remade_[std::size_t(m)] = false;
    }

    // The user's word on a calendar found emptied: what EmptyHere takes out was taken out on
    // purpose.
    void answer(int m, bool emptyHere)
    {
        SyncedMachine& here = machine(m);
        if (!emptyHere) {
            here.sync(CalendarSync::WhenEmptied::SendAgain);
            return;
        }
        std::map<QString, QString> before;
        for (const auto& [place, tokens] : kept_)
            before[place] = textAt(here, place);
        here.sync(CalendarSync::WhenEmptied::EmptyHere);
        for (const auto& [place, text] : before) {
            const std::set<QString> now = tokensIn(textAt(here, place));
            for (const QString& token : tokensIn(text)) {
                if (!now.count(token))
                    kept_[place].erase(token);
            }
        }
    }

    // Whether the machine has anything recorded as synced with the calendar.
    bool hasRecords(int m)
    {
        SyncBook book(machine(m).store.db());
        for (const SyncBook::Event& event : book.events()) {
            if (event.date.isValid())
                return true;
        }
        return !book.journals().empty();
    }

    // Each machine syncs with the calendar just emptied, those with something synced first, so
    // that none finds it filled by another before it was asked; then each refused answers.
    void answerAll(const QStringList& words)
    {
        std::vector<int> order{0, 1};
        std::stable_partition(order.begin(), order.end(), [this](int m) { return hasRecords(m); });
        std::vector<int> refused;
        for (const int m : order) {
            reset();
            const int changes = machine(m).store.changes();
            try {
                const SyncReport report = machine(m).sync();
                if (report.deletedHere + report.notitasDeletedHere > 0)
                    throw Broken(QStringLiteral("un calendario vaciado ha vaciado %1 cosas aquí")
                                     .arg(report.deletedHere + report.notitasDeletedHere));
                remade_[std::size_t(m)] = false;
            } catch (const SyncError& error) {
                if (error.kind() != SyncError::Kind::CalendarEmptied)
                    throw Broken(QStringLiteral("la sincronización falla: ") + error.message());
                if (machine(m).store.changes() != changes)
                    throw Broken(QStringLiteral("un calendario vaciado, rechazado, cambia algo"));
                refused.push_back(m);
            }
        }
        for (const int m : refused) {
            const qsizetype at = words.indexOf(m == 0 ? QStringLiteral("A") : QStringLiteral("B"));
            answer(m, words.value(at + 1) == QLatin1String("empty"));
            remade_[std::size_t(m)] = false;
        }
    }

    // Returns whether the calendar was found emptied and everything sent again.
    bool syncQuietly(int m)
    {
        try {
            machine(m).sync();
            return false;
        } catch (const SyncError& error) {
            if (error.kind() != SyncError::Kind::CalendarEmptied)
                throw Broken(QStringLiteral("la sincronización final falla: ") + error.message());
        }
        machine(m).sync(CalendarSync::WhenEmptied::SendAgain);
        return true;
    }

    void checkServer(const std::map<SyncItem::Key, SyncItem>& here)
    {
        std::map<SyncItem::Key, int> count;
        for (const auto& [href, item] : calendar_.items()) {
            const SyncItem::Read read = SyncItem::read(item.body, href);
            if (read.what == SyncItem::Read::What::Foreign)
                throw Broken(QStringLiteral("queda en el servidor el evento traído ") + href);
            if (read.what != SyncItem::Read::What::Item)
                continue;
            if (++count[read.item.key] > 1)
                throw Broken(QStringLiteral("%1 está dos veces en el servidor")
                                 .arg(read.item.key.shown(read.item.text)));
            const auto mine = here.find(read.item.key);
            if (mine == here.end() || !mine->second.sameAs(read.item))
                throw Broken(QStringLiteral("el servidor difiere de A en ") +
                             describe(read.item.key, read.item, here));
        }
        for (const auto& [key, item] : here) {
            if (!count.count(key))
                throw Broken(QStringLiteral("falta en el servidor ") + key.shown(item.text));
        }
    }

    Options options_;
    MemoryCalendar calendar_;
    std::array<std::unique_ptr<SyncedMachine>, 2> machines_;
    // The words that must be found at each place (a day, a notita by name).
    std::map<QString, std::set<QString>> kept_;
    std::map<QString, QString> names_; // notitas by name: their identity
    std::set<QString> used_;           // the words typed so far
    std::array<bool, 2> remade_{};     // the calendar emptied since the machine's last sync
};
