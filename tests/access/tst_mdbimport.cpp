#include "FolderSnapshot.h"
#include "JetFixture.h"
#include "access/ConversionFiles.h"
#include "access/MdbError.h"
#include "access/MdbImport.h"
#include "store/CalendarStore.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QChar kNull(0x02);   // what mdb-export is told to print for a Null
const QChar kField(0x1f);  // between fields
const QChar kRecord(0x1e); // between rows: notes hold CR LF

// A row of the store written as mdb-export writes it: dates as yyyy-mm-dd hh:nn:ss, numbers
// as %g, Null (and the empty text, which mdb-export cannot tell from Null) as kNull.
QString exportedForm(const Statement& row, const QString& kinds)
{
    QStringList fields;
    for (int c = 0; c < kinds.size(); ++c) {
        const QVariant v = row.column(c);
        if (v.isNull() || v.toString().isEmpty())
            fields << QString(kNull);
        else if (kinds[c] == u'd')
            fields << DatePattern::format(v.toDouble(), QStringLiteral("yyyy-mm-dd hh:nn:ss"));
        else if (kinds[c] == u'n')
            fields << QString::number(v.toDouble());
        else
            fields << v.toString();
    }
    return fields.join(kField);
}

} // namespace

class TestMdbImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void matchesTheLibrary_data();
    void matchesTheLibrary();
    void keepsValuesAsStored_data();
    void keepsValuesAsStored();
    void refusesDamagedFiles_data();
    void refusesDamagedFiles();
    void boundsTheReader_data();
    void boundsTheReader();
    void killLeavesOneOfTwoStates_data();
    void killLeavesOneOfTwoStates();

private:
    QTemporaryDir dir_;
    QString folder_;
    std::unique_ptr<Database> db_;
};

void TestMdbImport::initTestCase()
{
    folder_ = QDir(dir_.path()).filePath(QStringLiteral("nueva"));
    const ConversionReport report =
        MdbImport::importInto(JetFixture::file("calendar-jet4.mdb"), folder_);
    QCOMPARE(report.days, 108);
    QCOMPARE(report.notitas, 4);
    QVERIFY2(report.changes.isEmpty(), qPrintable(report.text()));
    db_ = Database::open(CalendarStore::pathIn(folder_), Database::Access::ReadOnly);
}

void TestMdbImport::matchesTheLibrary_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("select"); // the store's fields in the older table's order
    QTest::addColumn<QString>("kinds");  // d date, n number, t text

    QTest::newRow("every day, every field")
        << QStringLiteral("calendar")
        << QStringLiteral("SELECT fecha, nota, festivo, alarma, hora, Color FROM calendar")
        << QStringLiteral("dtnndn");
    QTest::newRow("every notita, every field")
        << QStringLiteral("Nota")
        << QStringLiteral("SELECT indice, nota, \"Top\", \"Left\" FROM Nota")
        << QStringLiteral("ntnn");
}

void TestMdbImport::matchesTheLibrary()
{
    QFETCH(QString, table);
    QFETCH(QString, select);
    QFETCH(QString, kinds);
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
        QSKIP("mdb-export (mdbtools) is not installed");

    QProcess exporter;
    exporter.start(QStringLiteral("mdb-export"),
                   {QStringLiteral("-H"), QStringLiteral("-Q"), QStringLiteral("-0"),
                    QString(kNull), QStringLiteral("-d"), QString(kField), QStringLiteral("-R"),
                    QString(kRecord), QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"),
                    JetFixture::file("calendar-jet4.mdb"), table});
    QVERIFY(exporter.waitForFinished(30000));
    QStringList expected = QString::fromUtf8(exporter.readAllStandardOutput()).split(kRecord);
    QCOMPARE(expected.takeLast(), QString());

    QStringList stored;
    Statement rows = db_->prepare(select);
    while (rows.step())
        stored << exportedForm(rows, kinds);
    expected.sort();
    stored.sort();
    QCOMPARE(stored.size(), expected.size());
    for (qsizetype i = 0; i < stored.size(); ++i)
        QCOMPARE(stored[i], expected[i]);
}

