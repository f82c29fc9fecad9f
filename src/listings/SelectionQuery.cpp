#include "listings/SelectionQuery.h"

QString SelectionQuery::rangePiece() const
{
    return QStringLiteral(" WHERE fecha BETWEEN ") + QString::number(desde) +
           QStringLiteral(" AND ") + QString::number(hasta);
}

// Both boxes or neither ask for every day: a filter only when exactly one is ticked.
QString SelectionQuery::holidayPiece() const
{
    if (festivo && !laboral)
        return QStringLiteral(" and Festivo = True");
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
    switch (colour) {
    case Colour::Azul:
        return QStringLiteral(" and color=1");
    case Colour::Negro:
        return QStringLiteral(" and color=9");
    case Colour::Verde:
        return QStringLiteral(" and color=13");
    case Colour::Todos:
        break;
    }
    return {};
}

QString SelectionQuery::colourTitle() const
{
    switch (colour) {
    case Colour::Azul:
        return QStringLiteral(", AZULES");
    case Colour::Negro:
        return QStringLiteral(", NEGROS");
    case Colour::Verde:
        return QStringLiteral(", VERDES");
    case Colour::Todos:
        break;
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
