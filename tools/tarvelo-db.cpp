// tarvelo-db: the store tool. Makes an empty calendar.mdb and checks an existing one; the
// program itself never creates its store.

#include "store/CalendarStore.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <sqlite3.h>

namespace {

int usage(QTextStream& err)
{
    err << "Uso:\n"
           "  tarvelo-db create [CARPETA]   crea un calendar.mdb vacío en CARPETA "
           "(por omisión, la actual)\n"
           "  tarvelo-db check [ARCHIVO]    comprueba un archivo de datos "
           "(por omisión, ./calendar.mdb)\n";
    return 2;
}

qint64 count(const Database& db, const char* sql)
{
    Statement statement = db.prepare(QString::fromLatin1(sql));
    statement.step();
    const qint64 n = statement.columnInt64(0);
    statement.reset();
    return n;
}

int create(const QString& folder, QTextStream& out)
{
    const QDir dir(folder);
    if (!dir.exists())
        throw StoreError(
            QStringLiteral("No existe la carpeta «%1».").arg(QDir::toNativeSeparators(folder)));
    const QString path = CalendarStore::pathIn(dir.absolutePath());
    Database::create(path);
    out << "Creado " << QDir::toNativeSeparators(path) << "\n";
    return 0;
}

int check(const QString& path, QTextStream& out)
{
    const auto db = Database::open(path, Database::Access::ReadOnly);
    Statement integrity = db->prepare(QStringLiteral("PRAGMA quick_check"));
    integrity.step();
    const QString verdict = integrity.column(0).toString();
    integrity.reset();
    if (verdict != QLatin1String("ok"))
        throw StoreError(QStringLiteral("El archivo «%1» está dañado: %2")
                             .arg(QDir::toNativeSeparators(path), verdict),
                         SQLITE_CORRUPT);
    out << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << ": correcto\n"
        << "  días guardados: " << count(*db, "SELECT count(*) FROM calendar") << "\n"
        << "  días con nota:  " << count(*db, "SELECT count(*) FROM calendar WHERE len(nota) > 0")
        << "\n"
        << "  notitas:        " << count(*db, "SELECT count(*) FROM Nota") << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.size() > 2)
        return usage(err);
    try {
        if (args[0] == QLatin1String("create"))
            return create(args.value(1, QStringLiteral(".")), out);
        if (args[0] == QLatin1String("check"))
            return check(args.value(1, QString::fromLatin1(CalendarStore::kFileName)), out);
    } catch (const StoreError& error) {
        err << "tarvelo-db: " << error.message() << "\n";
        return 1;
    }
    return usage(err);
}
