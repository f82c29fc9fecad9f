#include "FolderSnapshot.h"
#include "JetFixture.h"
#include "Thrown.h"
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

using namespace Qt::StringLiterals;

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
            fields << DatePattern::format(v.toDouble(), u"yyyy-mm-dd hh:nn:ss"_s);
        else if (kinds[c] == u'n')
            fields << QString::number(v.toDouble());
        else
            fields << v.toString();
    }
    return fields.join(kField);
}

} // namespace

Q_DECLARE_METATYPE(MdbReader::Limits)

class TestMdbImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        folder_ = QDir(dir_.path()).filePath(u"nueva"_s);
        const ConversionReport report =
            MdbImport::importInto(JetFixture::file("calendar-jet4.mdb"), folder_);
        QCOMPARE(report.days, 108);
        QCOMPARE(report.notitas, 4);
        QVERIFY2(report.changes.isEmpty(), qPrintable(report.text()));
        db_ = Database::open(CalendarStore::pathIn(folder_), Database::Access::ReadOnly);
    }

    void matchesTheLibrary_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("fields"); // the store's, in the older table's order
        QTest::addColumn<QString>("kinds");  // d date, n number, t text
        QTest::newRow("every day, every field")
            << u"calendar"_s << "fecha, nota, festivo, alarma, hora, Color" << u"dtnndn"_s;
        QTest::newRow("every notita, every field")
            << u"Nota"_s << "indice, nota, \"Top\", \"Left\"" << u"ntnn"_s;
    }
    void matchesTheLibrary()
    {
        QFETCH(QString, table);
        QFETCH(QString, fields);
        QFETCH(QString, kinds);
        if (QStandardPaths::findExecutable(u"mdb-export"_s).isEmpty())
            QSKIP("mdb-export (mdbtools) is not installed");

        QProcess exporter;
        exporter.start(u"mdb-export"_s, {u"-H"_s, u"-Q"_s, u"-0"_s, kNull, u"-d"_s, kField, u"-R"_s,
                                         kRecord, u"-T"_s, u"%Y-%m-%d %H:%M:%S"_s,
                                         JetFixture::file("calendar-jet4.mdb"), table});
        QVERIFY(exporter.waitForFinished(30000));
        QStringList expected = QString::fromUtf8(exporter.readAllStandardOutput()).split(kRecord);
        QCOMPARE(expected.takeLast(), QString());
        QStringList stored;
        Statement rows = db_->prepare(u"SELECT %1 FROM %2"_s.arg(fields, table));
        while (rows.step())
            stored << exportedForm(rows, kinds);
        expected.sort();
        stored.sort();
        QCOMPARE(stored, expected);
    }

    // What the library's own export cannot show, and the cases the file was made to hold.
    void keepsValuesAsStored_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("expected");
        const QString day = u"calendar WHERE fecha = %1"_s;
        QTest::newRow("an empty note stays an empty text")
            << "typeof(nota) || ':' || ifnull(nota, '')" << day.arg(35801) << "text:";
        QTest::newRow("a Null note stays Null") << "typeof(nota)" << day.arg(35840) << "null";
        QTest::newRow("CR LF inside a note")
            << "nota = 'línea uno' || char(13, 10) || 'línea dos'" << day.arg(36342) << "1";
        QTest::newRow("a note of 255 characters") << "length(nota)" << day.arg(36585) << "255";
        QTest::newRow("an alarm's time to the second")
            << "round(hora * 86400)" << day.arg(35494) << "32700";
        QTest::newRow("a green day's code") << "Color" << day.arg(35494) << "13";
        QTest::newRow("a day of 1935")
            << "nota || festivo" << day.arg(12905) << "año treinta y cinco1";
        QTest::newRow("notitas keep their numbers")
            << "group_concat(indice)" << u"(SELECT indice FROM Nota ORDER BY 1)"_s << "1,2,3,4";
        QTest::newRow("a notita's Null text and another's empty one")
            << "group_concat(typeof(nota))"
            << u"(SELECT nota FROM Nota WHERE indice IN (3, 4) ORDER BY indice)"_s << "null,text";
        QTest::newRow("a notita's text over two lines and its place")
            << "nota || '@' || \"Top\" || ',' || \"Left\"" << u"Nota WHERE indice = 2"_s
            << "Teléfono del fontanero:\r\n91 555 12 34@2400.0,9300.0";
    }
    void keepsValuesAsStored()
    {
        QFETCH(QString, value);
        QFETCH(QString, from);
        QFETCH(QString, expected);
        Statement stored = db_->prepare(u"SELECT %1 FROM %2"_s.arg(value, from));
        QVERIFY(stored.step());
        QCOMPARE(stored.column(0).toString(), expected);
    }

    void refusesDamagedFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("cause");

        const QByteArray jet4 = JetFixture::bytes("calendar-jet4.mdb");
        QByteArray scrambled = jet4;
        QRandomGenerator random(5);
        for (qsizetype page = 4096; page + 4096 <= scrambled.size(); page += 4096) {
            if (scrambled[page] != 1) // data pages only
                continue;
            for (int i = 0; i < 40; ++i)
                scrambled[page + 14 + random.bounded(4096 - 14)] = char(random.bounded(256));
        }
        QByteArray noise(8192, '\0');
        for (char& c : noise)
            c = char(random.bounded(256));

        QTest::newRow("cut inside a page") << jet4.left(jet4.size() - 100) << "truncado";
        QTest::newRow("half of its pages") << jet4.left(jet4.size() / 2) << "tabla calendar";
        QTest::newRow("every page after the first zeroed")
            << jet4.left(4096) + QByteArray(jet4.size() - 4096, '\0') << "lista de tablas";
        QTest::newRow("data pages scrambled") << scrambled << "dañad";
        QTest::newRow("an Access 97 file of other tables")
            << JetFixture::bytes("other-jet3.mdb")
            << "le falta la tabla «calendar» y la tabla «Nota»";
        QTest::newRow("an Access 2007 file")
            << QByteArray(jet4).replace(4, 16, QByteArray("Standard ACE DB\0", 16))
            << "Access 2007";
        QTest::newRow("random bytes") << noise << "no es un archivo de Access";
        QTest::newRow("an empty file") << QByteArray() << "no es un archivo de Access";
    }
    void refusesDamagedFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, cause);

        // In place, as at start-up: the folder stays byte for byte as it was.
        QTemporaryDir dir;
        const QString path = CalendarStore::pathIn(dir.path());
        JetFixture::write(path, contents);
        const FolderSnapshot before(dir.path());
        const QString said =
            thrown<MdbError>([&] { MdbImport::convertInPlace(dir.path(), nullptr); });
        QVERIFY2(said.contains(cause) && said.contains(path), qPrintable(said));
        QVERIFY2(FolderSnapshot(dir.path()) == before,
                 qPrintable(FolderSnapshot(dir.path()).describe()));

        // Into a new folder, as the tool does: no folder is made.
        const QString target = QDir(dir.path()).filePath(u"nueva"_s);
        QVERIFY_THROWS_EXCEPTION(MdbError, MdbImport::importInto(path, target));
        QVERIFY(!QFileInfo::exists(target));
    }

    void boundsTheReader_data()
    {
        QTest::addColumn<MdbReader::Limits>("limits");
        QTest::addColumn<QString>("cause");
        QTest::newRow("a reading that takes too long is ended")
            << MdbReader::Limits{.wallMs = 1} << "tardaba más de";
        QTest::newRow("a reader that needs too much memory is ended")
            << MdbReader::Limits{.memoryBytes = qint64(4) << 20} << "límite de tiempo o de memoria";
    }
    void boundsTheReader()
    {
        QFETCH(MdbReader::Limits, limits);
        QFETCH(QString, cause);
        const QString said = thrown<MdbError>(
            [&] { MdbImport::prepare(JetFixture::file("calendar-jet4.mdb"), limits); });
        QVERIFY2(said.contains(cause), qPrintable(said));
    }

    void killLeavesOneOfTwoStates_data()
    {
        QTest::addColumn<int>("killedAfter");  // a ConversionFiles::Step, or -1: not killed
        QTest::addColumn<bool>("pendingLeft"); // the pending file is there until the next start
        QTest::addColumn<bool>("finished");    // after the next start's recovery
        using Step = ConversionFiles::Step;
        QTest::newRow("store written, still without a name")
            << int(Step::Written) << false << false;
        QTest::newRow("store named beside the older file") << int(Step::Named) << true << false;
        QTest::newRow("store swapped with the older file") << int(Step::Swapped) << true << true;
        QTest::newRow("older file kept under its new name") << int(Step::Kept) << false << true;
        QTest::newRow("not killed") << -1 << false << true;
    }
    void killLeavesOneOfTwoStates()
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
        const QString kept = u"calendar-anterior.mdb"_s, store = u"calendar.mdb"_s;
        const QStringList names = finished ? QStringList{kept, store} : QStringList{store};
        QCOMPARE(after.names, names);
        QVERIFY(after.bytes.value(store) == (finished ? prepared.image : original));
        QVERIFY(!finished || after.bytes.value(kept) == original);
    }

private:
    QTemporaryDir dir_;
    QString folder_;
    std::unique_ptr<Database> db_;
};

QTEST_GUILESS_MAIN(TestMdbImport)
#include "tst_mdbimport.moc"
