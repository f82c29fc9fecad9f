#include "shell/ClipboardCommands.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QtTest>

namespace {

// The kinds of focused control the commands meet.
enum class Kind
{
    LineEdit,
    ReadOnlyLineEdit,
    PlainText,
    ReadOnlyPlainText,
    RichText,
    SpinBox,
    Button,
    CheckBox,
    NoFocus
};

// A shown window holding one control of a kind, focused, with a text and a selection.
struct Window
{
    Window(Kind kind, const QString& text, int start, int length)
    {
        window.setWindowTitle(QStringLiteral("tst_clipboard"));
        window.resize(320, 200);
        switch (kind) {
        case Kind::LineEdit:
        case Kind::ReadOnlyLineEdit:
            line = new QLineEdit(text, &window);
            line->setReadOnly(kind == Kind::ReadOnlyLineEdit);
            control = line;
            break;
        case Kind::PlainText:
        case Kind::ReadOnlyPlainText:
            plain = new QPlainTextEdit(text, &window);
            plain->setReadOnly(kind == Kind::ReadOnlyPlainText);
            control = plain;
            break;
        case Kind::RichText:
            rich = new QTextEdit(&window);
            rich->setPlainText(text);
            control = rich;
            break;
        case Kind::SpinBox:
            spin = new QSpinBox(&window);
            spin->setRange(0, 59);
            spin->setValue(text.toInt());
            control = spin;
            break;
        case Kind::Button:
            control = new QPushButton(text, &window);
            break;
        case Kind::CheckBox:
            control = new QCheckBox(text, &window);
            break;
        case Kind::NoFocus:
            control = new QLabel(text, &window);
            break;
        }
        control->setGeometry(10, 10, 300, 150);
        select(start, length);
    }

    void select(int start, int length)
    {
        if (line) {
            line->setCursorPosition(start);
            if (length > 0)
                line->setSelection(start, length);
        } else if (plain || rich) {
            QTextCursor cursor(plain ? plain->document() : rich->document());
            cursor.setPosition(start);
            cursor.setPosition(start + length, QTextCursor::KeepAnchor);
            plain ? plain->setTextCursor(cursor) : rich->setTextCursor(cursor);
        } else if (spin) {
            spin->findChild<QLineEdit*>()->setSelection(start, length);
        }
    }

    QString text() const
    {
        if (line)
            return line->text();
        if (plain)
            return plain->toPlainText();
        if (rich)
            return rich->toPlainText();
        if (spin)
            return spin->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->text();
        return qobject_cast<QLabel*>(control)->text();
    }

    QWidget window;
    QWidget* control = nullptr;
    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;
    QTextEdit* rich = nullptr;
    QSpinBox* spin = nullptr;
};

// Shows the window and gives its control the focus, as the user's click would; a control that
// takes no focus leaves the window without a focused control.
void showFocused(Window& w)
{
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    w.window.activateWindow();
    if (w.control->focusPolicy() == Qt::NoFocus) {
        QTRY_VERIFY(QApplication::focusWidget() == nullptr);
    } else {
        w.control->setFocus();
        QTRY_VERIFY(w.control->hasFocus());
    }
}

void setClipboard(const QString& text)
{
    if (text.isNull())
        QGuiApplication::clipboard()->clear();
    else
        QGuiApplication::clipboard()->setText(text);
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestClipboard : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void pasteRunsChangeHandlers_data();
    void pasteRunsChangeHandlers();
};

void TestClipboard::commands_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("clipboard"); // null: an empty clipboard
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("textAfter");
    QTest::addColumn<QString>("clipboardAfter");

    const QString none;
    const QString hola = QStringLiteral("hola mundo");

    QTest::newRow("Pegar with an empty clipboard deletes the selection")
        << Kind::LineEdit << hola << 4 << 6 << none << "Pegar"
        << "hola"
        << "";
    QTest::newRow("Pegar replaces the selection") << Kind::LineEdit << hola << 0 << 4 << "adiós"
                                                  << "Pegar"
                                                  << "adiós mundo"
                                                  << "adiós";
    QTest::newRow("Pegar with nothing selected inserts at the caret")
        << Kind::LineEdit << hola << 4 << 0 << ","
        << "Pegar"
        << "hola, mundo"
        << ",";
    QTest::newRow("Pegar with an empty clipboard and no selection changes nothing")
        << Kind::PlainText << hola << 4 << 0 << none << "Pegar" << hola << "";
    QTest::newRow("Pegar of several lines into a multi-line box")
        << Kind::PlainText << hola << 5 << 5 << "uno\ndos"
        << "Pegar"
        << "hola uno\ndos"
        << "uno\ndos";
    QTest::newRow("Pegar into a spin box's text") << Kind::SpinBox << "12" << 0 << 2 << "30"
                                                  << "Pegar"
                                                  << "30"
                                                  << "30";

