#pragma once

#include <QString>

// The message of the Error that call throws, or a null string when it throws none: a test asks
// whether it names the cause it expects, and a call that went through fails that check.
template <class Error, class Call> QString thrown(Call&& call)
{
    try {
        call();
    } catch (const Error& error) {
        return error.message();
    }
    return QString();
}
