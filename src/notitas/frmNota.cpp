#include "notitas/frmNota.h"

#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "store/domain/NotitaBook.h"
#include "store/domain/StoreGuard.h"
#include "store/domain/TextMerge.h"
#include "widgets/NoteBox.h"
#include "widgets/Twips.h"
#include "widgets/WindowPlace.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Far beyond any desktop, yet safe to hand to the pixel conversion.
constexpr double kFarthestTwips = 1.0e7;

int pixelsOf(double twips)
{
    if (!std::isfinite(twips))
        return 0;
    return Twips::toPixels(int(std::lround(std::clamp(twips, -kFarthestTwips, kFarthestTwips))));
}

// How far a rectangle lies from an area, as the squared gap between the two.
qint64 gapBetween(const QRect& rect, const QRect& area)
{
    const qint64 dx = std::max(
        {qint64(area.left()) - rect.right(), qint64(rect.left()) - area.right(), qint64(0)});
    const qint64 dy = std::max(
        {qint64(area.top()) - rect.bottom(), qint64(rect.top()) - area.bottom(), qint64(0)});
    return dx * dx + dy * dy;
}

// Less of a window than this on a screen is no window the user can see or take hold of.
constexpr int kLeastVisible = 20;

// Where a window of rect's size lands when it is brought whole inside the nearest available
// screen area; rect itself when enough of it already shows on one of them.
QPoint reachablePlace(const QRect& rect)
{
    const QRect* nearest = nullptr;
    qint64 nearestGap = std::numeric_limits<qint64>::max();
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    for (const QRect& area : areas) {
        const QRect shown = area.intersected(rect);
        if (shown.width() >= kLeastVisible && shown.height() >= kLeastVisible)
            return rect.topLeft();
        const qint64 gap = gapBetween(rect, area);
        if (gap < nearestGap) {
            nearestGap = gap;
            nearest = &area;
        }
    }
    if (!nearest)
        return rect.topLeft(); // no screen at all: nowhere better to go
    // A window larger than the screen keeps its top-left corner, with its caption, in view.
    const int x =
        std::max(nearest->left(), std::min(rect.left(), nearest->right() + 1 - rect.width()));
    const int y =
        std::max(nearest->top(), std::min(rect.top(), nearest->bottom() + 1 - rect.height()));
    return QPoint(x, y);
}

} // namespace

frmNota::frmNota(int slot, NotitaBook& notitas, MessageBoxes& boxes, const StoreGuard& guard,
                 QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      slot_(slot), notitas_(notitas), boxes_(boxes), guard_(guard)
{
    setObjectName(QStringLiteral("frmNota%1").arg(slot_));
    setWindowTitle(QStringLiteral("Notita"));
    // A notita comes up beside the calendar without taking the keyboard from it: keys typed
    // at start-up go to today's day, not into the last notita shown. A click still gives it
    // the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);

    txtNota_ = new NoteBox(NoteBox::kNoLimit, this);
    txtNota_->setObjectName(QStringLiteral("txtNota"));
    // Its value, read aloud, is the notita's text.
    txtNota_->setAccessibleName(QStringLiteral("Notita %1").arg(slot_));
    txtNota_->setFont(Fonts::sansSerif(8.25, true));
    QPalette palette = txtNota_->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 0));
    palette.setColor(QPalette::Text, QColor(0, 0, 0));
    txtNota_->setPalette(palette);

    // The box's own menu, with the deletion the double click offers: the keyboard's menu key
    // reaches it too.
    txtNota_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtNota_, &QWidget::customContextMenuRequested, this, &frmNota::showContextMenu);

    connect(txtNota_, &QPlainTextEdit::textChanged, this, &frmNota::txtNota_Change);
    txtNota_->installEventFilter(this);
    // A double click lands on the text's viewport, not on the box around it.
    txtNota_->viewport()->installEventFilter(this);
}

frmNota::~frmNota()
{
    guard_.forget(this);
    // The text box outlives this part of the window by a moment: nothing it does while it
    // goes may reach a save.
    disconnect(txtNota_, nullptr, this, nullptr);
    txtNota_->removeEventFilter(this);
    txtNota_->viewport()->removeEventFilter(this);
}

void frmNota::Form_Load()
{
    const QRect client = Twips::rect(0, 0, kClientWidth, kClientHeight);
    setFixedSize(client.size());
    txtNota_->setGeometry(client);
}

QString frmNota::text() const
{
    return txtNota_->note();
}

void frmNota::setTextQuietly(const QString& text)
{
    quiet_ = true;
    txtNota_->setNote(text);
    quiet_ = false;
}

void frmNota::changeTextQuietly(const QString& text)
{
    quiet_ = true;
    txtNota_->changeNote(text);
    quiet_ = false;
}

void frmNota::bind(const Notita& notita)
{
    row_ = notita.row;
    restorePlace(notita.top, notita.left);
    setTextQuietly(notita.text);
    storedText_ = StoredText{notita.text, txtNota_->note()};
    lastStored_ = notita.text;
    lastShown_ = txtNota_->note();
}

void frmNota::bindNew(qint64 row, const QPoint& outerTopLeft)
{
    row_.reset();
    setTextQuietly(QString());
    storedPlace_.reset();
    storedText_.reset();
    lastStored_.reset(); // the new row holds nothing the user could lose
    lastShown_.clear();
    move(outerTopLeft);
    row_ = row;
    GuardarNotita();
}

