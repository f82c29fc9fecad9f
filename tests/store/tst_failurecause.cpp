#include "store/sqlite/FailureCause.h"

#include <QTest>

#include <sqlite3.h>

#include <cerrno>

class TestFailureCause : public QObject
{
    Q_OBJECT

private slots:
    void causeInTheUsersWords_data();
    void causeInTheUsersWords();
    void messageNamesTheFileAndWhatWasBeingDone_data();
    void messageNamesTheFileAndWhatWasBeingDone();
    void failureOfAConnectionKeepsSqlitesWordsApart();
};

void TestFailureCause::causeInTheUsersWords_data()
{
    QTest::addColumn<int>("rc");
    QTest::addColumn<int>("systemError");
    QTest::addColumn<QString>("holder");
    QTest::addColumn<QString>("expected");

    QTest::newRow("full disk") << SQLITE_FULL << 0 << QString() << "el disco está lleno";
    QTest::newRow("shared memory file cannot grow on a full disk")
        << SQLITE_IOERR_SHMSIZE << ENOSPC << QString() << "el disco está lleno";
    QTest::newRow("write failing on a full disk")
        << SQLITE_IOERR_WRITE << ENOSPC << QString() << "el disco está lleno";
    QTest::newRow("quota") << SQLITE_IOERR_WRITE << EDQUOT << QString()
                           << "se ha agotado la cuota de disco del usuario";
    QTest::newRow("read-only disk")
        << SQLITE_CANTOPEN << EROFS << QString() << "el disco es de solo lectura";
    QTest::newRow("permission") << SQLITE_CANTOPEN << EACCES << QString()
                                << "no hay permiso para acceder al archivo o a su carpeta";
    QTest::newRow("bad disk") << SQLITE_IOERR_READ << EIO << QString()
                              << "el disco ha dado un error de lectura o escritura";
    QTest::newRow("other input and output error")
        << SQLITE_IOERR_FSYNC << 0 << QString()
        << "el disco ha dado un error de lectura o escritura (código 1034)";
    QTest::newRow("too many files")
        << SQLITE_CANTOPEN << EMFILE << QString() << "hay demasiados archivos abiertos";
    QTest::newRow("file gone") << SQLITE_CANTOPEN << ENOENT << QString()
                               << "el archivo o su carpeta ya no existen";
    QTest::newRow("cannot open, no reason given")
        << SQLITE_CANTOPEN << 0 << QString() << "el sistema no deja abrir el archivo";
    QTest::newRow("busy, holder known")
        << SQLITE_BUSY << 0 << "el programa sqlite3 (proceso 12)"
        << "el archivo está en uso por el programa sqlite3 (proceso 12)";
    QTest::newRow("busy, holder unknown")
        << SQLITE_BUSY_SNAPSHOT << 0 << QString() << "el archivo está en uso por otro programa";
    QTest::newRow("locked table") << SQLITE_LOCKED << 0 << QString()
                                  << "el archivo está en uso por otro programa";
    QTest::newRow("read-only") << SQLITE_READONLY << 0 << QString()
                               << "el archivo o su carpeta son de solo lectura";
    QTest::newRow("moved away") << SQLITE_READONLY_DBMOVED << 0 << QString()
                                << "el archivo se ha movido o borrado mientras Tarvelo lo usaba";
    QTest::newRow("read-only shared memory file")
        << SQLITE_READONLY_CANTINIT << 0 << QString()
        << "no se puede escribir el archivo auxiliar calendar.mdb-shm de su carpeta";
    QTest::newRow("half-saved read-only file")
        << SQLITE_READONLY_ROLLBACK << 0 << QString()
        << "el archivo quedó a medio guardar y no se puede reparar porque es de solo lectura";
    QTest::newRow("corrupt") << SQLITE_CORRUPT << 0 << QString()
                             << "el archivo está dañado o no es un archivo de datos de Tarvelo";
    QTest::newRow("not a database")
        << SQLITE_NOTADB << 0 << QString()
        << "el archivo está dañado o no es un archivo de datos de Tarvelo";
    QTest::newRow("memory") << SQLITE_NOMEM << 0 << QString() << "no queda memoria libre";
    QTest::newRow("another program's rule")
        << SQLITE_CONSTRAINT_CHECK << 0 << QString()
        << "el archivo tiene una regla propia, puesta por otro programa, que no admite el dato";
    QTest::newRow("kind of value")
        << SQLITE_MISMATCH << 0 << QString() << "un campo del archivo no admite esa clase de dato";
    QTest::newRow("too big") << SQLITE_TOOBIG << 0 << QString() << "el dato es demasiado grande";
    QTest::newRow("tables changed")
        << SQLITE_SCHEMA << 0 << QString() << "otro programa ha cambiado las tablas del archivo";
    QTest::newRow("tables of another shape")
        << SQLITE_ERROR << 0 << QString()
        << "las tablas del archivo no tienen la forma que Tarvelo espera";
    QTest::newRow("permission of the store")
        << SQLITE_PERM << 0 << QString() << "no hay permiso para acceder al archivo";
    QTest::newRow("anything else")
        << SQLITE_MISUSE << 0 << QString() << "error interno del almacén (código 21)";
    QTest::newRow("system error beside a code it does not explain")
        << SQLITE_CONSTRAINT << ENOSPC << QString()
        << "el archivo tiene una regla propia, puesta por otro programa, que no admite el dato";
}

