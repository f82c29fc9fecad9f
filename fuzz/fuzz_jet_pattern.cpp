// The LIKE pattern matcher on any pattern and text: never crashes or hangs, and a pattern of
// plain letters and digits matches exactly the texts equal to it without regard to case.

#include "store/jet/JetPattern.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte splits the input into a pattern and a text.
    if (size < 1)
        return 0;
    const std::size_t split = std::size_t(data[0]) % size;
    const char* rest = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;
    const QString pattern = QString::fromUtf8(rest, qsizetype(std::min(split, length)));
    const QString text = QString::fromUtf8(rest + std::min(split, length),
                                           qsizetype(length - std::min(split, length)));
    const bool matched = JetPattern(pattern).matches(text);
    JetPattern(pattern, QChar(u'\\')).matches(text);

    bool plain = true;
    for (QChar c : pattern)
        plain = plain && c.isLetterOrNumber() && c.unicode() < 128 && !c.isDigit();
    if (plain && matched != (pattern.compare(text, Qt::CaseInsensitive) == 0))
        std::abort();
    // "*" matches everything.
    if (!JetPattern(QStringLiteral("*")).matches(text))
        std::abort();
    return 0;
}
