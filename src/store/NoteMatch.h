#pragma once

#include <QString>

#include <utility>

// How the search compares a note with the text looked for: both in upper case unless letter
// case is to match, one character for one, so that a position found in the compared note is
// the same in the stored one; accented letters stay distinct from plain ones.
class NoteMatch
{
public:
    // text: the text looked for as it was prepared when the search began; matchCase: whether
    // letter case counts for this comparison.
    NoteMatch(QString text, bool matchCase) : text_(std::move(text)), matchCase_(matchCase) {}

    // The typed text as a search keeps it: in upper case unless case is to match.
    static QString prepare(const QString& typed, bool matchCase);
    // Like QString::toUpper, but a letter whose upper case is two ("ß") stays one.
    static QString upperCase(const QString& text);

    const QString& text() const { return text_; }
    bool matchCase() const { return matchCase_; }
    // The note as it is compared.
    QString compared(const QString& note) const;
    // 1-based position of the text in the compared note; 0 when it does not occur. An empty
    // note gives 0; an empty text gives 1 in any other note.
    int positionIn(const QString& note) const;

private:
    QString text_;
    bool matchCase_;
};
