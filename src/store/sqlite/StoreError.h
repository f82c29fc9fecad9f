#pragma once

#include <QString>

#include <stdexcept>

// A failure of the store, carrying the message the user is shown (in Spanish) and the SQLite
// result code behind it; the program reports it and ends.
class StoreError : public std::runtime_error
{
public:
    // detail: what SQLite itself said, for the program's log; never shown to the user.
    // cause: the part of the message that says why, when SQLite failed ("el disco está lleno").
    explicit StoreError(const QString& message, int code = 1, const QString& detail = {},
                        const QString& cause = {});

    QString message() const { return message_; }
    int code() const { return code_; }
    QString detail() const { return detail_; }
    QString cause() const { return cause_; }
    // Another program holds the file's lock: nothing is wrong with the file.
    bool busy() const;

private:
    QString message_;
    int code_;
    QString detail_;
    QString cause_;
};
