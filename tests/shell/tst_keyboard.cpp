#include "Controls.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "listings/NotesPanel.h"
#include "listings/frmBuscar.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "shell/Session.h"
#include "shell/TarveloApplication.h"
#include "shell/frmCalendar.h"
#include "widgets/MnemonicStyle.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QtTest>

// The main window from the keyboard: the menus' Alt letters, shown only while they are of use,
// and F10; and the parts of the window that are out of sight take no part in it.

namespace {

// The mnemonic letters of a caption: each '&' that is not a literal "&&".
QList<QChar> lettersOf(const QString& caption)
{
    QList<QChar> letters;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        letters << caption[i + 1].toLower();
    }
    return letters;
}

QString plain(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

int underlineHint(const QWidget* widget = nullptr)
{
    return QApplication::style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, widget);
}

MnemonicStyle* mnemonicStyle()
{
    return qobject_cast<MnemonicStyle*>(QApplication::style());
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void menuLetters_data();
    void menuLetters();
    void altLetterOpensMenu_data();
    void altLetterOpensMenu();
    void altAloneWorksMenuBar_data();
    void altAloneWorksMenuBar();
    void f10OpensFirstMenu();
    void underlinesWhileOfUse_data();
    void underlinesWhileOfUse();
    void hiddenPartsOutOfReach();
    void tabRoundTheWindow();

private:
    bool showActive()
    {
        window_->show();
        if (!QTest::qWaitForWindowExposed(window_))
            return false;
        window_->activateWindow();
        return QTest::qWaitForWindowActive(window_);
    }
    QMenu* menu(const char* name) const { return child<QMenu>(window_, name); }

    std::unique_ptr<TestStore> store_;
    std::unique_ptr<TestSeams> doubles_;
    std::unique_ptr<Session> session_;
    frmCalendar* window_ = nullptr;
};

void TestKeyboard::init()
{
    store_ = std::make_unique<TestStore>();
    doubles_ = std::make_unique<TestSeams>(); // 5 March 1997
    session_ = Session::start(doubles_->seams(), store_->folder());
    QVERIFY(session_);
    window_ = &session_->window();
    QVERIFY(mnemonicStyle());
}

void TestKeyboard::cleanup()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    window_ = nullptr;
    session_.reset();
    doubles_.reset();
    store_.reset();
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void TestKeyboard::menuLetters_data()
{
    QTest::addColumn<QString>("menuName");     // object name; "" for the menu bar
    QTest::addColumn<QStringList>("captions"); // every item, shown or not, without its '&';
                                               // "-" for a separator

    QTest::newRow("menu bar") << QString() << QStringList{"Archivo", "Editar", "Ayuda"};
    QTest::newRow("Archivo") << "mnuSalir"
                             << QStringList{"Ver notitas",
                                            "Ocultar notitas",
                                            "Ocultar notas",
                                            "Ver notas",
                                            "Cerrar calendario",
                                            "Añadir notita",
                                            "Seleccionar notas",
                                            "-",
                                            "Exportar a iCalendar…",
                                            "Importar de iCalendar…",
                                            "Traer el calendario de la versión anterior…",
                                            "Servidor de calendarios…",
                                            "Sincronizar ahora",
                                            "-",
                                            "Salir"};
    QTest::newRow("Seleccionar notas")
        << "mSeleccionarNotas" << QStringList{"marzo", "1997", "Selección"};
    QTest::newRow("the month's listings") << "mMesactual" << QStringList{"Pantalla", "Impresora"};
    QTest::newRow("the year's listings") << "manyoactual" << QStringList{"Pantalla", "Impresora"};
    QTest::newRow("Editar") << "mnuEditar" << QStringList{"Cortar", "Copiar", "Pegar", "Buscar"};
    QTest::newRow("Ayuda") << "mnuAyuda" << QStringList{"Ayuda", "Acerca de..."};
}

