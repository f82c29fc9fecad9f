#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// A converted store brought onto the disk so that a crash, a kill or a full disk at any moment
// leaves the folder with the older file untouched or with the conversion finished, never half
// of one: the store is written whole into a file without a name and flushed, and only then
// given a name and swapped with the older file in one step. A conversion cut short between two
// steps leaves the finished store (or the older file) under kPendingName, which recover()
// finishes or removes at the next start.
class ConversionFiles
{
public:
    static constexpr const char* kPendingName = "calendar-convirtiendo.mdb";

    // The steps of replace(), each done and flushed when the caller is told.
    enum class Step
    {
        Written, // the new store written and flushed, still without a name
        Named,   // ... named kPendingName beside the older file
        Swapped, // the new store is calendar.mdb, the older file is kPendingName
        Kept,    // the older file is kept under its new name: done
    };
    using AfterStep = std::function<void(Step)>;

    ConversionFiles() = delete;

    // The name the older file is kept under: calendar-anterior.mdb, or calendar-anterior-2.mdb
    // and on when that one is taken.
    static QString keptName(const QString& folder);
    // The store written as folder's calendar.mdb, which must not exist. Throws MdbError.
    static void writeNew(const QString& folder, const QByteArray& image);
    // folder's calendar.mdb replaced by the store, the older file kept under keptName(), which
    // is returned. Throws MdbError, the folder left as it was.
    static QString replace(const QString& folder, const QByteArray& image,
                           const AfterStep& after = {});
    // A replace() cut short, brought to one of its ends.
    static void recover(const QString& folder);
};
