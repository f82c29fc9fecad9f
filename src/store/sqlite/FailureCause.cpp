#include "store/sqlite/FailureCause.h"

#include "store/sqlite/LockHolder.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>

namespace {

// The system's error numbers that say more than SQLite's code: a full disk shows as an input
// and output error on the shared memory file, a read-only disk as a file that cannot be opened.
QString systemCause(int systemError)
{
    switch (systemError) {
    case ENOSPC:
        return QStringLiteral("el disco está lleno");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("se ha agotado la cuota de disco del usuario");
#endif
    case EROFS:
        return QStringLiteral("el disco es de solo lectura");
    case EACCES:
    case EPERM:
        return QStringLiteral("no hay permiso para acceder al archivo o a su carpeta");
    case EIO:
        return QStringLiteral("el disco ha dado un error de lectura o escritura");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("hay demasiados archivos abiertos");
    case ENOENT:
        return QStringLiteral("el archivo o su carpeta ya no existen");
    default:
        return {};
    }
}

} // namespace

QString FailureCause::of(int rc, int systemError, const QString& holder)
{
    const int primary = rc & 0xff;
    if (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_FULL) {
        if (const QString cause = systemCause(systemError); !cause.isEmpty())
            return cause;
    }
    switch (rc) {
    case SQLITE_READONLY_DBMOVED:
        return QStringLiteral("el archivo se ha movido o borrado mientras Tarvelo lo usaba");
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_CANTLOCK:
    case SQLITE_READONLY_RECOVERY:
        return QStringLiteral("no se puede escribir el archivo auxiliar calendar.mdb-shm de su "
                              "carpeta");
    case SQLITE_READONLY_ROLLBACK:
        return QStringLiteral("el archivo quedó a medio guardar y no se puede reparar porque es "
                              "de solo lectura");
    case SQLITE_IOERR_NOMEM:
        return QStringLiteral("no queda memoria libre");
    default:
        break;
    }
    switch (primary) {
    case SQLITE_FULL:
        return QStringLiteral("el disco está lleno");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        return holder.isEmpty() ? QStringLiteral("el archivo está en uso por otro programa")
                                : QStringLiteral("el archivo está en uso por %1").arg(holder);
    case SQLITE_READONLY:
        return QStringLiteral("el archivo o su carpeta son de solo lectura");
    case SQLITE_IOERR:
        return QStringLiteral("el disco ha dado un error de lectura o escritura (código %1)")
            .arg(rc);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("el archivo está dañado o no es un archivo de datos de Tarvelo");
    case SQLITE_CANTOPEN:
        return QStringLiteral("el sistema no deja abrir el archivo");
    case SQLITE_NOMEM:
        return QStringLiteral("no queda memoria libre");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("no hay permiso para acceder al archivo");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("el archivo tiene una regla propia, puesta por otro programa, que "
                              "no admite el dato");
    case SQLITE_MISMATCH:
        return QStringLiteral("un campo del archivo no admite esa clase de dato");
    case SQLITE_TOOBIG:
        return QStringLiteral("el dato es demasiado grande");
    case SQLITE_SCHEMA:
        return QStringLiteral("otro programa ha cambiado las tablas del archivo");
    case SQLITE_ERROR:
        return QStringLiteral("las tablas del archivo no tienen la forma que Tarvelo espera");
    default:
        return QStringLiteral("error interno del almacén (código %1)").arg(rc);
    }
}

QString FailureCause::shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

StoreError FailureCause::failure(const QString& path, Doing doing, const QString& cause, int rc,
                                 const QString& detail)
{
    QString text;
    switch (doing) {
    case Doing::Opening:
        text = QStringLiteral("No se puede abrir el archivo de datos «%1»: %2.");
        break;
    case Doing::Creating:
        text = QStringLiteral("No se puede crear el archivo de datos «%1»: %2.");
        break;
    case Doing::Reading:
        text = QStringLiteral("No se pudo leer el archivo de datos «%1»: %2.");
        break;
    case Doing::Saving:
        text = QStringLiteral("No se pudo guardar en el archivo de datos «%1»: %2.");
        break;
    }
    return StoreError(text.arg(shown(path), cause), rc, detail, cause);
}

StoreError FailureCause::failure(sqlite3* db, int rc, Doing doing)
{
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const QString path = file ? QString::fromUtf8(file) : QString();
    const QString detail =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int primary = rc & 0xff;
    const bool busy =
        primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_PROTOCOL;
    const QString holder = busy && !path.isEmpty() ? LockHolder::of(path) : QString();
    const int systemError = db ? sqlite3_system_errno(db) : 0;
    return failure(path, doing, of(rc, systemError, holder), rc, detail);
}