void TestMdbImport::keepsValuesAsStored_data()
{
    QTest::addColumn<QString>("select");
    QTest::addColumn<QString>("expected");

    QTest::newRow("an empty note stays an empty text")
        << QStringLiteral("SELECT typeof(nota) || ':' || ifnull(nota, '') FROM calendar WHERE "
                          "fecha = 35801")
        << QStringLiteral("text:");
    QTest::newRow("a Null note stays Null")
        << QStringLiteral("SELECT typeof(nota) FROM calendar WHERE fecha = 35840")
        << QStringLiteral("null");
    QTest::newRow("CR LF inside a note")
        << QStringLiteral("SELECT nota = 'línea uno' || char(13, 10) || 'línea dos' FROM calendar "
                          "WHERE fecha = 36342")
        << QStringLiteral("1");
    QTest::newRow("a note of 255 characters")
        << QStringLiteral("SELECT length(nota) FROM calendar WHERE fecha = 36585")
        << QStringLiteral("255");
    QTest::newRow("an alarm's time to the second")
        << QStringLiteral("SELECT round(hora * 86400) FROM calendar WHERE fecha = 35494")
        << QStringLiteral("32700");
    QTest::newRow("a green day's code")
        << QStringLiteral("SELECT Color FROM calendar WHERE fecha = 35494") << QStringLiteral("13");
    QTest::newRow("a day of 1935")
        << QStringLiteral("SELECT nota || festivo FROM calendar WHERE fecha = 12905")
        << QStringLiteral("año treinta y cinco1");
    QTest::newRow("notitas keep their numbers")
        << QStringLiteral("SELECT group_concat(indice) FROM (SELECT indice FROM Nota ORDER BY 1)")
        << QStringLiteral("1,2,3,4");
    QTest::newRow("a notita's Null text and another's empty one")
        << QStringLiteral("SELECT group_concat(typeof(nota)) FROM (SELECT nota FROM Nota WHERE "
                          "indice IN (3, 4) ORDER BY indice)")
        << QStringLiteral("null,text");
    QTest::newRow("a notita's text over two lines and its place")
        << QStringLiteral("SELECT nota || '@' || \"Top\" || ',' || \"Left\" FROM Nota WHERE "
                          "indice = 2")
        << QStringLiteral("Teléfono del fontanero:\r\n91 555 12 34@2400.0,9300.0");
}

void TestMdbImport::keepsValuesAsStored()
{
    QFETCH(QString, select);
    QFETCH(QString, expected);
    Statement value = db_->prepare(select);
    QVERIFY(value.step());
    QCOMPARE(value.column(0).toString(), expected);
}

void TestMdbImport::refusesDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("cause");

    const QByteArray jet4 = JetFixture::bytes("calendar-jet4.mdb");
    QByteArray zeroed = jet4;
    zeroed.replace(4096, zeroed.size() - 4096, QByteArray(zeroed.size() - 4096, '\0'));
    QByteArray scrambled = jet4;
    QRandomGenerator random(5);
    for (int page = 1; page < scrambled.size() / 4096; ++page) {
        if (scrambled[page * 4096] != 1) // data pages only
            continue;
        for (int i = 0; i < 40; ++i)
            scrambled[page * 4096 + 14 + random.bounded(4096 - 14)] = char(random.bounded(256));
    }
    QByteArray ace = jet4;
    ace.replace(4, 16, QByteArray("Standard ACE DB\0", 16));
    QByteArray noise(8192, '\0');
    for (char& c : noise)
        c = char(random.bounded(256));

    QTest::newRow("cut inside a page")
        << jet4.left(jet4.size() - 100) << QStringLiteral("truncado");
    QTest::newRow("half of its pages")
        << jet4.left(jet4.size() / 2) << QStringLiteral("tabla calendar");
    QTest::newRow("every page after the first zeroed")
        << zeroed << QStringLiteral("lista de tablas");
    QTest::newRow("data pages scrambled") << scrambled << QStringLiteral("dañad");
    QTest::newRow("an Access 97 file of other tables")
        << JetFixture::bytes("other-jet3.mdb")
        << QStringLiteral("le falta la tabla «calendar» y la tabla «Nota»");
    QTest::newRow("an Access 2007 file") << ace << QStringLiteral("Access 2007");
    QTest::newRow("random bytes") << noise << QStringLiteral("no es un archivo de Access");
    QTest::newRow("an empty file") << QByteArray() << QStringLiteral("no es un archivo de Access");
}

