#include "store/sqlite/Statement.h"

#include "store/sqlite/FailureCause.h"
#include "store/sqlite/StoreError.h"

#include <sqlite3.h>

#include <utility>

namespace {

// Whether a failing statement was meant to read: what the user is told depends on it.
FailureCause::Doing doingOf(sqlite3_stmt* stmt)
{
    return !stmt || sqlite3_stmt_readonly(stmt) ? FailureCause::Doing::Reading
                                                : FailureCause::Doing::Saving;
}

FailureCause::Doing doingOf(const QString& sql)
{
    const QString first = sql.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    return first == QLatin1String("SELECT") || first == QLatin1String("WITH") ||
                   first == QLatin1String("PRAGMA")
               ? FailureCause::Doing::Reading
               : FailureCause::Doing::Saving;
}

} // namespace

Statement::Statement(sqlite3* db, const QString& sql) : db_(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt_, &tail);
    if (rc != SQLITE_OK || stmt_ == nullptr) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        const StoreError error =
            FailureCause::failure(db, rc == SQLITE_OK ? SQLITE_ERROR : rc, doingOf(sql));
        throw StoreError(error.message(), error.code(),
                         error.detail() + QStringLiteral(" [") + sql + QLatin1Char(']'),
                         error.cause());
    }
    // A second statement after the first would be silently ignored by SQLite; a query text is
    // one statement, so anything more than blanks and a semicolon is refused.
    for (const char* p = tail; p && *p; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r' && *p != ';') {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw StoreError(
                QStringLiteral("La consulta «%1» contiene más de una instrucción.").arg(sql),
                SQLITE_ERROR);
        }
    }
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), stmt_(std::exchange(other.stmt_, nullptr))
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

void Statement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull() || !value.isValid()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt_, index, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::Long:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt_, index, value.toDouble());
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw FailureCause::failure(db_, rc, doingOf(stmt_));
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(stmt_);
        return false;
    }
    // Read before the reset, which may clear what SQLite says went wrong.
    const StoreError error = FailureCause::failure(db_, rc, doingOf(stmt_));
    sqlite3_reset(stmt_);
    throw error;
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::execute()
{
    while (step()) {
    }
}

int Statement::columnCount() const
{
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QVariant Statement::column(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column)));
    }
    }
}

double Statement::columnDouble(int column) const
{
    return sqlite3_column_double(stmt_, column);
}

qint64 Statement::columnInt64(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

bool Statement::columnIsNull(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}