void TestKeyboard::menuLetters()
{
    QFETCH(QString, menuName);
    QFETCH(QStringList, captions);

    QMenuBar* bar = window_->menuBar();
    const QList<QAction*> actions =
        menuName.isEmpty() ? bar->actions()
                           : child<QMenu>(window_, menuName.toUtf8().constData())->actions();
    // Only one item of each pair shows at a time: the two may share a letter.
    const QList<QSet<QString>> pairs = {
        {QStringLiteral("mAbrirNotitas"), QStringLiteral("mCerrarNotitas")},
        {QStringLiteral("mOcultarNotas"), QStringLiteral("mVerNotas")}};
    const auto paired = [&pairs](const QAction* a, const QAction* b) {
        for (const QSet<QString>& pair : pairs) {
            if (pair.contains(a->objectName()) && pair.contains(b->objectName()))
                return true;
        }
        return false;
    };

    QStringList shown;
    for (const QAction* action : actions)
        shown << (action->isSeparator() ? QStringLiteral("-") : plain(action->text()));
    QCOMPARE(shown, captions);

    for (const QAction* action : actions) {
        if (action->isSeparator())
            continue;
        const QList<QChar> letters = lettersOf(action->text());
        QVERIFY2(letters.size() == 1, qPrintable(action->text()));
        QVERIFY2(letters.first().isLetterOrNumber(), qPrintable(action->text()));
        QCOMPARE(QKeySequence::mnemonic(action->text()).isEmpty(), false);
        for (const QAction* other : actions) {
            if (other == action || other->isSeparator() || paired(action, other))
                continue;
            QVERIFY2(lettersOf(other->text()) != letters,
                     qPrintable(action->text() + QStringLiteral(" / ") + other->text()));
        }
        // Menus are windows of their own: they take the menu bar's font.
        if (QMenu* sub = action->menu())
            QCOMPARE(sub->font(), bar->font());
    }

    // The month and year follow the month shown, each with its letter.
    child<MonthView>(window_, "MonthView")->SSCmdMasMes_Click();
    QCOMPARE(menu("mMesactual")->title(), QStringLiteral("&abril"));
    child<MonthView>(window_, "MonthView")->SSCmdMasAnyo_Click();
    QCOMPARE(menu("manyoactual")->title(), QStringLiteral("&1998"));
}

void TestKeyboard::altLetterOpensMenu_data()
{
    QTest::addColumn<int>("letter");
    QTest::addColumn<QString>("menuName");
    QTest::addColumn<int>("itemLetter"); // 0: none pressed
    QTest::addColumn<QString>("item");   // the item that letter runs

    QTest::newRow("Alt+A opens Archivo") << int(Qt::Key_A) << "mnuSalir" << 0 << QString();
    QTest::newRow("Alt+E opens Editar") << int(Qt::Key_E) << "mnuEditar" << 0 << QString();
    QTest::newRow("Alt+Y opens Ayuda") << int(Qt::Key_Y) << "mnuAyuda" << 0 << QString();
    QTest::newRow("Alt+A, N: Ver notas")
        << int(Qt::Key_A) << "mnuSalir" << int(Qt::Key_N) << "mVerNotas";
    QTest::newRow("Alt+A, C: Cerrar calendario")
        << int(Qt::Key_A) << "mnuSalir" << int(Qt::Key_C) << "mCerrarCalendario";
    QTest::newRow("Alt+E, B: Buscar")
        << int(Qt::Key_E) << "mnuEditar" << int(Qt::Key_B) << "mBucar";
    QTest::newRow("Alt+Y, A: Acerca de...")
        << int(Qt::Key_Y) << "mnuAyuda" << int(Qt::Key_A) << "mAcerca";
}