void TestFailureCause::causeInTheUsersWords()
{
    QFETCH(int, rc);
    QFETCH(int, systemError);
    QFETCH(QString, holder);
    QFETCH(QString, expected);
    QCOMPARE(FailureCause::of(rc, systemError, holder), expected);
}

void TestFailureCause::messageNamesTheFileAndWhatWasBeingDone_data()
{
    QTest::addColumn<int>("doing");
    QTest::addColumn<QString>("expected");
    using Doing = FailureCause::Doing;
    QTest::newRow("opening") << int(Doing::Opening)
                             << "No se puede abrir el archivo de datos «/datos/calendar.mdb»: "
                                "el disco está lleno.";
    QTest::newRow("creating") << int(Doing::Creating)
                              << "No se puede crear el archivo de datos «/datos/calendar.mdb»: "
                                 "el disco está lleno.";
    QTest::newRow("reading") << int(Doing::Reading)
                             << "No se pudo leer el archivo de datos «/datos/calendar.mdb»: el "
                                "disco está lleno.";
    QTest::newRow("saving") << int(Doing::Saving)
                            << "No se pudo guardar en el archivo de datos «/datos/calendar.mdb»: "
                               "el disco está lleno.";
}

void TestFailureCause::messageNamesTheFileAndWhatWasBeingDone()
{
    QFETCH(int, doing);
    QFETCH(QString, expected);
    const StoreError error =
        FailureCause::failure(QStringLiteral("/datos/calendar.mdb"), FailureCause::Doing(doing),
                              QStringLiteral("el disco está lleno"), SQLITE_FULL, "disk full");
    QCOMPARE(error.message(), expected);
    QCOMPARE(error.code(), SQLITE_FULL);
    QCOMPARE(error.cause(), QStringLiteral("el disco está lleno"));
    QCOMPARE(error.detail(), QStringLiteral("disk full"));
}

void TestFailureCause::failureOfAConnectionKeepsSqlitesWordsApart()
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    QVERIFY(sqlite3_exec(db, "SELECT * FROM nada", nullptr, nullptr, nullptr) != SQLITE_OK);
    const StoreError error = FailureCause::failure(db, SQLITE_ERROR, FailureCause::Doing::Reading);
    sqlite3_close(db);
    QVERIFY2(error.message().startsWith(QStringLiteral("No se pudo leer el archivo de datos")),
             qPrintable(error.message()));
    QVERIFY2(!error.message().contains(QStringLiteral("nada")), qPrintable(error.message()));
    QVERIFY2(error.detail().contains(QStringLiteral("no such table: nada")),
             qPrintable(error.detail()));
}

QTEST_GUILESS_MAIN(TestFailureCause)
#include "tst_failurecause.moc"
