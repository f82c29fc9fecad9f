#pragma once

#include <QString>

#include <stdexcept>

// An older calendar that could not be brought over, with the message the user is shown (in
// Spanish, naming the file and the cause). The file and its folder are left as they were.
class MdbError : public std::runtime_error
{
public:
    explicit MdbError(const QString& message);

    QString message() const { return message_; }

private:
    QString message_;
};
