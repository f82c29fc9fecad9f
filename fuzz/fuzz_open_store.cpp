// Opening any file as the store: it is refused with a StoreError or opened and walked, and a
// refused file is left byte for byte as it was.

#include "store/CalendarStore.h"
#include "store/StoreError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(bytes);
    }
    try {
        auto store = CalendarStore::open(dir.path());
        for (store->rsCalendar.moveFirst(); !store->rsCalendar.eof(); store->rsCalendar.moveNext())
            store->rsCalendar.value(QStringLiteral("nota"));
        for (store->rsNota.moveFirst(); !store->rsNota.eof(); store->rsNota.moveNext())
            store->rsNota.value(QStringLiteral("nota"));
        store->runListing(CalendarStore::allNotesQuery());
    } catch (const StoreError&) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        // What is refused at the door is never written to.
        if (file.readAll() != bytes)
            std::abort();
    }
    return 0;
}
