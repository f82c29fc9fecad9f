#include "store/sqlite/StoreFile.h"

#include "store/sqlite/FailureCause.h"
#include "store/sqlite/HeldFiles.h"
#include "store/sqlite/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kHeaderSize = 100;
const QByteArray kMagic("SQLite format 3", 16); // with its closing NUL
// Bytes 18 and 19 of the header: the versions a writer and a reader need; 2 is the
// write-ahead journal.
constexpr int kWriteVersion = 18;
constexpr int kReadVersion = 19;

[[noreturn]] void refuse(const QString& message, int code)
{
    throw StoreError(message, code);
}

QString notAFile(const QString& path, const QString& what)
{
    return QStringLiteral("«%1» no es un archivo de datos: es %2.")
        .arg(FailureCause::shown(path), what);
}

#ifdef Q_OS_UNIX
bool permits(const QString& path, int mode, mode_t bits)
{
    const QByteArray name = QFile::encodeName(path);
    if (::faccessat(AT_FDCWD, name.constData(), mode, AT_EACCESS) != 0)
        return false;
    if (::geteuid() != 0)
        return true;
    struct stat info;
    return ::stat(name.constData(), &info) == 0 && (info.st_mode & bits) != 0;
}

bool onReadOnlyDisk(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    return ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0 && errno == EROFS;
}
#else
bool onReadOnlyDisk(const QString&)
{
    return false;
}
#endif

} // namespace

bool StoreFile::mayRead(const QString& path)
{
#ifdef Q_OS_UNIX
    return permits(path, R_OK, S_IRUSR | S_IRGRP | S_IROTH);
#else
    return QFileInfo(path).isReadable();
#endif
}

bool StoreFile::mayWrite(const QString& path)
{
#ifdef Q_OS_UNIX
    return permits(path, W_OK, S_IWUSR | S_IWGRP | S_IWOTH);
#else
    return QFileInfo(path).isWritable();
#endif
}

StoreFile::Journal StoreFile::check(const QString& path, bool forWriting)
{
    const QFileInfo info(path);
    const QString shown = FailureCause::shown(path);
    if (!info.exists()) {
        refuse(QStringLiteral("No se encuentra el archivo de datos «%1».\n\n"
                              "Tarvelo busca calendar.mdb en la carpeta de trabajo. Para crear "
                              "uno vacío, ejecute:\n    tarvelo-db create \"%2\"")
                   .arg(shown, QDir::toNativeSeparators(info.absolutePath())),
               SQLITE_CANTOPEN);
    }
    // Read through the file's own descriptor when a connection has it open: closing another
    // would drop that connection's locks. A named pipe or a device is never opened to be read.
    const HeldFiles::Reading head = HeldFiles::read(path, kHeaderSize);
    if (const QString kind = head.kindInWords(); !kind.isEmpty())
        refuse(notAFile(path, kind), SQLITE_CANTOPEN);
    if (!mayRead(path)) {
        refuse(QStringLiteral("No se puede leer el archivo de datos «%1»: no tiene permiso de "
                              "lectura. Compruebe los permisos del archivo.")
                   .arg(shown),
               SQLITE_PERM);
    }
    if (head.kind != HeldFiles::Reading::Kind::File) {
        refuse(QStringLiteral("No se puede leer el archivo de datos «%1»: el sistema no deja "
                              "abrirlo.")
                   .arg(shown),
               SQLITE_CANTOPEN);
    }
    const QByteArray& header = head.bytes;
    if (header.isEmpty()) {
        refuse(QStringLiteral("El archivo «%1» está vacío: no es un archivo de datos de Tarvelo.")
                   .arg(shown),
               SQLITE_NOTADB);
    }
    if (header.size() < kHeaderSize || !header.startsWith(kMagic)) {
        refuse(QStringLiteral("El archivo «%1» no es un archivo de datos de Tarvelo o está "
                              "dañado.")
                   .arg(shown),
               SQLITE_NOTADB);
    }
    const Journal journal = header.at(kWriteVersion) == 2 || header.at(kReadVersion) == 2
                                ? Journal::Wal
                                : Journal::Rollback;
    if (!forWriting)
        return journal;

    if (onReadOnlyDisk(path)) {
        refuse(QStringLiteral("El archivo de datos «%1» está en un disco de solo lectura: "
                              "Tarvelo no podría guardar ningún cambio.")
                   .arg(shown),
               SQLITE_READONLY);
    }
    if (!mayWrite(path)) {
        refuse(QStringLiteral("El archivo de datos «%1» es de solo lectura: Tarvelo no podría "
                              "guardar ningún cambio. Compruebe los permisos del archivo.")
                   .arg(shown),
               SQLITE_READONLY);
    }
    // A companion left read-only (by another user, or by an older Tarvelo that was refused the
    // file) would make every save fail.
    for (const QString& companion : {walPath(path), shmPath(path)}) {
        if (QFileInfo::exists(companion) && !mayWrite(companion)) {
            refuse(QStringLiteral("El archivo «%1», que acompaña al archivo de datos «%2», es de "
                                  "solo lectura: Tarvelo no podría guardar ningún cambio. "
                                  "Compruebe sus permisos.")
                       .arg(FailureCause::shown(companion), shown),
                   SQLITE_READONLY);
        }
    }
    // Saving needs calendar.mdb-wal and calendar.mdb-shm beside the file: the folder must take
    // them, unless they are there already.
    const bool companionsThere = journal == Journal::Wal && QFileInfo::exists(walPath(path)) &&
                                 QFileInfo::exists(shmPath(path));
    if (!companionsThere && !mayWrite(info.absolutePath())) {
        refuse(QStringLiteral("La carpeta «%1» es de solo lectura: Tarvelo necesita crear en ella, "
                              "junto al archivo de datos «%2», los archivos calendar.mdb-wal y "
                              "calendar.mdb-shm para poder guardar. Compruebe los permisos de la "
                              "carpeta.")
                   .arg(QDir::toNativeSeparators(info.absolutePath()), shown),
               SQLITE_READONLY);
    }
    return journal;
}
