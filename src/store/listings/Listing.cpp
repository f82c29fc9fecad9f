#include "store/listings/Listing.h"

#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"
#include "store/sqlite/StoreError.h"

#include <sqlite3.h>

Listing Listing::run(const Database& db, const QString& query)
{
    Statement statement = db.prepare(query);
    if (!sqlite3_stmt_readonly(statement.handle())) {
        throw StoreError(
            QStringLiteral("La consulta «%1» no es una selección: no se ejecuta.").arg(query),
            SQLITE_AUTH);
    }
    Listing listing;
    listing.query_ = query;
    const int columns = statement.columnCount();
    for (int c = 0; c < columns; ++c)
        listing.columns_ << statement.columnName(c);
    while (statement.step()) {
        std::vector<QVariant> row(columns);
        for (int c = 0; c < columns; ++c)
            row[c] = statement.column(c);
        listing.rows_.push_back(std::move(row));
    }
    listing.moveFirst();
    return listing;
}

int Listing::columnIndex(const QString& name) const
{
    for (int c = 0; c < columns_.size(); ++c) {
        if (columns_[c].compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

void Listing::moveNext()
{
    if (eof())
        throw StoreError(QStringLiteral("No hay registro activo (MoveNext)."), SQLITE_MISUSE);
    ++position_;
}

void Listing::movePrevious()
{
    if (bof())
        throw StoreError(QStringLiteral("No hay registro activo (MovePrevious)."), SQLITE_MISUSE);
    --position_;
}

void Listing::moveTo(int row)
{
    if (row < 0 || row >= recordCount())
        throw StoreError(QStringLiteral("No existe la fila %1 del listado.").arg(row + 1),
                         SQLITE_RANGE);
    position_ = row;
}

QVariant Listing::value(int column) const
{
    if (bof() || eof())
        throw StoreError(QStringLiteral("No hay registro activo (lectura de campo)."),
                         SQLITE_MISUSE);
    if (column < 0 || column >= columnCount())
        throw StoreError(QStringLiteral("El listado no tiene la columna %1.").arg(column + 1),
                         SQLITE_RANGE);
    return rows_[position_][column];
}

QVariant Listing::value(const QString& field) const
{
    const int column = columnIndex(field);
    if (column < 0)
        throw StoreError(QStringLiteral("El listado no tiene el campo «%1».").arg(field),
                         SQLITE_ERROR);
    return value(column);
}

QDate Listing::dateAt(int row) const
{
    const int column = columnIndex(QStringLiteral("fecha"));
    if (column < 0 || row < 0 || row >= recordCount())
        return {};
    const QVariant fecha = at(row, column);
    return fecha.isNull() ? QDate() : DatePattern::toDate(fecha.toDouble());
}

QString Listing::noteAt(int row) const
{
    const int column = columnIndex(QStringLiteral("nota"));
    if (column < 0 || row < 0 || row >= recordCount())
        return {};
    return at(row, column).toString();
}

void Listing::noteWritten(int row, const QString& note)
{
    const int column = columnIndex(QStringLiteral("nota"));
    if (column >= 0 && row >= 0 && row < recordCount())
        rows_[std::size_t(row)][std::size_t(column)] = note;
}