void TestKeyboard::altLetterOpensMenu()
{
    QFETCH(int, letter);
    QFETCH(QString, menuName);
    QFETCH(int, itemLetter);
    QFETCH(QString, item);

    QVERIFY(showActive());
    QCOMPARE(underlineHint(), 0);
    QTest::keyClick(window_, Qt::Key(letter), Qt::AltModifier);
    QMenu* opened = child<QMenu>(window_, menuName.toUtf8().constData());
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(opened));
    // Alt has been let go, yet the menu came from the keyboard: its letters stay in sight.
    QCOMPARE(underlineHint(opened), 1);

    if (itemLetter == 0) {
        // Escape goes back to the menu bar, still worked from the keyboard: the letters stay
        // until a second Escape leaves it.
        QTest::keyClick(opened, Qt::Key_Escape);
        QTRY_VERIFY(!opened->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window_->menuBar()));
        QCOMPARE(underlineHint(window_->menuBar()), 1);
        QTest::keyClick(window_->menuBar(), Qt::Key_Escape);
        QVERIFY(QApplication::focusWidget() != window_->menuBar());
    } else {
        QAction* action = child<QAction>(window_, item.toUtf8().constData());
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keyClick(opened, Qt::Key(itemLetter));
        QTRY_COMPARE(triggered.size(), 1);
        QTRY_VERIFY(!opened->isVisible());
    }
    QCOMPARE(underlineHint(), 0);
}

void TestKeyboard::altAloneWorksMenuBar_data()
{
    QTest::addColumn<int>("letter");
    QTest::addColumn<QString>("menuName");

    QTest::newRow("Alt, then A: Archivo") << int(Qt::Key_A) << "mnuSalir";
    QTest::newRow("Alt, then E: Editar") << int(Qt::Key_E) << "mnuEditar";
    QTest::newRow("Alt, then Escape: nothing opens") << int(Qt::Key_Escape) << QString();
}

void TestKeyboard::altAloneWorksMenuBar()
{
    QFETCH(int, letter);
    QFETCH(QString, menuName);

    QVERIFY(showActive());
    QWidget* before = QApplication::focusWidget();
    // Alt pressed and let go on its own hands the keyboard to the menu bar, whose letters
    // then say what each one opens.
    QTest::keyClick(window_, Qt::Key_Alt);
    QMenuBar* bar = window_->menuBar();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bar));
    QCOMPARE(underlineHint(bar), 1);

    QTest::keyClick(bar, Qt::Key(letter));
    if (menuName.isEmpty()) {
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(QApplication::focusWidget(), before);
        QCOMPARE(underlineHint(), 0);
        return;
    }
    QMenu* opened = child<QMenu>(window_, menuName.toUtf8().constData());
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(opened));
    QCOMPARE(underlineHint(opened), 1);
    QTest::keyClick(opened, Qt::Key_Escape);
    QTRY_VERIFY(!opened->isVisible());
    QCOMPARE(underlineHint(bar), 1);
    QTest::keyClick(bar, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), before);
    QCOMPARE(underlineHint(), 0);
}

void TestKeyboard::f10OpensFirstMenu()
{
    QVERIFY(showActive());
    QCOMPARE(underlineHint(), 0);
    QTest::keyClick(window_, Qt::Key_F10);
    QMenu* archivo = menu("mnuSalir");
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(archivo));
    QCOMPARE(underlineHint(archivo), 1);

    // Into a submenu and back: the letters stay while a menu is open.
    QMenu* seleccionar = menu("mSeleccionarNotas");
    archivo->setActiveAction(seleccionar->menuAction());
    QTest::keyClick(archivo, Qt::Key_Right);
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(seleccionar));
    QTest::keyClick(seleccionar, Qt::Key_Left);
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(archivo));
    QCOMPARE(underlineHint(), 1);

    QTest::keyClick(archivo, Qt::Key_Escape);
    QTRY_VERIFY(!archivo->isVisible());
    QCOMPARE(underlineHint(window_->menuBar()), 1); // the menu bar, from the keyboard
    QTest::keyClick(window_->menuBar(), Qt::Key_Escape);
    QCOMPARE(underlineHint(), 0);

    // An item chosen from a menu F10 opened: the letters go with the menu.
    QTest::keyClick(window_, Qt::Key_F10);
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(archivo));
    QSignalSpy triggered(child<QAction>(window_, "mVerNotas"), &QAction::triggered);
    QTest::keyClick(archivo, Qt::Key_N);
    QCOMPARE(triggered.size(), 1);
    QTRY_VERIFY(!archivo->isVisible());
    QCOMPARE(underlineHint(), 0);
}

