#include "notitas/NotitaSlots.h"

#include "notitas/frmNota.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "store/CalendarStore.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

namespace {

// New notitas step down and to the right by a caption's height, so that none hides another.
constexpr int kCascadeStepTwips = 360;

} // namespace

NotitaSlots::NotitaSlots(CalendarStore& store, MessageBoxes& boxes, QAction* mAbrirNotitas,
                         QAction* mCerrarNotitas, QObject* parent)
    : QObject(parent), store_(store), boxes_(boxes), mAbrirNotitas_(mAbrirNotitas),
      mCerrarNotitas_(mCerrarNotitas)
{
}

NotitaSlots::~NotitaSlots() = default;

frmNota* NotitaSlots::window(int k)
{
    if (k < 1 || k > kSlots)
        return nullptr;
    std::unique_ptr<frmNota>& slot = windows_[std::size_t(k - 1)];
    if (!slot) {
        slot = std::make_unique<frmNota>(k, store_, boxes_);
        slot->Form_Load();
        connect(slot.get(), &frmNota::becameEmpty, this, &NotitaSlots::setTableEmpty);
    }
    return slot.get();
}

frmNota* NotitaSlots::existingWindow(int k) const
{
    if (k < 1 || k > kSlots)
        return nullptr;
    return windows_[std::size_t(k - 1)].get();
}

int NotitaSlots::ContarNotitas() const
{
    return frmNota::ContarNotitas(store_);
}

void NotitaSlots::setTableEmpty()
{
    if (mCerrarNotitas_)
        mCerrarNotitas_->setEnabled(false);
}

void NotitaSlots::bindCurrentRow(frmNota& notita)
{
    TableCursor& rsNota = store_.rsNota;
    const QString indice = rsNota.value(QStringLiteral("indice")).toString();
    const double top = rsNota.value(QStringLiteral("Top")).toDouble();
    const double left = rsNota.value(QStringLiteral("Left")).toDouble();
    // Read before the text is set: setting it saves, and the save walks rsNota away.
    const QString nota = rsNota.value(QStringLiteral("nota")).toString();
    notita.txtIndice->setText(indice);
    notita.restorePlace(top, left);
    notita.txtNota->setPlainText(nota);
}

void NotitaSlots::unbind(frmNota& notita)
{
    // Unbound first, so that emptying the box writes nowhere.
    notita.txtIndice->setText(QString());
    notita.txtNota->setPlainText(QString());
    notita.hide();
}

void NotitaSlots::MostrarNotitas()
{
    TableCursor& rsNota = store_.rsNota;
    const int n = ContarNotitas();
    for (int k = 1; k <= kSlots && n >= k; ++k) {
        rsNota.moveFirst();
        for (int step = 1; step < k; ++step)
            rsNota.moveNext();
        frmNota* notita = window(k);
        bindCurrentRow(*notita);
        notita->show();
    }
    // Every row now has its window among the first n: a window above them still bound would
    // show one of those rows a second time, and its keystrokes would undo the other's.
    for (int k = n + 1; k <= kSlots; ++k) {
        frmNota* notita = existingWindow(k);
        if (notita && !notita->txtIndice->text().isEmpty())
            unbind(*notita);
    }
    if (n == 0)
        setTableEmpty();
}

bool NotitaSlots::moveToRow(const QString& indice)
{
    TableCursor& rsNota = store_.rsNota;
    for (rsNota.moveFirst(); !rsNota.eof(); rsNota.moveNext()) {
        if (rsNota.value(QStringLiteral("indice")).toString() == indice)
            return true;
    }
    return false;
}

frmNota* NotitaSlots::windowShowing(const QString& indice, const frmNota* other) const
{
    for (int k = 1; k <= kSlots; ++k) {
        frmNota* notita = existingWindow(k);
        if (notita && notita != other && notita->txtIndice->text() == indice)
            return notita;
    }
    return nullptr;
}

