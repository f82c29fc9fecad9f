#include "store/listings/SelectionQuery.h"

QString SelectionQuery::rangePiece(const SelectionCriteria& criteria)
{
    return QStringLiteral(" WHERE fecha BETWEEN ") + QString::number(criteria.desde) +
           QStringLiteral(" AND ") + QString::number(criteria.hasta);
}

// A holiday is any value but 0, as everywhere else: older stores keep yes as -1, which
// "Festivo = True" (that is, = 1) would leave out.
QString SelectionQuery::holidayPiece(const SelectionCriteria& criteria)
{
    if (criteria.holidaysOnly())
        return QStringLiteral(" and Festivo <> False");
    if (criteria.workdaysOnly())
        return QStringLiteral(" and Festivo = False");
    return {};
}

QString SelectionQuery::colourPiece(const SelectionCriteria& criteria)
{
    if (!criteria.colour)
        return {};
    return QStringLiteral(" and color=") + QString::number(DayColours::code(*criteria.colour));
}

QString SelectionQuery::wordPiece(const SelectionCriteria& criteria)
{
    if (criteria.word.isEmpty())
        return {};
    return QStringLiteral(" AND nota LIKE '*") + quotedPattern(criteria.word.trimmed()) +
           QStringLiteral("*'");
}

QString SelectionQuery::orderPiece()
{
    return QStringLiteral(" ORDER by fecha");
}

QString SelectionQuery::unordered(const SelectionCriteria& criteria)
{
    return QStringLiteral("SELECT fecha, nota FROM calendar") + rangePiece(criteria) +
           holidayPiece(criteria) + colourPiece(criteria) + wordPiece(criteria);
}

QString SelectionQuery::query(const SelectionCriteria& criteria)
{
    return unordered(criteria) + orderPiece();
}

QString SelectionQuery::quotedPattern(const QString& word)
{
    QString quoted;
    quoted.reserve(word.size() + 8);
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        if (c == QLatin1Char('\'')) {
            quoted += QStringLiteral("''");
        } else if (c.unicode() == 0) {
            continue; // the store reads a query text only up to a NUL
        } else if (c.isHighSurrogate() && i + 1 < word.size() && word.at(i + 1).isLowSurrogate()) {
            quoted += c;
            quoted += word.at(++i);
        } else if (c.isSurrogate()) {
            // Half a character would reach the store as "?", a pattern of its own; the
            // replacement character matches only itself.
            quoted += QChar(QChar::ReplacementCharacter);
        } else {
            quoted += c;
        }
    }
    return quoted;
}
