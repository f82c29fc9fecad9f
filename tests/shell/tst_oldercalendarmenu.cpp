#include "TestSeams.h"
#include "TestStore.h"
#include "shell/Session.h"
#include "shell/frmCalendar.h"
#include "store/domain/FirstStartMark.h"
#include "store/sqlite/StoreFile.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

QByteArray olderCalendar()
{
    QFile file(QStringLiteral(JET_TEST_DATA "/calendar-jet4.mdb"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The count a summary's table gives for what, or -1.
int counted(const QString& summary, const QString& what)
{
    const QRegularExpression cell(
        QStringLiteral("<td>%1:</td><td[^>]*>(\\d+)</td>").arg(QRegularExpression::escape(what)));
    const QRegularExpressionMatch match = cell.match(summary);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

const QDate kMeeting(1997, 3, 5); // "Reunión con el banco" in the older calendar

} // namespace

// "Archivo → Traer el calendario de la versión anterior…", and its offer at the first start of a
// new store.
class TestOlderCalendarMenu : public QObject
{
    Q_OBJECT

private slots:
    void bringOver_data();
    void bringOver();
    void offeredOnceOnANewStore_data();
    void offeredOnceOnANewStore();
};

void TestOlderCalendarMenu::bringOver_data()
{
    QTest::addColumn<bool>("storeHoldsDays");
    QTest::addColumn<QString>("chosen"); // "older", "damaged", "store", "wal", "" (cancelled)
    QTest::addColumn<int>("answer");     // to the question, when asked
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("said"); // in the last box; empty: no box
    QTest::addColumn<QString>("noteAfter");

    const int yes = MessageBoxes::Yes;
    const QString joined = QStringLiteral("Reunión · Reunión con el banco");
    QTest::newRow("an empty store is filled without a question")
        << false << "older" << yes << false << "<td>días:</td>"
        << "Reunión con el banco";
    QTest::newRow("a store with days is joined after the question")
        << true << "older" << yes << true << "días unidos a los guardados" << joined;
    QTest::newRow("No to the question changes nothing")
        << true << "older" << int(MessageBoxes::No) << true << ""
        << "Reunión";
    QTest::newRow("a damaged file changes nothing")
        << true << "damaged" << yes << false << "lista de tablas"
        << "Reunión";
    QTest::newRow("the open store is refused before it is opened")
        << true << "store" << yes << false << "es el calendario que Tarvelo tiene abierto"
        << "Reunión";
    QTest::newRow("the open store's -wal is refused too")
        << true << "wal" << yes << false << "un archivo de trabajo del calendario"
        << "Reunión";
    QTest::newRow("a cancelled file dialog does nothing") << true << "" << yes << false << ""
                                                          << "Reunión";
}

void TestOlderCalendarMenu::bringOver()
{
    QFETCH(bool, storeHoldsDays);
    QFETCH(QString, chosen);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(QString, said);
    QFETCH(QString, noteAfter);

    TestStore store;
    if (storeHoldsDays) {
        store.addNote(kMeeting, QStringLiteral("Reunión"));
        store.addNotita(QStringLiteral("mía"), 300, 450);
    }
    const QDir folder(store.folder());
    const QByteArray older = olderCalendar();
    QString path;
    if (chosen == QLatin1String("older") || chosen == QLatin1String("damaged")) {
        path = folder.filePath(QStringLiteral("antiguo.mdb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(chosen == QLatin1String("older")
                       ? older
                       : older.left(4096) + QByteArray(older.size() - 4096, '\0'));
    } else if (chosen == QLatin1String("store")) {
        path = store.path();
    } else if (chosen == QLatin1String("wal")) {
        path = StoreFile::walPath(store.path());
    }
    TestSeams doubles;
    const std::unique_ptr<Session> session = Session::start(doubles.seams(), store.folder());
    QVERIFY(session);
    if (chosen == QLatin1String("wal"))
        QVERIFY(QFileInfo::exists(path));
    const int daysBefore = store.dayCount();
    const QStringList notitasBefore = store.notitaRows();
    doubles.boxes.clear();
    doubles.files.answer = path;
    doubles.boxes.answerNext(answer);

    session->window().findChild<QAction*>(QStringLiteral("mTraerAnterior"))->trigger();

    QCOMPARE(doubles.files.captions,
             QStringList{QStringLiteral("Traer el calendario de la versión anterior")});
    const auto& calls = doubles.boxes.calls();
    const bool questioned =
        !calls.isEmpty() && (calls.first().style & 0x0f) == int(MessageBoxes::YesNo);
    QCOMPARE(questioned, asked);
    if (asked) {
        QVERIFY2(calls.first().prompt.contains(QStringLiteral("trae 108 días y 4 notitas")) &&
                     calls.first().prompt.contains(QStringLiteral("algo guardado en 1 de esos")),
                 qPrintable(calls.first().prompt));
        QCOMPARE(calls.first().style & MessageBoxes::DefaultButton2,
                 int(MessageBoxes::DefaultButton2));
    }
    QCOMPARE(calls.size(), int(asked) + int(!said.isEmpty()));
    if (!said.isEmpty())
        QVERIFY2(calls.last().prompt.contains(said), qPrintable(calls.last().prompt));
    QCOMPARE(store.storedNote(kMeeting), noteAfter);

    const bool brought = said.contains(QStringLiteral("días"));
    if (!brought) {
        QCOMPARE(store.dayCount(), daysBefore);
        QCOMPARE(store.notitaRows(), notitasBefore);
        return;
    }
    // Every day and notita came; the one day both had is joined, not doubled.
    const QString& summary = calls.last().prompt;
    QCOMPARE(calls.last().style & 0x70, int(MessageBoxes::Information));
    QCOMPARE(counted(summary, QStringLiteral("días")), 108);
    QCOMPARE(counted(summary, QStringLiteral("notitas")), 4);
    QCOMPARE(store.dayCount(), daysBefore + 108 - (storeHoldsDays ? 1 : 0));
    QCOMPARE(store.notitaCount(), notitasBefore.size() + 4);
    if (storeHoldsDays) {
        QCOMPARE(counted(summary, QStringLiteral("días unidos a los guardados")), 1);
        QCOMPARE(counted(summary, QStringLiteral("días añadidos")), 107);
        QCOMPARE(store.notitaRows().first(), notitasBefore.first()); // the store's own first
    }
    // The windows show what came: the month is drawn again from the store.
    QCOMPARE(session->store().days().find(kMeeting)->note, noteAfter);
}

void TestOlderCalendarMenu::offeredOnceOnANewStore_data()
{
    QTest::addColumn<bool>("marked");
    QTest::addColumn<bool>("holdsDays");
    QTest::addColumn<bool>("offered");
    QTest::newRow("a new store marked by the launcher is offered it") << true << false << true;
    QTest::newRow("a store without the mark is not") << false << false << false;
    QTest::newRow("a marked store that already holds days is not") << true << true << false;
}

void TestOlderCalendarMenu::offeredOnceOnANewStore()
{
    QFETCH(bool, marked);
    QFETCH(bool, holdsDays);
    QFETCH(bool, offered);

    TestStore store;
    if (marked)
        FirstStartMark::set(store.db());
    if (holdsDays)
        store.addNote(kMeeting, QStringLiteral("Reunión"));
    for (int start = 1; start <= 2; ++start) {
        TestSeams doubles;
        doubles.boxes.answerNext(MessageBoxes::No);
        const std::unique_ptr<Session> session = Session::start(doubles.seams(), store.folder());
        QVERIFY(session);
        QTest::qWait(0); // the offer comes once the window is up
        const auto& calls = doubles.boxes.calls();
        const bool asked =
            !calls.isEmpty() &&
            calls.first().title == QStringLiteral("Traer el calendario de la versión anterior");
        // Offered at the first start only, whatever the answer.
        QCOMPARE(asked, offered && start == 1);
        if (asked) {
            QVERIFY2(calls.first().prompt.contains(
                         QStringLiteral("«Archivo → Traer el calendario de la versión anterior…»")),
                     qPrintable(calls.first().prompt));
            QVERIFY(doubles.files.captions.isEmpty()); // "No": no file dialog
        }
    }
}

QTEST_MAIN(TestOlderCalendarMenu)
#include "tst_oldercalendarmenu.moc"
