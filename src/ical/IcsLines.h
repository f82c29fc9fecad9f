#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <atomic>
#include <vector>

// The content lines of an iCalendar text, folds joined before anything is decoded (a fold may
// split a character), in one pass over the text whatever the length of a line. A line ends at
// CR LF, LF or a lone CR; a line that begins with a blank goes on the line before it.
class IcsLines
{
public:
    struct Line
    {
        char* text;       // null-terminated, inside the lines' own copy of the text
        qsizetype size;   // in bytes
        qsizetype number; // the line of the file it begins on, from 1
        QByteArrayView view() const { return QByteArrayView(text, size); }
    };

    // Throws IcsError naming file when the text is no text (a NUL byte) or a line is not UTF-8.
    // cancel, when given and set, ends the reading with IcsError::Cancelled.
    IcsLines(QByteArray text, const QString& file, const std::atomic<bool>* cancel = nullptr);

    const std::vector<Line>& lines() const { return lines_; }

    // How a message quotes a line: its beginning only, in characters, never the whole of it.
    static QString quoted(QByteArrayView line);

private:
    QByteArray text_;
    std::vector<Line> lines_;
};
