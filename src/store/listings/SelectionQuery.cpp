#include "store/listings/SelectionQuery.h"

QString SelectionQuery::rangePiece() const
{
    return QStringLiteral(" WHERE fecha BETWEEN ") + QString::number(desde) +
           QStringLiteral(" AND ") + QString::number(hasta);
}

// Both boxes or neither ask for every day: a filter only when exactly one is ticked. A holiday
// is any value but 0, as everywhere else: older stores keep yes as -1, which "Festivo = True"
// (that is, = 1) would leave out.
QString SelectionQuery::holidayPiece() const
{
    if (festivo && !laboral)
        return QStringLiteral(" and Festivo <> False");
    if (laboral && !festivo)
        return QStringLiteral(" and Festivo = False");
    return {};
}

QString SelectionQuery::holidayTitle() const
{
    if (festivo && !laboral)
        return QStringLiteral(", FESTIVOS");
    if (laboral && !festivo)
        return QStringLiteral(", LABORABLES");
    return {};
}

QString SelectionQuery::colourPiece() const
{
    if (!colour)
        return {};
    return QStringLiteral(" and color=") + QString::number(DayColours::code(*colour));
}

QString SelectionQuery::colourTitle() const
{
    if (!colour)
        return {};
    switch (*colour) {
    case DayColour::Azul:
        return QStringLiteral(", AZULES");
    case DayColour::Gris:
        return QStringLiteral(", GRISES");
    case DayColour::Negro:
        return QStringLiteral(", NEGROS");
    case DayColour::Verde:
        return QStringLiteral(", VERDES");
    }
    return {};
}

QString SelectionQuery::wordPiece() const
{
    if (word.isEmpty())
        return {};
    return QStringLiteral(" AND nota LIKE '*") + quotedPattern(word.trimmed()) +
           QStringLiteral("*'");
}

QString SelectionQuery::wordTitle() const
{
    if (word.isEmpty())
        return {};
    return QStringLiteral(" y con \"") + word.toUpper() + QLatin1Char('"');
}

QString SelectionQuery::query() const
{
    return QStringLiteral("SELECT fecha, nota FROM calendar") + rangePiece() + holidayPiece() +
           colourPiece() + wordPiece() + QStringLiteral(" ORDER by fecha");
}

QString SelectionQuery::title(int count, const QString& desdeText, const QString& hastaText) const
{
    return QString::number(count) + QStringLiteral(" Hallados entre ") + desdeText +
           QStringLiteral(" y ") + hastaText + holidayTitle() + colourTitle() + wordTitle();
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