void frmNota::takeKeyboard()
{
    // Shown without taking the keyboard, as every notita is; activated now with the time of the
    // user's last key or click (Qt's requestActivate sends it), which a window manager that
    // keeps programs from stealing the focus honours.
    raise();
    activateWindow();
    txtNota_->setFocus(Qt::OtherFocusReason);
}

void frmNota::unbind()
{
    row_.reset();
    setTextQuietly(QString());
    storedPlace_.reset();
    storedText_.reset();
    lastStored_.reset();
    lastShown_.clear();
    hide();
}

bool frmNota::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtNota_ && event->type() == QEvent::FocusOut) {
        txtNota_LostFocus();
    } else if (watched == txtNota_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        if (txtNota_DblClick())
            return true; // the text it would select is gone
    }
    return QWidget::eventFilter(watched, event);
}

void frmNota::txtNota_Change()
{
    if (!quiet_)
        GuardarNotita();
}

void frmNota::txtNota_LostFocus()
{
    GuardarNotita();
}

void frmNota::GuardarNotita()
{
    if (!row_)
        return;
    guard_.write(
        this, [this] { writeShown(); }, QStringLiteral("el texto de la notita"));
}

bool frmNota::placesKnown()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void frmNota::writeShown()
{
    if (!row_)
        return;

    // The place is kept in single precision, as it always was; a stored place still in force
    // goes back exactly as it was read.
    double top = static_cast<float>(Top());
    double left = static_cast<float>(Left());
    if (storedPlace_) {
        if (!placesKnown() || frameGeometry().topLeft() == placedAt_) {
            top = storedPlace_->y();
            left = storedPlace_->x();
        } else {
            storedPlace_.reset(); // moved: from now on the window's own place is the one kept
        }
    }
    // The text goes back as the store gave it (a Null, a CR LF) until the box shows another;
    // the box's own text would not give that form back.
    QString text = txtNota_->note();
    if (storedText_ && text != storedText_->shown)
        storedText_.reset(); // changed: from now on the box's text is the one kept
    if (storedText_) {
        if (storedPlace_)
            return; // neither changed nor moved: the row already holds all the window shows
        text = storedText_->stored;
    }

    const std::optional<Notita> stored = notitas_.read(*row_);
    if (!stored) {
        // Another program deleted the row while the window showed it: what the window shows
        // becomes a new notita.
        row_ = notitas_.add();
    } else if (lastStored_ && stored->text != *lastStored_ && stored->text != text) {
        // Another program wrote the notita since this window last did: both texts are kept.
        text = TextMerge::merge(*lastStored_, text, stored->text).text;
        changeTextQuietly(text);
        storedText_.reset();
    }
    // Where the desktop does not tell where the window is, the row keeps its place.
    if (placesKnown())
        notitas_.save(Notita{*row_, text, top, left});
    else
        notitas_.saveText(*row_, text);
    lastStored_ = text;
    lastShown_ = txtNota_->note();
}

void frmNota::showStored(const std::optional<Notita>& stored)
{
    if (!row_)
        return;
    if (!stored) {
        // Deleted by another program. The window the user is typing into stays: its next save
        // writes it again.
        if (!isActiveWindow())
            unbind();
        return;
    }
    const bool unedited = txtNota_->note() == lastShown_;
    if (lastStored_ && stored->text != *lastStored_ && unedited) {
        changeTextQuietly(stored->text);
        storedText_ = StoredText{stored->text, txtNota_->note()};
        lastStored_ = stored->text;
        lastShown_ = txtNota_->note();
    }
    // A place the user has not changed follows the row's.
    if (storedPlace_ && (stored->top != storedPlace_->y() || stored->left != storedPlace_->x()) &&
        (!placesKnown() || frameGeometry().topLeft() == placedAt_))
        restorePlace(stored->top, stored->left);
}

bool frmNota::txtNota_DblClick()
{
    const int answer =
        boxes_.show(QStringLiteral("¿Desea eliminar la notita?"),
                    MessageBoxes::OkCancel | MessageBoxes::Question | MessageBoxes::DefaultButton2,
                    QStringLiteral("Dialog"));
    if (answer != MessageBoxes::Ok || !row_)
        return false;

    bool deleted = false;
    bool empty = false;
    guard_.run([&] {
        deleted = notitas_.remove(*row_);
        empty = deleted && notitas_.count() == 0;
    });
    if (!deleted)
        return false;
    unbind();
    if (empty)
        emit becameEmpty();
    return true;
}

void frmNota::showContextMenu(const QPoint& at)
{
    QMenu* menu = txtNota_->createStandardContextMenu();
    menu->setObjectName(QStringLiteral("menuNotita"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    QAction* remove = menu->addAction(QStringLiteral("Eliminar notita"));
    remove->setObjectName(QStringLiteral("mEliminarNotita"));
    // Asked once the menu has gone, as the double click asks.
    connect(
        remove, &QAction::triggered, this, [this] { txtNota_DblClick(); }, Qt::QueuedConnection);
    menu->popup(txtNota_->viewport()->mapToGlobal(at));
}

double frmNota::Top() const
{
    return Twips::fromPixels(frameGeometry().top());
}

double frmNota::Left() const
{
    return Twips::fromPixels(frameGeometry().left());
}

QSize frmNota::outerSize() const
{
    return WindowPlace::outerSize(*this);
}

void frmNota::restorePlace(double top, double left)
{
    // A window's position counts its frame, as the stored places do.
    const QRect stored(QPoint(pixelsOf(left), pixelsOf(top)), outerSize());
    move(reachablePlace(stored));
    storedPlace_ = QPointF(left, top);
    placedAt_ = frameGeometry().topLeft();
}
