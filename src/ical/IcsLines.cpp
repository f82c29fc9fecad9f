#include "ical/IcsLines.h"

#include "ical/IcsError.h"

namespace {

constexpr qsizetype kQuoted = 40;   // characters of a line a message shows
constexpr qsizetype kPolled = 4096; // lines between two looks at the cancel flag

[[noreturn]] void refuse(const QString& file, const QString& cause)
{
    throw IcsError(QStringLiteral("No se puede importar «%1»: %2").arg(file, cause));
}

} // namespace

QString IcsLines::quoted(QByteArrayView line)
{
    // Decoded a little beyond what is shown, so that a character cut in two costs nothing.
    const QString text = QString::fromUtf8(line.first(std::min(line.size(), kQuoted * 4)));
    QString shown = text.left(kQuoted);
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text.size() > kQuoted || line.size() > kQuoted * 4 ? shown + QChar(0x2026) : shown;
}

IcsLines::IcsLines(QByteArray text, const QString& file, const std::atomic<bool>* cancel)
    : text_(std::move(text))
{
    if (text_.startsWith("\xEF\xBB\xBF"))
        text_.remove(0, 3);
    char* data = text_.data(); // detached: the lines are joined and ended in place
    const qsizetype size = text_.size();
    const qsizetype nul = QByteArrayView(text_).indexOf('\0');
    if (nul >= 0) {
        qsizetype line = 1;
        for (qsizetype i = 0; i < nul; ++i)
            line += data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'));
        refuse(file, QStringLiteral("no es un archivo de texto (tiene un byte nulo en la línea %1)")
                         .arg(line));
    }

    // Each logical line is copied down over the folds it swallows; every byte moves at most once.
    qsizetype read = 0;
    qsizetype physical = 0;
    const auto lineEnd = [&](qsizetype from) {
        qsizetype at = from;
        while (at < size && data[at] != '\n' && data[at] != '\r')
            ++at;
        return at;
    };
    const auto nextLine = [&](qsizetype end) {
        ++physical;
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            return end + 2;
        return end + 1;
    };
    while (read < size) {
        if (cancel && lines_.size() % kPolled == 0 && cancel->load(std::memory_order_relaxed))
            throw IcsError::cancelled(file);
        const qsizetype number = physical + 1;
        const qsizetype start = read;
        qsizetype end = lineEnd(read);
        qsizetype write = end; // where the logical line ends so far
        read = nextLine(end);
        while (read < size && (data[read] == ' ' || data[read] == '\t')) {
            end = lineEnd(read + 1);
            const qsizetype piece = end - (read + 1);
            if (write != read + 1)
                std::memmove(data + write, data + read + 1, std::size_t(piece));
            write += piece;
            read = nextLine(end);
        }
        if (QByteArrayView(data + start, write - start).trimmed().isEmpty())
            continue; // an empty line, or blanks before the first
        // What ended the line, or the text's own terminator, becomes the line's end.
        data[write] = '\0';
        const QByteArrayView view(data + start, write - start);
        if (!view.isValidUtf8()) {
            refuse(file, QStringLiteral("el texto no está en UTF-8, como pide iCalendar (línea %1)")
                             .arg(number));
        }
        lines_.push_back({data + start, write - start, number});
    }
}
