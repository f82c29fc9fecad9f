#pragma once

#include <QPlainTextEdit>

// A multi-line text box that limits what the user types or pastes to a number of characters,
// but shows whatever text it is given whole: a longer note written by another program is kept
// as it is unless the user changes it.
class NoteBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    NoteBox(int maxLength, QWidget* parent = nullptr);

    int maxLength() const { return maxLength_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // How many characters may still be typed in place of the selection.
    qsizetype room() const;

    int maxLength_;
};