frmNota* NotitaSlots::firstUnbound()
{
    for (int k = 1; k <= kSlots; ++k) {
        frmNota* notita = existingWindow(k);
        if (!notita || notita->txtIndice->text().isEmpty())
            return window(k);
    }
    return nullptr;
}

void NotitaSlots::rebindLastToWindow10()
{
    TableCursor& rsNota = store_.rsNota;
    rsNota.moveLast();
    const QString last = rsNota.value(QStringLiteral("indice")).toString();
    frmNota* tenth = window(kSlots);
    const QString former = tenth->txtIndice->text();
    if (former != last) {
        // Window 10 takes the last row with that row's own text, so that its next keystroke
        // cannot write another row's text there; the row it showed goes to the window that
        // showed the last row (or to a free one), and no row is shown twice.
        frmNota* holder = windowShowing(last, tenth);
        bindCurrentRow(*tenth);
        if (!former.isEmpty() && moveToRow(former)) {
            if (frmNota* heir = holder ? holder : firstUnbound()) {
                bindCurrentRow(*heir);
                heir->show();
            }
        } else if (holder) {
            unbind(*holder);
        }
    }
    tenth->show();
}

void NotitaSlots::SSPanel1_Click()
{
    const int answer =
        boxes_.show(QStringLiteral("¿Desea añadir una notita?"),
                    MessageBoxes::OkCancel | MessageBoxes::Question | MessageBoxes::DefaultButton2,
                    QStringLiteral("Atención"));
    if (answer != MessageBoxes::Ok)
        return;

    TableCursor& rsNota = store_.rsNota;
    int n = ContarNotitas();
    if (n >= kSlots) {
        boxes_.show(QStringLiteral("Solo se permiten 10 notitas"),
                    MessageBoxes::OkOnly | MessageBoxes::Critical, QStringLiteral("Dialog"));
        if (n == kSlots)
            rebindLastToWindow10();
        return;
    }

    rsNota.addNew();
    rsNota.update();
    n = ContarNotitas();
    if (mCerrarNotitas_)
        mCerrarNotitas_->setEnabled(true);
    if (n < 1 || n > kSlots)
        return;

    rsNota.moveLast();
    const QString indice = rsNota.value(QStringLiteral("indice")).toString();
    // Window n may still show another row when an earlier one was deleted: the new row goes
    // to a window that shows none.
    frmNota* notita = existingWindow(n);
    if (notita && !notita->txtIndice->text().isEmpty())
        notita = firstUnbound();
    if (!notita)
        notita = window(n);

    // Emptied and placed while it is bound to nothing: a new notita reaches the store only
    // when it saves itself.
    notita->txtIndice->setText(QString());
    notita->txtNota->setPlainText(QString());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint corner = screen ? screen->availableGeometry().topLeft() : QPoint();
    const int step = kCascadeStepTwips * (notita->slot() - 1);
    notita->setLeft(Twips::fromPixels(corner.x()) + step);
    notita->setTop(Twips::fromPixels(corner.y()) + step);
    notita->txtIndice->setText(indice);
    notita->show();
}

void NotitaSlots::mAnyadirNotita_Click()
{
    SSPanel1_Click();
}

void NotitaSlots::mabrirnotitas_Click()
{
    MostrarNotitas();
    if (mCerrarNotitas_)
        mCerrarNotitas_->setVisible(true);
    if (mAbrirNotitas_)
        mAbrirNotitas_->setVisible(false);
}

void NotitaSlots::mCerrarNotitas_Click()
{
    for (int k = 1; k <= kSlots; ++k)
        window(k)->hide();
    if (mCerrarNotitas_)
        mCerrarNotitas_->setVisible(false);
    if (mAbrirNotitas_)
        mAbrirNotitas_->setVisible(true);
}

void NotitaSlots::hideAll()
{
    for (const std::unique_ptr<frmNota>& notita : windows_) {
        if (notita)
            notita->hide();
    }
}
