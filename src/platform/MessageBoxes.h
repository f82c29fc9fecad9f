#pragma once

#include <QString>
#include <QStringList>

// The program's message boxes: a prompt, a buttons-and-icon style and a title, answered by
// the user. Handlers ask through this interface so that tests can answer for the user.
class MessageBoxes
{
public:
    // Style bits, added together: one button set, one icon, optionally the default button.
    enum Style : int
    {
        OkOnly = 0,
        OkCancel = 1,
        YesNo = 4,
        Critical = 16,
        Question = 32,
        Exclamation = 48,
        Information = 64,
        DefaultButton2 = 256,
        // A message the program ends after (the store failed while the user was typing): it
        // ignores the keyboard for kFatalKeyDelayMs after it appears, so that a space or an
        // Enter typed before the user could see it does not answer it unread.
        Fatal = 8192,
    };
    enum Answer : int
    {
        Ok = 1,
        Cancel = 2,
        Yes = 6,
        No = 7
    };

    // Long enough for keys already on their way to arrive and be dropped, short enough that a
    // user who has read the message is not kept waiting.
    static constexpr int kFatalKeyDelayMs = 1000;

    static QString applicationTitle() { return QStringLiteral("Tarvelo"); }

    virtual ~MessageBoxes();
    // An empty title stands for the application title. Returns the button pressed.
    virtual int show(const QString& prompt, int style = OkOnly, const QString& title = {}) = 0;
    // A question with buttons of its own, captioned buttons in their order (the last one
    // cancels: Escape and closing the box answer it); style gives the icon. Returns the index of
    // the button pressed.
    virtual int choose(const QString& prompt, const QStringList& buttons, int defaultButton,
                       int style = Question, const QString& title = {}) = 0;
};
