#pragma once

#include "platform/MessageBoxes.h"

#include <QList>

// Message boxes answered by the test: each call is recorded, and the answers queued with
// answerNext() are given in order (OK when none is queued).
class FakeMessageBoxes : public MessageBoxes
{
public:
    struct Call
    {
        QString prompt;
        int style;
        QString title;

        // Shown as the message the program ends after, deaf to early keys.
        bool isFatal() const { return (style & Fatal) != 0; }
    };

    int show(const QString& prompt, int style = OkOnly, const QString& title = {}) override;
    // Recorded as a call too, the buttons after the prompt; answered with the next queued
    // answer as a button's index (the default button when none is queued).
    int choose(const QString& prompt, const QStringList& buttons, int defaultButton,
               int style = Question, const QString& title = {}) override;

    void answerNext(int answer) { answers_.append(answer); }
    const QList<Call>& calls() const { return calls_; }
    void clear()
    {
        calls_.clear();
        answers_.clear();
    }

private:
    QList<Call> calls_;
    QList<int> answers_;
};
