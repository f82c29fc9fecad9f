#pragma once

#include "access/MdbContents.h"

#include <QByteArray>
#include <QString>

// Reads the reader's stream (MdbWire) as it arrives, trusting nothing in it: every length,
// tag, table and count is checked, and anything out of place is a damaged reading. The reader
// may have been made to write anything by the file it read.
class MdbDecoder
{
public:
    // At most this many rows in all: far more than any calendar, few enough to hold.
    static constexpr qsizetype kMaxRows = 4'000'000;
    // And at most this many bytes: a file whose rows all point at one long text cannot make
    // this process hold more.
    static constexpr qint64 kMaxBytes = qint64(1) << 30;

    // file: the file being read, as the messages name it.
    explicit MdbDecoder(const QString& file);

    // Takes the next bytes; throws MdbError on a stream out of order, or on the reader's own
    // report that the file could not be read.
    void feed(const QByteArray& bytes);
    // The stream ended: throws MdbError unless it was complete.
    MdbContents finish();

private:
    bool takeRecord();
    void decodeTable(const char* p, qsizetype size);
    void decodeRow(const char* p, qsizetype size);
    [[noreturn]] void damaged(const QString& why) const;
    MdbTable& table(quint8 id);

    QString file_;
    QByteArray pending_;
    qsizetype offset_ = 0;
    bool headerRead_ = false;
    bool ended_ = false;
    int tablesSeen_ = 0;
    qsizetype rows_ = 0;
    qint64 total_ = 0;
    MdbContents contents_;
};
