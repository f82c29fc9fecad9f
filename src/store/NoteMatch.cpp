#include "store/NoteMatch.h"

QString NoteMatch::prepare(const QString& typed, bool matchCase)
{
    return matchCase ? typed : upperCase(typed);
}

QString NoteMatch::upperCase(const QString& text)
{
    QString upper = text.toUpper();
    if (upper.size() == text.size())
        return upper;

    upper.clear();
    upper.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const QChar low = text.at(++i);
            const char32_t mapped = QChar::toUpper(QChar::surrogateToUcs4(c, low));
            if (QChar::requiresSurrogates(mapped)) {
                upper += QChar(QChar::highSurrogate(mapped));
                upper += QChar(QChar::lowSurrogate(mapped));
            } else {
                upper += c;
                upper += low;
            }
        } else {
            const char32_t mapped = QChar::toUpper(char32_t(c.unicode()));
            upper += QChar::requiresSurrogates(mapped) ? c : QChar(char16_t(mapped));
        }
    }
    return upper;
}

QString NoteMatch::compared(const QString& note) const
{
    return matchCase_ ? note : upperCase(note);
}

int NoteMatch::positionIn(const QString& note) const
{
    const QString comparedNote = compared(note);
    if (comparedNote.isEmpty())
        return 0;
    return int(comparedNote.indexOf(text_, 0, Qt::CaseSensitive)) + 1;
}
