#pragma once

#include "store/domain/Day.h"

#include <QString>

#include <optional>

// A day changed here and on the server since the last sync, put together from both and the
// content both started from. An empty day (the day's contents deleted) is a deletion: an edit
// on the other side beats it. Otherwise each part is taken from the side that changed it; a
// note both changed keeps both texts, joined with " · ", and a mark both changed (holiday,
// colour, alarm) is the server's.
class ThreeWayMerge
{
public:
    ThreeWayMerge() = delete;

    static const QString kSeparator; // " · "

    struct Result
    {
        Day day;
        bool joined = false; // both sides' notes kept, or a mark both changed settled
    };

    // base: none when the day had never been synced (both sides are new).
    // All three canonical (DayContent::canonical).
    static Result merge(const std::optional<Day>& base, const Day& local, const Day& remote);
    // A notita's text, likewise: an empty text is a deletion, which an edit beats, and a text
    // both sides changed keeps both. All three canonical (NotitaContent::canonical).
    struct TextResult
    {
        QString text;
        bool joined = false;
    };
    static TextResult mergeText(const std::optional<QString>& base, const QString& local,
                                const QString& remote);
    // note with text after it, unless it holds it already.
    static QString join(const QString& note, const QString& text);
};
