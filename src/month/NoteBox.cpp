#include "month/NoteBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

NoteBox::NoteBox(int maxLength, QWidget* parent) : QPlainTextEdit(parent), maxLength_(maxLength) {}

qsizetype NoteBox::room() const
{
    // characterCount() counts the document's closing paragraph mark as well.
    const qsizetype length = document()->characterCount() - 1;
    const QTextCursor cursor = textCursor();
    const qsizetype selected = cursor.selectionEnd() - cursor.selectionStart();
    return std::max<qsizetype>(0, maxLength_ - (length - selected));
}

void NoteBox::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool types =
        !text.isEmpty() && !(event->modifiers() & Qt::ControlModifier) &&
        (text.at(0).isPrint() || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter);
    if (types && room() < text.size()) {
        event->accept(); // a full box takes no more
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NoteBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && room() < event->commitString().size()) {
        QInputMethodEvent cut(event->preeditString(), event->attributes());
        cut.setCommitString(event->commitString().left(room()), event->replacementStart(),
                            event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&cut);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void NoteBox::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    if (text.size() > room())
        text = text.left(room());
    insertPlainText(text);
}
