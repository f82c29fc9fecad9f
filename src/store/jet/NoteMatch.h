#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

struct sqlite3;

// How the search compares a note with the text looked for: both in upper case unless letter
// case is to match, one character for one, so that a position found in the compared note is
// the same in the stored one; accented letters stay distinct from plain ones. The store runs
// the same comparison inside its queries, as the function tarvelo_posicion(nota, text, case).
class NoteMatch
{
public:
    // The SQL function's name, registered on every connection by registerOn().
    static constexpr const char* kSqlFunction = "tarvelo_posicion";

    // text: the text looked for as it was prepared when the search began; matchCase: whether
    // letter case counts for this comparison.
    NoteMatch(QString text, bool matchCase);

    // The typed text as a search keeps it: in upper case unless case is to match.
    static QString prepare(const QString& typed, bool matchCase);
    // Like QString::toUpper, but a letter whose upper case is two ("ß") stays one.
    static QString upperCase(const QString& text);

    const QString& text() const { return text_; }
    bool matchCase() const { return matchCase_; }
    // The note as it is compared.
    QString compared(const QString& note) const;
    // 1-based position of the text in the compared note, counted in UTF-16 units as the text
    // boxes count; 0 when it does not occur. An empty note gives 0; an empty text gives 1 in
    // any other note.
    int positionIn(const QString& note) const;
    // The same for a note kept as UTF-8, as the store keeps it, without making a QString of it.
    int positionInUtf8(const char* note, qsizetype bytes) const;

    // Registers tarvelo_posicion(nota, text, matchCase) on a connection; an SQLite result code.
    static int registerOn(sqlite3* db);

private:
    QString text_;
    bool matchCase_;
    QByteArray utf8_;              // the text as UTF-8, for the comparison with case
    std::vector<char32_t> points_; // the text as code points, for the one without case
    bool asciiText_ = false;       // the text is plain ASCII: notes in Latin-1 go the quick way
};
