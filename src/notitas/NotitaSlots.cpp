#include "notitas/NotitaSlots.h"

#include "notitas/frmNota.h"
#include "platform/MessageBoxes.h"
#include "store/domain/NotitaBook.h"
#include "store/domain/StoreGuard.h"
#include "widgets/WindowPlace.h"

NotitaSlots::NotitaSlots(NotitaBook& notitas, MessageBoxes& boxes, const StoreGuard& guard,
                         std::function<QRect()> calendarArea, QObject* parent)
    : QObject(parent), notitas_(notitas), boxes_(boxes), guard_(guard),
      calendarArea_(std::move(calendarArea))
{
}

NotitaSlots::~NotitaSlots() = default;

frmNota* NotitaSlots::window(int k)
{
    if (k < 1 || k > kSlots)
        return nullptr;
    std::unique_ptr<frmNota>& slot = windows_[std::size_t(k - 1)];
    if (!slot) {
        slot = std::make_unique<frmNota>(k, notitas_, boxes_, guard_);
        slot->Form_Load();
        connect(slot.get(), &frmNota::becameEmpty, this, &NotitaSlots::tableEmptied);
    }
    return slot.get();
}

frmNota* NotitaSlots::existingWindow(int k) const
{
    if (k < 1 || k > kSlots)
        return nullptr;
    return windows_[std::size_t(k - 1)].get();
}

int NotitaSlots::ContarNotitas()
{
    int n = 0;
    guard_.run([&] { n = notitas_.count(); });
    return n;
}

void NotitaSlots::MostrarNotitas()
{
    hiddenByUser_ = false;
    std::vector<Notita> shown;
    int n = 0;
    if (!guard_.run([&] {
            n = notitas_.count();
            shown = notitas_.first(kSlots);
        }))
        return;
    for (int k = 1; k <= int(shown.size()); ++k) {
        frmNota* notita = window(k);
        notita->bind(shown[std::size_t(k - 1)]);
        notita->show();
    }
    // Every row now has its window among the first n: a window above them still bound would
    // show one of those rows a second time, and its keystrokes would undo the other's.
    for (int k = int(shown.size()) + 1; k <= kSlots; ++k) {
        frmNota* notita = existingWindow(k);
        if (notita && notita->boundRow())
            notita->unbind();
    }
    if (n == 0)
        emit tableEmptied();
}

frmNota* NotitaSlots::windowShowing(qint64 row, const frmNota* other) const
{
    for (int k = 1; k <= kSlots; ++k) {
        frmNota* notita = existingWindow(k);
        if (notita && notita != other && notita->boundRow() == row)
            return notita;
    }
    return nullptr;
}

frmNota* NotitaSlots::firstUnbound()
{
    for (int k = 1; k <= kSlots; ++k) {
        frmNota* notita = existingWindow(k);
        if (!notita || !notita->boundRow())
            return window(k);
    }
    return nullptr;
}

void NotitaSlots::rebindLastToWindow10()
{
    std::optional<Notita> last;
    if (!guard_.run([&] { last = notitas_.last(); }) || !last)
        return;
    frmNota* tenth = window(kSlots);
    const std::optional<qint64> former = tenth->boundRow();
    if (former != last->row) {
        // Window 10 takes the last notita with its own text, so that its next keystroke cannot
        // write another notita's text there; the notita it showed goes to the window that
        // showed the last one (or to a free one), and no notita is shown twice.
        frmNota* holder = windowShowing(last->row, tenth);
        tenth->bind(*last);
        std::optional<Notita> formerNotita;
        if (former && !guard_.run([&] { formerNotita = notitas_.read(*former); }))
            return;
        if (formerNotita) {
            if (frmNota* heir = holder ? holder : firstUnbound()) {
                heir->bind(*formerNotita);
                heir->show();
            }
        } else if (holder) {
            holder->unbind();
        }
    }
    tenth->show();
}

QPoint NotitaSlots::placeForNew(const frmNota& notita) const
{
    const QRect calendar = calendarArea_ ? calendarArea_() : QRect();
    QList<QRect> taken;
    for (const std::unique_ptr<frmNota>& other : windows_) {
        if (other && other.get() != &notita && other->isVisible())
            taken << other->frameGeometry();
    }
    return WindowPlace::freeBeside(calendar, notita.outerSize(), WindowPlace::screenOf(calendar),
                                   taken);
}

void NotitaSlots::SSPanel1_Click()
{
    const int answer =
        boxes_.show(QStringLiteral("¿Desea añadir una notita?"),
                    MessageBoxes::OkCancel | MessageBoxes::Question | MessageBoxes::DefaultButton2,
                    QStringLiteral("Atención"));
    if (answer != MessageBoxes::Ok)
        return;

    int n = ContarNotitas();
    if (guard_.failed())
        return;
    if (n >= kSlots) {
        boxes_.show(QStringLiteral("Solo se permiten 10 notitas"),
                    MessageBoxes::OkOnly | MessageBoxes::Critical, QStringLiteral("Dialog"));
        if (n == kSlots)
            rebindLastToWindow10();
        return;
    }

    qint64 row = 0;
    if (!guard_.run([&] {
            row = notitas_.add();
            n = notitas_.count();
        }))
        return;
    emit notitaAdded();
    if (n < 1 || n > kSlots)
        return;

    // Window n may still show another notita when an earlier one was deleted: the new one
    // goes to a window that shows none.
    frmNota* notita = existingWindow(n);
    if (notita && notita->boundRow())
        notita = firstUnbound();
    if (!notita)
        notita = window(n);
    notita->bindNew(row, placeForNew(*notita));
    notita->show();
    // The user asked for it: what the user types next goes into it, not into the month.
    notita->takeKeyboard();
}

void NotitaSlots::mAnyadirNotita_Click()
{
    SSPanel1_Click();
}

void NotitaSlots::mabrirnotitas_Click()
{
    MostrarNotitas();
    emit notitasShown();
}

void NotitaSlots::mCerrarNotitas_Click()
{
    for (int k = 1; k <= kSlots; ++k)
        window(k)->hide();
    hiddenByUser_ = true;
    emit notitasHidden();
}

void NotitaSlots::hideAll()
{
    for (const std::unique_ptr<frmNota>& notita : windows_) {
        if (notita)
            notita->hide();
    }
}

void NotitaSlots::raiseShown()
{
    for (const std::unique_ptr<frmNota>& notita : windows_) {
        if (notita && notita->isVisible())
            notita->raise();
    }
}

void NotitaSlots::showStoredNotitas()
{
    for (int k = 1; k <= kSlots; ++k) {
        frmNota* notita = existingWindow(k);
        if (!notita || !notita->boundRow())
            continue;
        std::optional<Notita> stored;
        if (!guard_.run([&] { stored = notitas_.read(*notita->boundRow()); }))
            return;
        notita->showStored(stored);
    }
    std::vector<Notita> first;
    int n = 0;
    if (!guard_.run([&] {
            n = notitas_.count();
            first = notitas_.first(kSlots);
        }))
        return;
    if (!hiddenByUser_) {
        for (const Notita& row : first) {
            if (windowShowing(row.row, nullptr))
                continue;
            frmNota* notita = firstUnbound();
            if (!notita)
                break;
            notita->bind(row);
            notita->show();
        }
    }
    if (n == 0)
        emit tableEmptied();
    else
        emit notitaAdded();
}
