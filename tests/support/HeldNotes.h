#pragma once

#include "store/domain/DayBook.h"

#include <QDate>
#include <QString>

#include <map>
#include <optional>

// Notes typed and held as the notes list holds them, written through the day book when it asks.
class HeldNotes : public DayBook::PendingNotes
{
public:
    explicit HeldNotes(DayBook& days) : days_(days) { days_.setPendingNotes(this); }
    ~HeldNotes() { days_.setPendingNotes(nullptr); }
    HeldNotes(const HeldNotes&) = delete;
    HeldNotes& operator=(const HeldNotes&) = delete;

    void writePending(const QDate& first, const QDate& last) override
    {
        for (auto it = notes.begin(); it != notes.end();) {
            if (first.isValid() && (it->first < first || it->first > last)) {
                ++it;
                continue;
            }
            const QDate date = it->first;
            const QString note = it->second;
            it = notes.erase(it);
            days_.writeNote(date, note);
        }
    }

    std::optional<QString> pendingNote(const QDate& date) const override
    {
        const auto it = notes.find(date);
        return it == notes.end() ? std::nullopt : std::optional<QString>(it->second);
    }

    std::map<QDate, QString> notes;

private:
    DayBook& days_;
};