void TestKeyboard::underlinesWhileOfUse_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("hints"); // after each step

    QTest::newRow("Alt held for a shortcut, then let go")
        << QStringList{"press Alt", "press F3", "release Alt"} << QList<int>{1, 1, 0};
    QTest::newRow("Alt held: its repeats change nothing")
        << QStringList{"press Alt", "repeat Alt", "press F3", "release Alt"}
        << QList<int>{1, 1, 1, 0};
    QTest::newRow("Alt on its own hands the keyboard to the menu bar, until Escape")
        << QStringList{"press Alt", "release Alt", "Escape"} << QList<int>{1, 1, 0};
    QTest::newRow("other keys show nothing")
        << QStringList{"press Shift", "release Shift", "press Ctrl"} << QList<int>{0, 0, 0};
    QTest::newRow("a menu opened from the keyboard, until it closes")
        << QStringList{"keyboard menu", "open menu", "hide menu"} << QList<int>{1, 1, 0};
    QTest::newRow("Alt let go after it opened a menu: the menu keeps its letters")
        << QStringList{"press Alt", "open menu", "release Alt", "hide menu"}
        << QList<int>{1, 1, 1, 0};
    QTest::newRow("Alt pressed in an open menu closes it")
        << QStringList{"keyboard menu", "open menu", "press Alt", "release Alt"}
        << QList<int>{1, 1, 1, 0};
    QTest::newRow("the program left while Alt is held")
        << QStringList{"press Alt", "deactivate"} << QList<int>{1, 0};
    QTest::newRow("the program left with a keyboard menu")
        << QStringList{"keyboard menu", "deactivate"} << QList<int>{1, 0};
}

void TestKeyboard::underlinesWhileOfUse()
{
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, hints);

    QVERIFY(showActive());
    QCOMPARE(underlineHint(), 0);
    QMenu* archivo = menu("mnuSalir");
    QList<int> seen;
    for (const QString& step : steps) {
        // To the open menu, which has the keyboard, or else to the window.
        const auto key = [this](QEvent::Type type, Qt::Key k, bool repeat = false) {
            const bool altDown = (type == QEvent::KeyPress && k == Qt::Key_Alt) ||
                                 (k != Qt::Key_Alt && mnemonicStyle()->cuesShown());
            QKeyEvent event(type, k, altDown ? Qt::AltModifier : Qt::NoModifier, QString(), repeat);
            QWidget* popup = QApplication::activePopupWidget();
            QApplication::sendEvent(popup ? popup : window_, &event);
        };
        if (step == QLatin1String("press Alt")) {
            key(QEvent::KeyPress, Qt::Key_Alt);
        } else if (step == QLatin1String("repeat Alt")) {
            key(QEvent::KeyPress, Qt::Key_Alt, true);
        } else if (step == QLatin1String("press F3")) {
            key(QEvent::KeyPress, Qt::Key_F3);
            key(QEvent::KeyRelease, Qt::Key_F3);
        } else if (step == QLatin1String("Escape")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        } else if (step == QLatin1String("release Alt")) {
            key(QEvent::KeyRelease, Qt::Key_Alt);
        } else if (step == QLatin1String("press Shift")) {
            key(QEvent::KeyPress, Qt::Key_Shift);
        } else if (step == QLatin1String("release Shift")) {
            key(QEvent::KeyRelease, Qt::Key_Shift);
        } else if (step == QLatin1String("press Ctrl")) {
            key(QEvent::KeyPress, Qt::Key_Control);
        } else if (step == QLatin1String("keyboard menu")) {
            mnemonicStyle()->menuOpenedFromKeyboard();
        } else if (step == QLatin1String("open menu")) {
            archivo->popup(window_->mapToGlobal(QPoint(0, 0)));
            QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(archivo));
        } else if (step == QLatin1String("hide menu")) {
            archivo->hide();
        } else if (step == QLatin1String("deactivate")) {
            QEvent event(QEvent::ApplicationDeactivate);
            QApplication::sendEvent(qApp, &event);
        } else {
            QFAIL(qPrintable(step));
        }
        seen << underlineHint(window_);
    }
    QCOMPARE(seen, hints);
    QCOMPARE(mnemonicStyle()->cuesShown(), hints.last() == 1);
}

