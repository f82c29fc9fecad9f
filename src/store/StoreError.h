#pragma once

#include <QString>

#include <stdexcept>

// A failure of the store, carrying the message the user is shown (in Spanish) and the SQLite
// result code behind it; the program reports it and ends.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString& message, int code = 1);

    QString message() const { return message_; }
    int code() const { return code_; }

private:
    QString message_;
    int code_;
};
