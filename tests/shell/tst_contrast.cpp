#include "TestSeams.h"
#include "TestStore.h"
#include "month/DayButton.h"
#include "shell/Session.h"
#include "shell/frmCalendar.h"
#include "widgets/Colours.h"
#include "widgets/Controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPlainTextEdit>
#include <QStyle>
#include <QtTest>

namespace {

// A desktop with dark colours, as a dark theme gives them.
QPalette darkPalette()
{
    QPalette dark;
    const QColor window(45, 45, 45);
    const QColor text(230, 230, 230);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Base, QColor(30, 30, 30));
        dark.setColor(group, QPalette::AlternateBase, window);
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::Button, QColor(60, 60, 60));
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    return dark;
}

struct Drawn
{
    QColor text;
    QColor background;
};

// The colours a control's text is drawn in and on.
Drawn drawnColours(const QWidget& widget)
{
    if (const auto* day = qobject_cast<const DayButton*>(&widget))
        return {day->textColor(),
                day->backColor().isValid() ? day->backColor() : DayButton::buttonFace()};
    if (qobject_cast<const QAbstractScrollArea*>(&widget))
        return {widget.palette().color(QPalette::Text), widget.palette().color(QPalette::Base)};
    return {widget.palette().color(widget.foregroundRole()), Controls::backgroundOf(widget)};
}

} // namespace

// Every text the program draws in colours of its own stands out from what it is drawn on, on a
// light desktop and on a dark one; on a light desktop the month keeps its own colours.
class TestContrast : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QApplication::setPalette(QApplication::style()->standardPalette()); }
    void readable_data();
    void readable();
};

void TestContrast::readable_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QString>("control");
    // On a light desktop: the colour the text and its background keep (invalid: any).
    QTest::addColumn<QColor>("lightText");
    QTest::addColumn<QColor>("lightBackground");

    struct Control
    {
        const char* row;
        const char* name;
        QColor text;
        QColor background;
    };
    const Control controls[] = {
        {"the month's name on cyan", "lblMes", QColor(), Colours::cian()},
        {"the title band on cyan", "lblFondo", QColor(), Colours::cian()},
        {"the \"Dom\" heading on red", "Label5", QColor(), Colours::festivo()},
        {"a Sunday's number on red", "SScmdDia_6", QColor(), Colours::festivo()},
        {"a weekday's number", "SScmdDia_7", QColor(), QColor()},
        {"\"Azul\" in the day editor", "SSOptionAzul1", Colours::azul(), QColor()},
        {"\"Negro\" in the day editor", "SSOptionNegro9", Colours::negro(), QColor()},
        {"\"Gris\" in the day editor", "SSOptionGris5", QColor(), QColor()},
        {"\"Verde\" in the day editor", "SSOptionVerde13", QColor(), QColor()},
        {"\"Festivo\" in the day editor", "SSCheckFestivo", QColor(), QColor()},
        {"the open day's date on cyan", "lblFecha", QColor(), Colours::cian()},
        {"\"Azul\" in Seleccionar", "OptionAzul", Colours::azul(), QColor()},
        {"\"Todos\" in Seleccionar", "Option1", QColor(), QColor()},
        {"\"Verde\" in Seleccionar", "OptionVerde", QColor(), QColor()},
        {"\"Festivo\" in Seleccionar", "CheckFestivo", QColor(), QColor()},
        {"\"Laboral\" in Seleccionar", "CheckLaboral", QColor(), QColor()},
        {"the note found in Buscar", "txtHallado", QColor(), QColor()},
        {"the notes list", "table", QColor(), QColor(128, 255, 255)},
    };
    for (const bool dark : {false, true}) {
        for (const Control& c : controls) {
            QTest::addRow("%s, %s desktop", c.row, dark ? "dark" : "light")
                << dark << QString::fromLatin1(c.name) << c.text << c.background;
        }
    }
}

void TestContrast::readable()
{
    QFETCH(bool, dark);
    QFETCH(QString, control);
    QFETCH(QColor, lightText);
    QFETCH(QColor, lightBackground);

    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    TestStore store;
    TestSeams doubles; // 5 March 1997: Sunday the 2nd is the seventh button
    const std::unique_ptr<Session> session = Session::start(doubles.seams(), store.folder());
    QVERIFY(session);
    frmCalendar& window = session->window();
    // Every window with colours of its own, open.
    window.findChild<DayButton*>(QStringLiteral("SScmdDia_9"))->click();
    window.mVerNotas_Click();
    window.mSeleccion_Click();
    window.mBucar_Click();

    const QWidget* widget = window.findChild<QWidget*>(control);
    QVERIFY(widget);
    const Drawn drawn = drawnColours(*widget);
    const double contrast = Colours::contrast(drawn.text, drawn.background);
    QVERIFY2(contrast >= Colours::kLeastContrast,
             qPrintable(QStringLiteral("%1 on %2: %3")
                            .arg(drawn.text.name(), drawn.background.name())
                            .arg(contrast)));
    if (dark)
        return;
    if (lightText.isValid())
        QCOMPARE(drawn.text, lightText);
    if (lightBackground.isValid())
        QCOMPARE(drawn.background, lightBackground);
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
