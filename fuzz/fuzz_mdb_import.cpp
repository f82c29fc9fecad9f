// Any file taken for an older (Access) calendar and converted in place, as at start-up: read by
// tarvelo-mdb-read in a process of its own, under its limits. Whatever the bytes make the
// library do, this process never crashes; a refused file is left byte for byte as it was with
// nothing new beside it, and a converted one is kept whole under its new name beside a store.

#include "access/ConversionFiles.h"
#include "access/MdbError.h"
#include "access/MdbImport.h"
#include "store/CalendarStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

[[noreturn]] void broken(const char* promise)
{
    std::fprintf(stderr, "promise broken: %s\n", promise);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    for (const QString& name : entriesOf(dir.path()))
        QFile::remove(QDir(dir.path()).filePath(name));
    const QString path = CalendarStore::pathIn(dir.path());
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 0;
    }
    MdbReader::Limits limits;
    limits.wallMs = 5000;
    limits.cpuSeconds = 4;
    limits.memoryBytes = 512LL << 20;
    try {
        const MdbImport::Prepared prepared = MdbImport::prepare(path, limits);
        const QString kept = ConversionFiles::replace(dir.path(), prepared.image);
        if (read(QDir(dir.path()).filePath(kept)) != bytes)
            broken("the older file is kept unchanged");
        if (read(path) != prepared.image)
            broken("the conversion is in place whole");
        if (entriesOf(dir.path()).size() != 2)
            broken("nothing but the store and the older file");
    } catch (const MdbError&) {
        if (read(path) != bytes)
            broken("a refused file is left as it was");
        if (entriesOf(dir.path()) != QStringList{QStringLiteral("calendar.mdb")})
            broken("a refusal leaves nothing beside the file");
    }
    return 0;
}
