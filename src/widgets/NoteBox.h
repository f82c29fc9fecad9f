#pragma once

#include <QPlainTextEdit>

#include <limits>

// A multi-line text box for a note: it limits what the user types or pastes to a number of
// characters, but shows whatever text it is given whole, and gives it back as it was unless
// the user changed it. A very long line is shown in pieces of its own, so that a note of a
// megabyte written by another program opens at once: laying out one line of that size would
// take the text box a second or more.
class NoteBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    static constexpr int kNoLimit = std::numeric_limits<int>::max();
    // Lines longer than this are shown in pieces.
    static constexpr int kPiece = 2048;

    explicit NoteBox(int maxLength = kNoLimit, QWidget* parent = nullptr);

    int maxLength() const { return maxLength_; }

    // Shows a note, whatever its length. Line breaks of any kind ("\n", "\r\n") show as one.
    void setNote(const QString& note);
    // The note as shown: the lines joined by "\n", the pieces of a long line joined by nothing.
    QString note() const;
    // Shows a note that changed elsewhere (a sync, another program) while the box may be typed
    // into: only the stretch that differs is replaced, so that the cursor and the selection stay
    // where the user is typing, and move with the text before them.
    void changeNote(const QString& note);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // How many characters may still be typed in place of the selection.
    qsizetype room() const;
    // Inserts text at the cursor; each line break starts a line of its own, never a piece.
    void insertLines(const QString& text);

    int maxLength_;
};
