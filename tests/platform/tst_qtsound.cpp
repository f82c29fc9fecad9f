#include "platform/QtSound.h"

#include <QtTest>

// The sound card is reached through a module loaded when first needed; where it cannot be
// loaded the program has no sound card, and says why.
class TestQtSound : public QObject
{
    Q_OBJECT
private slots:
    void module_data();
    void module();

private:
    QTemporaryDir scratch_;
};

void TestQtSound::module_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("failure"); // the start of the reason; empty when it loads

    const QString built = QStringLiteral(TARVELO_SOUND_MODULE_BUILT);
    const QString missing = QDir::temp().filePath(QStringLiteral("nada/libtarvelo-sound.so"));
    const QString notModule = scratch_.filePath(QStringLiteral("libtarvelo-sound.so"));
    QFile junk(notModule);
    QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("no soy un módulo\n") > 0);
    QTest::newRow("the module built") << QStringList{built} << QString();
    QTest::newRow("the first that loads") << QStringList{QString(), missing, built} << QString();
    QTest::newRow("nowhere") << QStringList{missing} << QStringLiteral("no se encuentra");
    QTest::newRow("a file that is no module")
        << QStringList{notModule} << QStringLiteral("no se ha podido cargar");
}

void TestQtSound::module()
{
    QFETCH(QStringList, paths);
    QFETCH(QString, failure);
    QtSound sound(paths);
    QVERIFY2(sound.failure().startsWith(failure), qPrintable(sound.failure()));
    if (failure.isEmpty())
        return;
    QCOMPARE(sound.outputDeviceCount(), 0);
    sound.playAsync(QStringLiteral(TARVELO_ALARM_WAV)); // silent, as without a sound card
    sound.stop();
}

QTEST_MAIN(TestQtSound)
#include "tst_qtsound.moc"
