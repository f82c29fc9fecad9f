#include "access/MdbImport.h"

#include "access/CalendarMending.h"
#include "access/JetSignature.h"
#include "access/MdbError.h"
#include "store/CalendarStore.h"
#include "store/domain/StoreImage.h"
#include "store/sqlite/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

[[noreturn]] void refuse(const QString& file, const QString& why)
{
    throw MdbError(
        QStringLiteral("El archivo «%1» no se puede convertir: %2.").arg(shown(file), why));
}

} // namespace

CalendarMending::Result MdbImport::read(const QString& oldFile, const MdbReader::Limits& limits)
{
    const QFileInfo info(oldFile);
    if (!info.isFile())
        refuse(oldFile, QStringLiteral("no existe o no es un archivo"));
    const JetSignature::Kind kind = JetSignature::of(oldFile);
    if (kind == JetSignature::Kind::Ace)
        refuse(oldFile, QStringLiteral("es una base de datos de Access 2007 o posterior "
                                       "(.accdb), que Tarvelo no lee; guárdela desde Access en el "
                                       "formato de Access 2000 (.mdb)"));
    if (kind == JetSignature::Kind::NotAccess)
        refuse(oldFile, QStringLiteral("no es un archivo de Access (.mdb)"));
    // A file cut short at a page boundary still reads; one cut inside a page never is whole.
    if (info.size() % JetSignature::pageSize(kind) != 0)
        refuse(oldFile, QStringLiteral("está truncado (su tamaño no es un número entero de "
                                       "páginas)"));

    const MdbContents contents = MdbReader::read(oldFile, limits);
    return CalendarMending::mend(contents, shown(oldFile));
}

MdbImport::Prepared MdbImport::prepare(const QString& oldFile, const MdbReader::Limits& limits)
{
    CalendarMending::Result mended = read(oldFile, limits);
    try {
        return {StoreImage::build(mended.days, mended.notitas), std::move(mended.report)};
    } catch (const StoreError& error) {
        refuse(oldFile, error.message());
    }
}

ConversionReport MdbImport::importInto(const QString& oldFile, const QString& folder)
{
    const QDir dir(folder);
    if (QFileInfo::exists(CalendarStore::pathIn(dir.absolutePath())))
        throw MdbError(QStringLiteral("En la carpeta «%1» ya hay un calendar.mdb: no se "
                                      "sobrescribe un archivo de datos.")
                           .arg(shown(folder)));
    Prepared prepared = prepare(oldFile);
    const bool made = !dir.exists();
    if (made && !QDir().mkpath(dir.absolutePath()))
        throw MdbError(QStringLiteral("No se ha podido crear la carpeta «%1».").arg(shown(folder)));
    try {
        ConversionFiles::writeNew(dir.absolutePath(), prepared.image);
    } catch (const MdbError&) {
        if (made)
            QDir().rmdir(dir.absolutePath());
        throw;
    }
    return std::move(prepared.report);
}

ConversionReport MdbImport::convertInPlace(const QString& folder, QString* keptAs,
                                           const ConversionFiles::AfterStep& after)
{
    const QString path = CalendarStore::pathIn(folder);
    Prepared prepared = prepare(path);
    const QString kept = ConversionFiles::replace(folder, prepared.image, after);
    if (keptAs)
        *keptAs = kept;
    return std::move(prepared.report);
}
