#include "FakeMessageBoxes.h"
#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QtTest>

namespace {

// One key event the user sends at a moment after the box was asked for.
struct Stroke
{
    int at; // milliseconds
    QEvent::Type type;
    Qt::Key key;
    bool autoRepeat = false;
};

// What became of a box: the answer, and how long it stood once it was up.
struct Outcome
{
    int answer = 0;
    qint64 stood = 0;
    bool forced = false; // nothing answered it: the test closed it
};

// Shows a box and types at it as the user would, from the moment the box is up, through the
// window system as far as it goes (an automatic repeat goes straight to the focused widget, as
// the window system would send it).
Outcome typeAt(int style, const QList<Stroke>& strokes)
{
    Outcome outcome;
    QObject strokesOfThisBox; // takes its pending strokes away with it
    QElapsedTimer clock;
    clock.start();
    qint64 appeared = 0;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, &strokesOfThisBox, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible())
            return;
        watch.stop();
        appeared = clock.elapsed();
        for (const Stroke& stroke : strokes) {
            QTimer::singleShot(stroke.at, &strokesOfThisBox, [stroke] {
                QWidget* shown = QApplication::activeModalWidget();
                if (!shown)
                    return;
                if (stroke.autoRepeat) {
                    QKeyEvent event(stroke.type, stroke.key, Qt::NoModifier, QString(), true);
                    QApplication::sendEvent(shown->focusWidget() ? shown->focusWidget() : shown,
                                            &event);
                } else {
                    QTest::sendKeyEvent(stroke.type == QEvent::KeyPress ? QTest::Press
                                                                        : QTest::Release,
                                        shown->windowHandle(), stroke.key, QChar(), Qt::NoModifier);
                }
            });
        }
    });
    watch.start();
    QTimer::singleShot(5000, &strokesOfThisBox, [&outcome] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            outcome.forced = true;
            box->close();
        }
    });
    QtMessageBoxes boxes;
    outcome.answer = boxes.show(QStringLiteral("No se pudo guardar."), style);
    outcome.stood = clock.elapsed() - appeared;
    return outcome;
}

QList<Stroke> click(int at, Qt::Key key)
{
    return {{at, QEvent::KeyPress, key}, {at + 20, QEvent::KeyRelease, key}};
}

constexpr int kEarly = 100; // while the user is still typing
constexpr int kLate = MessageBoxes::kFatalKeyDelayMs + 300;

} // namespace

class TestQtMessageBoxes : public QObject
{
    Q_OBJECT

private slots:
    void fatalBoxIgnoresEarlyKeys_data();
    void fatalBoxIgnoresEarlyKeys();
    void fakeRecordsTheFatalStyle();
};

void TestQtMessageBoxes::fatalBoxIgnoresEarlyKeys_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QList<Stroke>>("strokes");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("earliest"); // the box stands at least this long
    QTest::addColumn<int>("latest");   // and at most this long

    using M = MessageBoxes;
    QTest::newRow("plain box: a space typed as it appears answers it")
        << int(M::Critical) << click(kEarly, Qt::Key_Space) << int(M::Ok) << 0 << kEarly + 500;
    QTest::newRow("fatal box: a space typed as it appears is ignored, one read later answers")
        << int(M::Critical | M::Fatal) << click(kEarly, Qt::Key_Space) + click(kLate, Qt::Key_Space)
        << int(M::Ok) << M::kFatalKeyDelayMs << kLate + 500;
    QTest::newRow("fatal box: Enter as it appears is ignored")
        << int(M::Critical | M::Fatal)
        << click(kEarly, Qt::Key_Return) + click(kLate, Qt::Key_Return) << int(M::Ok)
        << M::kFatalKeyDelayMs << kLate + 500;
    QTest::newRow("fatal box: Escape as it appears is ignored")
        << int(M::OkCancel | M::Fatal)
        << click(kEarly, Qt::Key_Escape) + click(kLate, Qt::Key_Escape) << int(M::Cancel)
        << M::kFatalKeyDelayMs << kLate + 500;
    QTest::newRow("fatal box: a space held down since before repeats in vain")
        << int(M::Critical | M::Fatal)
        << QList<Stroke>{{kEarly, QEvent::KeyPress, Qt::Key_Space},
                         {kLate, QEvent::KeyPress, Qt::Key_Space, true},
                         {kLate + 20, QEvent::KeyRelease, Qt::Key_Space}} +
               click(kLate + 300, Qt::Key_Space)
        << int(M::Ok) << kLate + 300 << kLate + 800;
}

void TestQtMessageBoxes::fatalBoxIgnoresEarlyKeys()
{
    QFETCH(int, style);
    QFETCH(QList<Stroke>, strokes);
    QFETCH(int, answer);
    QFETCH(int, earliest);
    QFETCH(int, latest);

    const Outcome outcome = typeAt(style, strokes);
    QVERIFY2(!outcome.forced, "no key answered the box");
    QCOMPARE(outcome.answer, answer);
    QVERIFY2(outcome.stood >= earliest && outcome.stood <= latest,
             qPrintable(QString::number(outcome.stood)));
}

void TestQtMessageBoxes::fakeRecordsTheFatalStyle()
{
    FakeMessageBoxes boxes;
    boxes.show(QStringLiteral("aviso"), MessageBoxes::Information);
    boxes.show(QStringLiteral("fin"), MessageBoxes::Critical | MessageBoxes::Fatal);
    QCOMPARE(boxes.calls().size(), 2);
    QVERIFY(!boxes.calls()[0].isFatal());
    QVERIFY(boxes.calls()[1].isFatal());
    QCOMPARE(boxes.calls()[1].style & 0x70, int(MessageBoxes::Critical));
}

QTEST_MAIN(TestQtMessageBoxes)
#include "tst_qtmessageboxes.moc"
