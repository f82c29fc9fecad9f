#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSet>

class QWidget;

// Keeps the keyboard away from a window for a moment after it appears, so that keys typed
// before the user could have seen it (a space or an Enter while typing a note) do not answer it.
// A key already held down when the moment ends stays ignored until it is let go.
class KeyGuard : public QObject
{
    Q_OBJECT
public:
    KeyGuard(QWidget* window, int milliseconds);
    ~KeyGuard() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool guards(QObject* watched) const;

    QWidget* window_;
    int milliseconds_;
    QElapsedTimer shown_; // since the window appeared; not started before
    bool painted_ = false;
    QSet<int> held_; // keys pressed while the guard stood and not let go since
};
