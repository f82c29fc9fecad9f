#include "shell/ClipboardCommands.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocumentFragment>
#include <QTextEdit>

namespace {

// QPlainTextEdit and QTextEdit share these members without sharing a base that has them.
template <typename Edit> QString selectionOf(const Edit* edit)
{
    // The fragment gives line breaks as "\n", where selectedText() would give U+2029.
    return edit->textCursor().selection().toPlainText();
}

template <typename Edit> void replaceIn(Edit* edit, const QString& text)
{
    if (edit->isReadOnly())
        return;
    if (text.isEmpty()) {
        QTextCursor cursor = edit->textCursor();
        if (!cursor.hasSelection())
            return;
        cursor.removeSelectedText();
        edit->setTextCursor(cursor);
    } else {
        edit->insertPlainText(text);
    }
    edit->ensureCursorVisible();
}

} // namespace

ClipboardCommands::ClipboardCommands(QObject* parent) : QObject(parent) {}

QWidget* ClipboardCommands::focusedTextControl()
{
    QWidget* focused = QApplication::focusWidget();
    // A spin box keeps the focus itself and edits through a line edit of its own.
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(focused))
        focused = spin->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    if (qobject_cast<QLineEdit*>(focused) || qobject_cast<QPlainTextEdit*>(focused) ||
        qobject_cast<QTextEdit*>(focused))
        return focused;
    return nullptr;
}

bool ClipboardCommands::selectedText(QWidget* control, QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        text = line->selectedText();
        return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        text = selectionOf(plain);
        return true;
    }
    if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        text = selectionOf(rich);
        return true;
    }
    return false;
}

void ClipboardCommands::replaceSelection(QWidget* control, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        if (line->isReadOnly() || (text.isEmpty() && !line->hasSelectedText()))
            return;
        line->insert(text); // emits textChanged, as typing would
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        // The box's own paste keeps any limit the box puts on what is typed into it.
        if (!text.isEmpty() && !plain->isReadOnly() && text == QGuiApplication::clipboard()->text())
            plain->paste();
        else
            replaceIn(plain, text);
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        replaceIn(rich, text);
    }
}

void ClipboardCommands::mCopiar_Click()
{
    QString text;
    if (selectedText(focusedTextControl(), text))
        QGuiApplication::clipboard()->setText(text);
}

void ClipboardCommands::mCortar_Click()
{
    QWidget* control = focusedTextControl();
    QString text;
    if (selectedText(control, text))
        QGuiApplication::clipboard()->setText(text);
    replaceSelection(control, QString());
}

void ClipboardCommands::mPegar_Click()
{
    QWidget* control = focusedTextControl();
    if (!control)
        return;
    replaceSelection(control, QGuiApplication::clipboard()->text());
}
