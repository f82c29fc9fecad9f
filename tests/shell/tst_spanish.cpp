#include "shell/TarveloApplication.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <QtTest>

// Qt's own texts (standard buttons, the text boxes' menus) and its dates speak Spanish once
// the program has installed its language, whatever the machine is set to (the tests run in C).
class TestSpanish : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void qtTexts_data();
    void qtTexts();
    void locale_data();
    void locale();

private:
    QMap<QString, QString> before_; // row name -> the text before Spanish was installed
};

namespace {

QString buttonText(QDialogButtonBox::StandardButton which)
{
    QDialogButtonBox box(which);
    return box.button(which)->text();
}

QString textOf(const QString& row)
{
    if (row == QLatin1String("Cancel button"))
        return buttonText(QDialogButtonBox::Cancel);
    if (row == QLatin1String("Save button"))
        return buttonText(QDialogButtonBox::Save);
    if (row == QLatin1String("Close button"))
        return buttonText(QDialogButtonBox::Close);
    if (row == QLatin1String("a text box's Undo"))
        return QCoreApplication::translate("QLineEdit", "&Undo");
    if (row == QLatin1String("a text box's Paste"))
        return QCoreApplication::translate("QLineEdit", "&Paste");
    return QStringLiteral("<unknown row>");
}

} // namespace

void TestSpanish::initTestCase()
{
    for (const char* row : {"Cancel button", "Save button", "Close button", "a text box's Undo",
                            "a text box's Paste"})
        before_.insert(QString::fromLatin1(row), textOf(QString::fromLatin1(row)));
    QVERIFY(TarveloApplication::installSpanish(*qApp));
}

void TestSpanish::qtTexts_data()
{
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("spanish");

    QTest::newRow("Cancel button") << "Cancel"
                                   << "Cancelar";
    QTest::newRow("Save button") << "Save"
                                 << "Guardar";
    QTest::newRow("Close button") << "Close"
                                  << "Cerrar";
    QTest::newRow("a text box's Undo") << "&Undo"
                                       << "&Deshacer";
    QTest::newRow("a text box's Paste") << "&Paste"
                                        << "&Pegar";
}

void TestSpanish::qtTexts()
{
    QFETCH(QString, english);
    QFETCH(QString, spanish);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    QCOMPARE(before_.value(row), english);
    QCOMPARE(textOf(row), spanish);
}

void TestSpanish::locale_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("expected");

    const QLocale locale;
    QTest::newRow("language") << QLocale::languageToString(locale.language()) << "Spanish";
    QTest::newRow("territory") << QLocale::territoryToString(locale.territory()) << "Spain";
    QTest::newRow("a month's name") << locale.monthName(3) << "marzo";
    QTest::newRow("a weekday's name") << locale.dayName(3) << "miércoles";
    QTest::newRow("a decimal number") << locale.toString(2.5) << "2,5";
}

void TestSpanish::locale()
{
    QFETCH(QString, shown);
    QFETCH(QString, expected);
    QCOMPARE(shown, expected);
}

QTEST_MAIN(TestSpanish)
#include "tst_spanish.moc"
