#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalized when it goes out of scope; binding and reading go
// through QVariant so that callers never touch the C API.
class Statement
{
public:
    Statement() = default;
    // Throws StoreError naming the SQL when it does not compile.
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return stmt_ != nullptr; }
    sqlite3_stmt* handle() const { return stmt_; }

    void bind(int index, const QVariant& value); // 1-based, as SQLite counts
    // Returns true while there is a row; throws StoreError on failure. Resets itself after the
    // last row so that it can be stepped again with new bindings.
    bool step();
    void reset();   // also clears the bindings
    void execute(); // step through to the end

    int columnCount() const;
    QString columnName(int column) const;
    QVariant column(int column) const;
    double columnDouble(int column) const;
    qint64 columnInt64(int column) const;
    bool columnIsNull(int column) const;

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};
