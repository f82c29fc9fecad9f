#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The commands of the "Editar" menu: cut, copy and paste between the clipboard and the text
// control that has the focus in the active window, whichever window that is.
class ClipboardCommands : public QObject
{
    Q_OBJECT
public:
    explicit ClipboardCommands(QObject* parent = nullptr);

    void mCortar_Click();
    void mCopiar_Click();
    void mPegar_Click();

private:
    // The focused control's selected text; false when the focus is on no text control.
    static bool selectedText(QWidget* control, QString& text);
    // Puts text in place of the focused control's selection, through the control's own
    // editing so that its change handlers run; nothing in a read-only control.
    static void replaceSelection(QWidget* control, const QString& text);
    static QWidget* focusedTextControl();
};
