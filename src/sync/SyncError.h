#pragma once

#include <QString>

#include <stdexcept>

// A sync, a set-up or a look at the server that could not be done, with the message the user
// is shown (in Spanish, naming the server and the cause). What the store held before the
// failure is still there.
class SyncError : public std::runtime_error
{
public:
    explicit SyncError(const QString& message);

    QString message() const { return message_; }

private:
    QString message_;
};