void TestMdbImport::refusesDamagedFiles()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, cause);

    // In place, as at start-up: the folder stays byte for byte as it was.
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    JetFixture::write(path, contents);
    const FolderSnapshot before(dir.path());
    try {
        MdbImport::convertInPlace(dir.path(), nullptr);
        QFAIL("a damaged file was converted");
    } catch (const MdbError& error) {
        QVERIFY2(error.message().contains(cause), qPrintable(error.message()));
        QVERIFY2(error.message().contains(path), qPrintable(error.message()));
    }
    QVERIFY2(FolderSnapshot(dir.path()) == before,
             qPrintable(FolderSnapshot(dir.path()).describe()));

    // Into a new folder, as the tool does: no folder is made.
    const QString target = QDir(dir.path()).filePath(QStringLiteral("nueva"));
    QVERIFY_THROWS_EXCEPTION(MdbError, MdbImport::importInto(path, target));
    QVERIFY(!QFileInfo::exists(target));
}

void TestMdbImport::boundsTheReader_data()
{
    QTest::addColumn<int>("wallMs");
    QTest::addColumn<qint64>("memoryBytes");
    QTest::addColumn<QString>("cause");

    QTest::newRow("a reading that takes too long is ended")
        << 1 << (qint64(1) << 30) << QStringLiteral("tardaba más de");
    QTest::newRow("a reader that needs too much memory is ended")
        << 60000 << qint64(4) * 1024 * 1024 << QStringLiteral("límite de tiempo o de memoria");
}

void TestMdbImport::boundsTheReader()
{
    QFETCH(int, wallMs);
    QFETCH(qint64, memoryBytes);
    QFETCH(QString, cause);
    MdbReader::Limits limits;
    limits.wallMs = wallMs;
    limits.memoryBytes = memoryBytes;
    try {
        MdbImport::prepare(JetFixture::file("calendar-jet4.mdb"), limits);
        QFAIL("the reader ran past its limit");
    } catch (const MdbError& error) {
        QVERIFY2(error.message().contains(cause), qPrintable(error.message()));
    }
}

void TestMdbImport::killLeavesOneOfTwoStates_data()
{
    QTest::addColumn<int>("killedAfter");  // a ConversionFiles::Step, or -1: not killed
    QTest::addColumn<bool>("pendingLeft"); // the pending file is there until the next start
    QTest::addColumn<bool>("finished");    // after the next start's recovery

    using Step = ConversionFiles::Step;
    QTest::newRow("store written, still without a name") << int(Step::Written) << false << false;
    QTest::newRow("store named beside the older file") << int(Step::Named) << true << false;
    QTest::newRow("store swapped with the older file") << int(Step::Swapped) << true << true;
    QTest::newRow("older file kept under its new name") << int(Step::Kept) << false << true;
    QTest::newRow("not killed") << -1 << false << true;
}

void TestMdbImport::killLeavesOneOfTwoStates()
{
    QFETCH(int, killedAfter);
    QFETCH(bool, pendingLeft);
    QFETCH(bool, finished);

    QTemporaryDir dir;
    const QByteArray original = JetFixture::bytes("calendar-jet4.mdb");
    JetFixture::write(CalendarStore::pathIn(dir.path()), original);
    const MdbImport::Prepared prepared = MdbImport::prepare(CalendarStore::pathIn(dir.path()));

    // A real SIGKILL in a process of its own, at the moment the step is done.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ConversionFiles::replace(dir.path(), prepared.image,
                                 [killedAfter](ConversionFiles::Step step) {
                                     if (int(step) == killedAfter)
                                         ::kill(::getpid(), SIGKILL);
                                 });
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QCOMPARE(WIFSIGNALED(status), killedAfter >= 0);

    const QString pending = QString::fromLatin1(ConversionFiles::kPendingName);
    QCOMPARE(FolderSnapshot(dir.path()).names.contains(pending), pendingLeft);
    ConversionFiles::recover(dir.path());
    const FolderSnapshot after(dir.path());
    if (finished) {
        QCOMPARE(after.names, QStringList({QStringLiteral("calendar-anterior.mdb"),
                                           QStringLiteral("calendar.mdb")}));
        QVERIFY(after.bytes.value(QStringLiteral("calendar-anterior.mdb")) == original);
        QVERIFY(after.bytes.value(QStringLiteral("calendar.mdb")) == prepared.image);
    } else {
        QCOMPARE(after.names, QStringList({QStringLiteral("calendar.mdb")}));
        QVERIFY(after.bytes.value(QStringLiteral("calendar.mdb")) == original);
    }
}

QTEST_GUILESS_MAIN(TestMdbImport)
#include "tst_mdbimport.moc"
