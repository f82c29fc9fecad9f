// Reading a date or time text: never crashes, and a text that reads formats back to a text
// that reads to the same day.

#include "store/jet/DatePattern.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto value = DatePattern::read(text);
    if (!value)
        return 0;
    if (*value >= 1) { // a date: its own text reads back to it
        const QString again = DatePattern::format(*value, QStringLiteral("dd/mm/yyyy"));
        const auto reread = DatePattern::read(again);
        if (!reread || *reread != *value)
            std::abort();
    }
    DatePattern::format(*value, QStringLiteral("ddd, dd/mmmm/yyyy hh:nn:ss # w y"));
    return 0;
}
