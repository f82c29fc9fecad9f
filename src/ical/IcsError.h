#pragma once

#include <QString>

#include <stdexcept>

// An export or import that could not be done, with the message the user is shown (in Spanish,
// naming the file and the cause). The store is left as it was.
class IcsError : public std::runtime_error
{
public:
    explicit IcsError(const QString& message);

    QString message() const { return message_; }

private:
    QString message_;
};
