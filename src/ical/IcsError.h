#pragma once

#include <QString>

#include <stdexcept>

// An export or import that could not be done, with the message the user is shown (in Spanish,
// naming the file and the cause). The store is left as it was.
class IcsError : public std::runtime_error
{
public:
    explicit IcsError(const QString& message, bool cancelled = false);

    // The user stopped the reading of file.
    static IcsError cancelled(const QString& file);

    QString message() const { return message_; }
    bool wasCancelled() const { return cancelled_; }

private:
    QString message_;
    bool cancelled_ = false;
};
