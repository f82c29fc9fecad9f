#pragma once

#include "access/CalendarMending.h"
#include "access/ConversionFiles.h"
#include "access/ConversionReport.h"
#include "access/MdbReader.h"

#include <QByteArray>
#include <QString>

// An older calendar (an Access calendar.mdb) brought over into a new Tarvelo store: read in a
// process of its own, mended, made whole in memory, and only then written to the disk.
class MdbImport
{
public:
    // The new store's bytes and what came over.
    struct Prepared
    {
        QByteArray image;
        ConversionReport report;
    };

    MdbImport() = delete;

    // The older calendar's rows, read whole and mended, as every conversion takes them. Throws
    // MdbError naming the file and the cause; nothing is written.
    static CalendarMending::Result read(const QString& oldFile,
                                        const MdbReader::Limits& limits = {});
    // The same made into a new store's bytes. Throws MdbError; nothing is written.
    static Prepared prepare(const QString& oldFile, const MdbReader::Limits& limits = {});
    // A new store in folder (made when missing, refused when it holds a calendar.mdb).
    static ConversionReport importInto(const QString& oldFile, const QString& folder);
    // The older calendar.mdb of folder replaced by its conversion; keptAs gets the name the
    // original is kept under.
    static ConversionReport convertInPlace(const QString& folder, QString* keptAs,
                                           const ConversionFiles::AfterStep& after = {});
};
