#include "shell/frmCalendar.h"

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "shell/StoreFailure.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"
#include "store/EmptyDayPruner.h"
#include "store/StoreError.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>

namespace {

// The window's frame and caption, and the menu bar, as the outer sizes of the layouts count
// them: the client area is the outer size less these.
constexpr int kFrameWidthTwips = 60;
constexpr int kFrameHeightTwips = 615;

constexpr int kNarrowWidth = 3555;

} // namespace

frmCalendar::frmCalendar(MessageBoxes& boxes, Clock& clock, const QString& folder,
                         QWidget* parent)
    : QMainWindow(parent), boxes_(boxes), clock_(clock), folder_(folder)
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(QStringLiteral("Calendario"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    buildMenus();
    applyOuterSize();
}

frmCalendar::~frmCalendar() = default;

void frmCalendar::buildMenus()
{
    QMenu* archivo = menuBar()->addMenu(QStringLiteral("Archivo"));
    archivo->setObjectName(QStringLiteral("mnuSalir"));
    mCerrarCalendario_ = archivo->addAction(QStringLiteral("Cerrar calendario"));
    mCerrarCalendario_->setObjectName(QStringLiteral("mCerrarCalendario"));
    connect(mCerrarCalendario_, &QAction::triggered, this, &frmCalendar::mCerrarCalendario_Click);
    mSalir_ = archivo->addAction(QStringLiteral("Salir"));
    mSalir_->setObjectName(QStringLiteral("mSalir"));
    connect(mSalir_, &QAction::triggered, this, &frmCalendar::mSalir_Click);
}

bool frmCalendar::Form_Load()
{
    setOuterWidth(kNarrowWidth);
    try {
        store_ = CalendarStore::open(folder_);
        EmptyDayPruner::prune(store_->rsCalendar);
        const double today = DatePattern::fromDate(clock_.now().date());
        FechaActual = DatePattern::format(today, QStringLiteral("dd/mm/yyyy"));
        dFechaActual = DatePattern::read(FechaActual).value_or(today);
    } catch (const StoreError& error) {
        store_.reset();
        boxes_.show(error.message(), MessageBoxes::Critical);
        return false;
    }
    return true;
}

void frmCalendar::Form_Unload()
{
    // Nothing is saved here: days and notitas were written as they were edited.
    emit ended(0);
    QCoreApplication::exit(0);
}

void frmCalendar::mSalir_Click()
{
    Form_Unload();
}

void frmCalendar::mCerrarCalendario_Click()
{
    hide();
}

void frmCalendar::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void frmCalendar::setOuterWidth(int twips)
{
    outerWidth_ = twips;
    applyOuterSize();
}

void frmCalendar::setOuterHeight(int twips)
{
    outerHeight_ = twips;
    applyOuterSize();
}

void frmCalendar::applyOuterSize()
{
    client_->setFixedSize(Twips::toPixels(outerWidth_ - kFrameWidthTwips),
                          Twips::toPixels(outerHeight_ - kFrameHeightTwips));
    setFixedSize(sizeHint());
}
