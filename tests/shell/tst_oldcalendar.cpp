#include "FolderSnapshot.h"
#include "TestSeams.h"
#include "shell/Session.h"
#include "store/CalendarStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray olderCalendar()
{
    QFile file(QStringLiteral(JET_TEST_DATA "/calendar-jet4.mdb"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// Start-up on a folder whose calendar.mdb is the older program's Access file.
class TestOldCalendar : public QObject
{
    Q_OBJECT

private slots:
    void asksToConvert_data();
    void asksToConvert();
};

void TestOldCalendar::asksToConvert_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("anteriorTaken"); // a calendar-anterior.mdb is there already
    QTest::addColumn<QString>("keptAs");     // empty: not converted

    QTest::newRow("Sí converts and keeps the original")
        << int(MessageBoxes::Yes) << false << QStringLiteral("calendar-anterior.mdb");
    QTest::newRow("Sí with calendar-anterior.mdb taken keeps it as -2")
        << int(MessageBoxes::Yes) << true << QStringLiteral("calendar-anterior-2.mdb");
    QTest::newRow("No ends with the folder as it was")
        << int(MessageBoxes::No) << false << QString();
}

void TestOldCalendar::asksToConvert()
{
    QFETCH(int, answer);
    QFETCH(bool, anteriorTaken);
    QFETCH(QString, keptAs);

    QTemporaryDir dir;
    const QByteArray original = olderCalendar();
    const QString path = CalendarStore::pathIn(dir.path());
    write(path, original);
    if (anteriorTaken)
        write(QDir(dir.path()).filePath(QStringLiteral("calendar-anterior.mdb")), "otro");
    const FolderSnapshot before(dir.path());

    TestSeams d;
    d.boxes.answerNext(answer);
    const std::unique_ptr<Session> session = Session::start(d.seams(), dir.path());

    QVERIFY(!d.boxes.calls().isEmpty());
    const auto& question = d.boxes.calls().first();
    const QString name = anteriorTaken ? QStringLiteral("calendar-anterior-2.mdb")
                                       : QStringLiteral("calendar-anterior.mdb");
    QCOMPARE(question.prompt,
             QStringLiteral("El archivo «%1» es un calendario de la versión anterior (Access). "
                            "¿Desea convertirlo? El original se guardará como «%2» en la misma "
                            "carpeta.")
                 .arg(QDir::toNativeSeparators(path), name));
    // Sí is the default: no DefaultButton2.
    QCOMPARE(question.style, int(MessageBoxes::YesNo | MessageBoxes::Question));
    QCOMPARE(question.title, QStringLiteral("Tarvelo"));

    if (keptAs.isEmpty()) {
        // Not a silent end: the user is told nothing changed and how to convert later.
        QVERIFY(!session);
        QCOMPARE(d.boxes.calls().size(), 2);
        QCOMPARE(d.boxes.calls().at(1).style, int(MessageBoxes::Information));
        QVERIFY2(d.boxes.calls().at(1).prompt.contains(
                     QStringLiteral("Traer el calendario de la versión anterior")),
                 qPrintable(d.boxes.calls().at(1).prompt));
        QVERIFY(FolderSnapshot(dir.path()) == before);
        return;
    }
    QVERIFY(session);
    QCOMPARE(d.boxes.calls().size(), 2);
    const auto& summary = d.boxes.calls().at(1);
    QCOMPARE(summary.style, int(MessageBoxes::Information));
    // The counts in a column of a table: a window's letters are not all of one width.
    QVERIFY2(summary.prompt.contains(QStringLiteral("<td>días:</td><td align=\"right\"")) &&
                 summary.prompt.contains(QStringLiteral(">108</td>")),
             qPrintable(summary.prompt));
    QVERIFY2(summary.prompt.contains(keptAs), qPrintable(summary.prompt));
    const FolderSnapshot after(dir.path());
    QCOMPARE(after.bytes.value(keptAs), original);
    QCOMPARE(session->store().days().find(QDate(1997, 3, 5))->note,
             QStringLiteral("Reunión con el banco"));
}

QTEST_MAIN(TestOldCalendar)
#include "tst_oldcalendar.moc"
