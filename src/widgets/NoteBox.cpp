#include "widgets/NoteBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Marks a block that goes on the line of the block before it: a piece of a long line.
constexpr int kContinues = QTextFormat::UserProperty + 1;

QTextBlockFormat lineFormat(QTextBlockFormat format, bool continues)
{
    if (continues)
        format.setProperty(kContinues, true);
    else
        format.clearProperty(kContinues);
    return format;
}

} // namespace

NoteBox::NoteBox(int maxLength, QWidget* parent) : QPlainTextEdit(parent), maxLength_(maxLength) {}

void NoteBox::setNote(const QString& note)
{
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\r|\n"));
    if (note.size() <= kPiece) {
        setPlainText(note);
        return;
    }
    QTextDocument* doc = document();
    const bool undoable = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    bool firstLine = true;
    for (const QString& line : note.split(kBreak)) {
        if (!firstLine)
            cursor.insertBlock(lineFormat(cursor.blockFormat(), false));
        firstLine = false;
        for (qsizetype from = 0; from < line.size() || from == 0;) {
            qsizetype to = std::min(line.size(), from + kPiece);
            // A piece ends after a space where one is near, so that words stay whole.
            if (to < line.size()) {
                const qsizetype space = line.lastIndexOf(QLatin1Char(' '), to - 1);
                if (space > from + kPiece / 2)
                    to = space + 1;
                // Never between the two halves of a character.
                if (line.at(to - 1).isHighSurrogate())
                    --to;
            }
            if (from > 0)
                cursor.insertBlock(lineFormat(cursor.blockFormat(), true));
            cursor.insertText(line.mid(from, to - from));
            from = to;
            if (to >= line.size())
                break;
        }
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(undoable);
    setTextCursor(QTextCursor(doc));
}

void NoteBox::changeNote(const QString& text)
{
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\r"));
    QString wanted = text;
    wanted.replace(kBreak, QStringLiteral("\n"));
    const QString shown = note();
    // Long lines are shown in pieces, whose places do not follow the text's: shown afresh.
    if (shown.size() > kPiece || wanted.size() > kPiece ||
        document()->characterCount() - 1 != shown.size()) {
        const int at = textCursor().position();
        setNote(text);
        QTextCursor cursor = textCursor();
        cursor.setPosition(std::min(at, document()->characterCount() - 1));
        setTextCursor(cursor);
        return;
    }
    qsizetype head = 0;
    while (head < shown.size() && head < wanted.size() && shown[head] == wanted[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shown.size() - head && tail < wanted.size() - head &&
           shown[shown.size() - 1 - tail] == wanted[wanted.size() - 1 - tail])
        ++tail;
    if (head == shown.size() && head == wanted.size())
        return;
    // An edit through a cursor of its own: the user's cursor is moved by the document as any
    // cursor is, staying on the character it stood by.
    QTextCursor edit(document());
    edit.setPosition(int(head));
    edit.setPosition(int(shown.size() - tail), QTextCursor::KeepAnchor);
    edit.insertText(wanted.mid(head, wanted.size() - tail - head));
}

QString NoteBox::note() const
{
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin() && !block.blockFormat().hasProperty(kContinues))
            text += QLatin1Char('\n');
        text += block.text();
    }
    return text;
}

qsizetype NoteBox::room() const
{
    // characterCount() counts the document's closing paragraph mark as well.
    const qsizetype length = document()->characterCount() - 1;
    const QTextCursor cursor = textCursor();
    const qsizetype selected = cursor.selectionEnd() - cursor.selectionStart();
    return std::max<qsizetype>(0, qsizetype(maxLength_) - (length - selected));
}

void NoteBox::insertLines(const QString& text)
{
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\r|\n"));
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    bool first = true;
    for (const QString& line : text.split(kBreak)) {
        if (!first) // a line the user breaks is a line of its own, not a piece
            cursor.insertBlock(lineFormat(cursor.blockFormat(), false));
        first = false;
        cursor.insertText(line);
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

void NoteBox::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool types = !text.isEmpty() && !(event->modifiers() & Qt::ControlModifier) &&
                       (text.at(0).isPrint() || enter);
    if (types && room() < text.size()) {
        event->accept(); // a full box takes no more
        return;
    }
    if (enter && !(event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))) {
        insertLines(QStringLiteral("\n"));
        event->accept();
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
    if (!source || !source->hasText() || isReadOnly())
        return;
    QString text = source->text();
    if (text.size() > room())
        text = text.left(room());
    insertLines(text);
}
