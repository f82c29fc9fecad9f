#include "notitas/frmNota.h"

#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "store/CalendarStore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Far beyond any desktop, yet safe to hand to the pixel conversion.
constexpr double kFarthestTwips = 1.0e7;
// What a frame and caption add to the window, in pixels, as long as the window manager has
// not told yet: room enough that a window brought onto a screen shows whole there.
constexpr QSize kFrameAllowance(16, 40);

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

// Where a window of rect's size lands when it is brought inside the nearest available screen
// area; rect itself when it already shows, in part, on one of them.
QPoint reachablePlace(const QRect& rect)
{
    const QRect* nearest = nullptr;
    qint64 nearestGap = std::numeric_limits<qint64>::max();
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    for (const QRect& area : areas) {
        if (area.intersects(rect))
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

frmNota::frmNota(int slot, CalendarStore& store, MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      slot_(slot), store_(store), boxes_(boxes)
{
    setObjectName(QStringLiteral("frmNota%1").arg(slot_));
    setWindowTitle(QStringLiteral("Notita"));

    txtIndice = new QLineEdit(this);
    txtIndice->setObjectName(QStringLiteral("txtIndice"));
    txtIndice->hide();

    txtNota = new QPlainTextEdit(this);
    txtNota->setObjectName(QStringLiteral("txtNota"));
    txtNota->setFont(Fonts::sansSerif(8.25, true));
    QPalette palette = txtNota->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 0));
    palette.setColor(QPalette::Text, QColor(0, 0, 0));
    txtNota->setPalette(palette);

    connect(txtNota, &QPlainTextEdit::textChanged, this, &frmNota::txtNota_Change);
    txtNota->installEventFilter(this);
    // A double click lands on the text's viewport, not on the box around it.
    txtNota->viewport()->installEventFilter(this);
}

frmNota::~frmNota()
{
    // The text box outlives this part of the window by a moment: nothing it does while it
    // goes may reach a save.
    disconnect(txtNota, nullptr, this, nullptr);
    txtNota->removeEventFilter(this);
    txtNota->viewport()->removeEventFilter(this);
}

void frmNota::Form_Load()
{
    const QRect client = Twips::rect(0, 0, kClientWidth, kClientHeight);
    setFixedSize(client.size());
    txtNota->setGeometry(client);
}

bool frmNota::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtNota && event->type() == QEvent::FocusOut) {
        txtNota_LostFocus();
    } else if (watched == txtNota->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        if (txtNota_DblClick())
            return true; // the text it would select is gone
    }
    return QWidget::eventFilter(watched, event);
}

void frmNota::txtNota_Change()
{
    GuardarNotita();
}

void frmNota::txtNota_LostFocus()
{
    GuardarNotita();
}

int frmNota::ContarNotitas(CalendarStore& store)
{
    TableCursor& rsNota = store.rsNota;
    rsNota.moveFirst();
    if (rsNota.eof())
        return 0;
    int n = 0;
    while (!rsNota.eof()) {
        n = std::min(n + 1, kMaxCount);
        rsNota.moveNext();
    }
    return n;
}

int frmNota::ContarNotitas() const
{
    return ContarNotitas(store_);
}

std::optional<double> frmNota::boundIndice() const
{
    bool numeric = false;
    const double bound = txtIndice->text().trimmed().toDouble(&numeric);
    return numeric ? std::optional<double>(bound) : std::nullopt;
}

bool frmNota::matches(const QVariant& indice, std::optional<double> bound)
{
    return bound && !indice.isNull() && indice.toDouble() == *bound;
}

void frmNota::GuardarNotita()
{
    if (ContarNotitas() == 0)
        return;

    // The place is kept in single precision, as it always was; a stored place still in force
    // goes back exactly as it was read.
    double top = static_cast<float>(Top());
    double left = static_cast<float>(Left());
    if (storedPlace_) {
        if (frameGeometry().topLeft() == placedAt_) {
            top = storedPlace_->y();
            left = storedPlace_->x();
        } else {
            storedPlace_.reset(); // moved: from now on the window's own place is the one kept
        }
    }

    TableCursor& rsNota = store_.rsNota;
    const QString text = txtNota->toPlainText();
    const std::optional<double> bound = boundIndice();
    rsNota.moveFirst();
    while (!rsNota.eof()) {
        if (matches(rsNota.value(QStringLiteral("indice")), bound)) {
            rsNota.edit();
            rsNota.setValue(QStringLiteral("nota"), text);
            rsNota.setValue(QStringLiteral("Top"), top);
            rsNota.setValue(QStringLiteral("Left"), left);
            rsNota.update();
        }
        rsNota.moveNext();
    }
}

bool frmNota::txtNota_DblClick()
{
    const int answer =
        boxes_.show(QStringLiteral("¿Desea eliminar la notita?"),
                    MessageBoxes::OkCancel | MessageBoxes::Question | MessageBoxes::DefaultButton2,
                    QStringLiteral("Dialog"));
    if (answer != MessageBoxes::Ok)
        return false;

    TableCursor& rsNota = store_.rsNota;
    const std::optional<double> bound = boundIndice();
    rsNota.moveFirst();
    while (!rsNota.eof()) {
        if (matches(rsNota.value(QStringLiteral("indice")), bound)) {
            rsNota.deleteCurrent();
            txtNota->setPlainText(QString()); // its save finds the row gone
            txtIndice->setText(QString());
            storedPlace_.reset();
            hide();
            if (ContarNotitas() == 0)
                emit becameEmpty();
            return true;
        }
        rsNota.moveNext();
    }
    return false;
}

double frmNota::Top() const
{
    return Twips::fromPixels(frameGeometry().top());
}

double frmNota::Left() const
{
    return Twips::fromPixels(frameGeometry().left());
}

void frmNota::setTop(double twips)
{
    storedPlace_.reset();
    move(frameGeometry().left(), pixelsOf(twips));
}

void frmNota::setLeft(double twips)
{
    storedPlace_.reset();
    move(pixelsOf(twips), frameGeometry().top());
}

void frmNota::restorePlace(double top, double left)
{
    // A window's position counts its frame, as the stored places do.
    QSize outer = frameGeometry().size();
    if (outer == size())
        outer += kFrameAllowance;
    const QRect stored(QPoint(pixelsOf(left), pixelsOf(top)), outer);
    move(reachablePlace(stored));
    storedPlace_ = QPointF(left, top);
    placedAt_ = frameGeometry().topLeft();
}