    QTest::newRow("Cortar moves the selection to the clipboard")
        << Kind::PlainText << "uno\ndos" << 0 << 4 << "antes"
        << "Cortar"
        << "dos"
        << "uno\n";
    QTest::newRow("Cortar in a rich text box") << Kind::RichText << hola << 4 << 6 << "antes"
                                               << "Cortar"
                                               << "hola"
                                               << " mundo";
    QTest::newRow("Cortar with nothing selected copies empty text and changes nothing")
        << Kind::LineEdit << hola << 2 << 0 << "antes"
        << "Cortar" << hola << "";
    QTest::newRow("Cortar in a read-only box copies and keeps the text")
        << Kind::ReadOnlyLineEdit << hola << 0 << 4 << "antes"
        << "Cortar" << hola << "hola";

    QTest::newRow("Copiar copies the selection")
        << Kind::RichText << hola << 5 << 5 << none << "Copiar" << hola << "mundo";
    QTest::newRow("Copiar copies line breaks as they are typed")
        << Kind::PlainText << "uno\ndos" << 2 << 3 << none << "Copiar"
        << "uno\ndos"
        << "o\nd";
    QTest::newRow("Copiar in a read-only box copies")
        << Kind::ReadOnlyPlainText << hola << 0 << 4 << none << "Copiar" << hola << "hola";
    QTest::newRow("Pegar in a read-only box changes nothing")
        << Kind::ReadOnlyPlainText << hola << 0 << 4 << "antes"
        << "Pegar" << hola << "antes";

    QTest::newRow("Copiar with a push button focused changes neither clipboard nor window")
        << Kind::Button << "Aplicar" << 0 << 0 << "antes"
        << "Copiar"
        << "Aplicar"
        << "antes";
    QTest::newRow("Cortar with a check box focused changes nothing")
        << Kind::CheckBox << "Festivo" << 0 << 0 << "antes"
        << "Cortar"
        << "Festivo"
        << "antes";
    QTest::newRow("Pegar with a check box focused changes nothing")
        << Kind::CheckBox << "Festivo" << 0 << 0 << "antes"
        << "Pegar"
        << "Festivo"
        << "antes";
    QTest::newRow("Cortar with no focus at all changes nothing")
        << Kind::NoFocus << "texto" << 0 << 0 << "antes"
        << "Cortar"
        << "texto"
        << "antes";
    QTest::newRow("Pegar with no focus at all changes nothing")
        << Kind::NoFocus << "texto" << 0 << 0 << "antes"
        << "Pegar"
        << "texto"
        << "antes";
}

void TestClipboard::commands()
{
    QFETCH(Kind, kind);
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, clipboard);
    QFETCH(QString, command);
    QFETCH(QString, textAfter);
    QFETCH(QString, clipboardAfter);

    Window w(kind, text, start, length);
    showFocused(w);
    if (QTest::currentTestFailed())
        return;
    setClipboard(clipboard);

    ClipboardCommands commands;
    if (command == QLatin1String("Cortar"))
        commands.mCortar_Click();
    else if (command == QLatin1String("Copiar"))
        commands.mCopiar_Click();
    else
        commands.mPegar_Click();

    QCOMPARE(w.text(), textAfter);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboardAfter);
}

void TestClipboard::pasteRunsChangeHandlers_data()
{
    QTest::addColumn<Kind>("kind");

    QTest::newRow("a line edit's textChanged") << Kind::LineEdit;
    QTest::newRow("a multi-line box's textChanged") << Kind::PlainText;
    QTest::newRow("a spin box's valueChanged") << Kind::SpinBox;
}

void TestClipboard::pasteRunsChangeHandlers()
{
    QFETCH(Kind, kind);

    Window w(kind, QStringLiteral("12"), 0, 2);
    QStringList seen;
    if (w.line)
        connect(w.line, &QLineEdit::textChanged, this, [&](const QString& t) { seen << t; });
    if (w.plain) {
        connect(w.plain, &QPlainTextEdit::textChanged, this,
                [&] { seen << w.plain->toPlainText(); });
    }
    if (w.spin)
        connect(w.spin, &QSpinBox::valueChanged, this, [&](int v) { seen << QString::number(v); });
    showFocused(w);
    if (QTest::currentTestFailed())
        return;
    setClipboard(QStringLiteral("30"));

    ClipboardCommands commands;
    commands.mPegar_Click();

    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), QStringLiteral("30"));
    QCOMPARE(w.text(), QStringLiteral("30"));
}

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
