#pragma once

#include <QString>

#include <optional>

// How texts that meet are put together: a day's note and a notita's text, wherever two of them
// meet (a sync, an import, another program's write). The one rule: nothing typed or brought in
// is ever cut or dropped, and what both sides share is kept once.
class TextMerge
{
public:
    TextMerge() = delete;

    // What stands between two texts kept side by side.
    static const QString kSeparator; // " · "

    struct Result
    {
        QString text;
        bool joined = false; // both sides changed the same stretch: both stretches stand
    };

    // Two texts changed apart from base (none: they share nothing, both are new). What either
    // side typed, appended or took out elsewhere than the other is applied once to what both
    // share; where both changed the same stretch differently, both versions of it stand,
    // joined by kSeparator. Blanks around the texts do not count.
    static Result merge(const std::optional<QString>& base, const QString& local,
                        const QString& remote);

    // An event's text brought into a day's note: after it, past kSeparator, unless the note
    // holds it already.
    static QString join(const QString& note, const QString& text);
    // The note holds text as itself, as one of its parts between separators or as a run of
    // them, blanks around it aside: "Ana" is not held by "Mañana".
    static bool holds(const QString& note, const QString& text);
};