void TestKeyboard::hiddenPartsOutOfReach()
{
    QVERIFY(showActive());
    // Narrow at start: the notes list and the editor are out of sight and out of the
    // keyboard's way (not even made yet).
    QCOMPARE(window_->outerWidth(), frmCalendar::kNarrowWidth);
    for (const char* name : {"DBGridCalendar", "DayEditor"}) {
        const auto* part = window_->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(!part || !part->isVisible(), name);
    }

    child<QAction>(window_, "mVerNotas")->trigger();
    QCOMPARE(window_->outerWidth(), frmCalendar::kWideWidth);
    auto* notes = child<NotesPanel>(window_, "DBGridCalendar");
    QVERIFY(notes->isVisible());
    child<QAction>(window_, "mOcultarNotas")->trigger();
    QVERIFY(!notes->isVisible());

    // The editor shows at the open height only.
    MonthView* month = child<MonthView>(window_, "MonthView");
    child<DayButton>(month, "SScmdDia_9")->click(); // 5 March 1997
    QCOMPARE(window_->outerHeight(), DayEditor::kOpenHeight);
    auto* editor = child<DayEditor>(window_, "DayEditor");
    QVERIFY(editor->isVisible());
    child<QAbstractButton>(editor, "SScmdCerrar")->click();
    QCOMPARE(window_->outerHeight(), 4020);
    QVERIFY(!editor->isVisible());

    // Tab from the last day goes round the shown controls only.
    QWidget* start = child<QWidget>(month, "SScmdDia_35");
    start->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(start->hasFocus());
    for (int k = 0; k < 60; ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY2(focus->isVisible(), qPrintable(focus->objectName()));
        QVERIFY2(!editor->isAncestorOf(focus) && !notes->isAncestorOf(focus),
                 qPrintable(focus->objectName()));
    }
}

void TestKeyboard::tabRoundTheWindow()
{
    QVERIFY(showActive());
    const auto focused = [] {
        const QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QStringLiteral("<none>");
    };
    QWidget* first = child<QWidget>(child<MonthView>(window_, "MonthView"), "SSCmdMenosAnyo");
    first->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(first->hasFocus());

    // The moves, then the days as one stop, on today, and round again.
    QStringList visited;
    for (int k = 0; k < 6; ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focused();
    }
    QCOMPARE(visited, (QStringList{"SSCmdMenosMes", "SSCmdMasMes", "SSCmdMasAnyo", "SScmdDia_9",
                                   "SSCmdMenosAnyo", "SSCmdMenosMes"}));

    // A day opened from the keyboard: its note one Tab away; Escape brings the keyboard back.
    QWidget* today = child<QWidget>(child<MonthView>(window_, "MonthView"), "SScmdDia_9");
    today->setFocus(Qt::TabFocusReason);
    QTest::keyClick(today, Qt::Key_Right);
    QCOMPARE(focused(), QStringLiteral("SScmdDia_10"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(window_->outerHeight(), DayEditor::kOpenHeight);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(focused(), QStringLiteral("txtNota1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(window_->outerHeight(), 4020);
    QCOMPARE(focused(), QStringLiteral("SScmdDia_10"));

    // With the notes listed, Tab goes on from the days to the list.
    child<QAction>(window_, "mVerNotas")->trigger();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY2(
        child<NotesPanel>(window_, "DBGridCalendar")->isAncestorOf(QApplication::focusWidget()),
        qPrintable(focused()));
}

int main(int argc, char** argv)
{
    TarveloApplication app(argc, argv);
    TestKeyboard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keyboard.moc"
