#include "shell/frmCalendar.h"

#include "listings/NotesPanel.h"
#include "listings/PeriodListings.h"
#include "listings/frmBuscar.h"
#include "listings/frmSeleccion.h"
#include "month/AlarmWatcher.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "platform/Clock.h"
#include "platform/Fonts.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "shell/ClipboardCommands.h"
#include "shell/TrayIcon.h"
#include "shell/WindowIcon.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"
#include "store/EmptyDayPruner.h"
#include "store/StoreError.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QMenuBar>
#include <QTimer>

namespace {

// The window's frame and caption, and the menu bar, as the outer sizes of the layouts count
// them: the client area is the outer size less these.
constexpr int kFrameWidthTwips = 60;
constexpr int kFrameHeightTwips = 615;

} // namespace

frmCalendar::frmCalendar(const Seams& seams, const QString& folder, QWidget* parent)
    : QMainWindow(parent), seams_(seams), folder_(folder)
{
    setObjectName(QStringLiteral("frmCalendar"));
    setWindowTitle(QStringLiteral("Calendario"));
    setWindowIcon(WindowIcon::icon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(Fonts::sansSerif(8.25, true));

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);

    month_ = new MonthView(*seams_.clock, client_, this);
    editor_ = new DayEditor(*month_, *seams_.clock, *seams_.boxes, client_, this);
    notes_ = new NotesPanel(client_, this);
    alarm_ = new AlarmWatcher(
        *seams_.clock, *seams_.sound, *seams_.boxes, [] { return QDir::currentPath(); }, this);

    connect(month_, &MonthView::windowHeightRequested, this, &frmCalendar::setOuterHeight);
    // A click on the free area of the day panel adds a notita.
    connect(month_, &MonthView::panelClicked, this, [this] {
        if (notitas_)
            notitas_->SSPanel1_Click();
    });
    connect(month_, &MonthView::gridHeightRequested, notes_, &NotesPanel::setGridHeight);
    connect(editor_, &DayEditor::windowHeightRequested, this, &frmCalendar::setOuterHeight);
    connect(editor_, &DayEditor::gridHeightRequested, notes_, &NotesPanel::setGridHeight);
    connect(this, &frmCalendar::outerHeightChanged, editor_, &DayEditor::setWindowHeight);
    // A saved day relists every note, then the month is redrawn by the editor.
    connect(editor_, &DayEditor::saved, notes_, &NotesPanel::mVerNotas_Click);
    connect(notes_, &NotesPanel::shown, this, [this] {
        setOuterWidth(kWideWidth);
        menuItem(QStringLiteral("mVerNotas"))->setVisible(false);
        menuItem(QStringLiteral("mOcultarNotas"))->setVisible(true);
    });
    connect(notes_, &NotesPanel::hidden, this, [this] {
        setOuterWidth(kNarrowWidth);
        menuItem(QStringLiteral("mVerNotas"))->setVisible(true);
        menuItem(QStringLiteral("mOcultarNotas"))->setVisible(false);
    });

    clipboard_ = new ClipboardCommands(this);
    periods_ = std::make_unique<PeriodListings>(*notes_, *seams_.printer, *seams_.boxes);
    buildMenus();
    connect(month_, &MonthView::menuCaptionsChanged, this,
            [this](const QString& monthName, const QString& year) {
                menu(QStringLiteral("mMesactual"))->setTitle(monthName);
                menu(QStringLiteral("manyoactual"))->setTitle(year);
            });

    // The alarm timer runs from the window's creation, also while the window is hidden. It
    // ticks just after each minute begins, so that an alarm sounds at its minute.
    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setSingleShot(true);
    connect(Timer1_, &QTimer::timeout, this, &frmCalendar::Timer1_Timer);
    Timer1_->start(alarm_->msToNextTick());

    trayAvailable_ = TrayIcon::desktopHasTray();
    tray_ = new TrayIcon(this);
    connect(tray_, &TrayIcon::showRequested, this, &frmCalendar::bringForward);
    connect(tray_, &TrayIcon::quitRequested, this, &frmCalendar::Form_Unload);

    applyOuterSize();
}

frmCalendar::~frmCalendar() = default;

void frmCalendar::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromUtf8(name));
        return action;
    };
    auto submenu = [](QMenu* parent, const char* name, const QString& caption) {
        QMenu* menu = parent->addMenu(caption);
        menu->setObjectName(QString::fromUtf8(name));
        menu->menuAction()->setObjectName(QString::fromUtf8(name) + QStringLiteral("_item"));
        return menu;
    };

    QMenu* archivo = menuBar()->addMenu(QStringLiteral("Archivo"));
    archivo->setObjectName(QStringLiteral("mnuSalir"));
    QAction* abrirNotitas = item(archivo, "mAbrirNotitas", QStringLiteral("Ver notitas"));
    abrirNotitas->setVisible(false);
    connect(abrirNotitas, &QAction::triggered, this, [this] {
        if (notitas_)
            notitas_->mabrirnotitas_Click();
    });
    connect(item(archivo, "mCerrarNotitas", QStringLiteral("Ocultar notitas")), &QAction::triggered,
            this, [this] {
                if (notitas_)
                    notitas_->mCerrarNotitas_Click();
            });
    QAction* ocultarNotas = item(archivo, "mOcultarNotas", QStringLiteral("Ocultar notas"));
    ocultarNotas->setVisible(false);
    connect(ocultarNotas, &QAction::triggered, this, &frmCalendar::mOcultarNotas_Click);
    connect(item(archivo, "mVerNotas", QStringLiteral("Ver notas")), &QAction::triggered, this,
            &frmCalendar::mVerNotas_Click);
    connect(item(archivo, "mCerrarCalendario", QStringLiteral("Cerrar calendario")),
            &QAction::triggered, this, &frmCalendar::mCerrarCalendario_Click);
    connect(item(archivo, "mAnyadirNotita", QStringLiteral("Añadir notita")), &QAction::triggered,
            this, [this] {
                if (notitas_)
                    notitas_->mAnyadirNotita_Click();
            });
    QMenu* seleccionar = submenu(archivo, "mSeleccionarNotas", QStringLiteral("Seleccionar notas"));
    QMenu* mes = submenu(seleccionar, "mMesactual", QStringLiteral("Mes actual"));
    // The listings cover the month and year that the grid shows now.
    connect(item(mes, "mPantallaMes", QStringLiteral("Pantalla")), &QAction::triggered, this,
            [this] { periods_->mPantallaMes_Click(month_->dFechaActual); });
    connect(item(mes, "mImpresoraMes", QStringLiteral("Impresora")), &QAction::triggered, this,
            [this] { periods_->mImpresoraMes_Click(month_->dFechaActual); });
    QMenu* anyo = submenu(seleccionar, "manyoactual", QStringLiteral("Año actual"));
    connect(item(anyo, "mPantallaAnyo", QStringLiteral("Pantalla")), &QAction::triggered, this,
            [this] { periods_->mPantallaAnyo_Click(month_->dFechaActual); });
    connect(item(anyo, "mImpresoraAnyo", QStringLiteral("Impresora")), &QAction::triggered, this,
            [this] { periods_->mImpresoraAnyo_Click(month_->dFechaActual); });
    connect(item(seleccionar, "mSelección", QStringLiteral("Selección")), &QAction::triggered, this,
            &frmCalendar::mSeleccion_Click);
    connect(item(archivo, "mSalir", QStringLiteral("Salir")), &QAction::triggered, this,
            &frmCalendar::mSalir_Click);

    QMenu* editar = menuBar()->addMenu(QStringLiteral("Editar"));
    editar->setObjectName(QStringLiteral("mnuEditar"));
    QAction* cortar = item(editar, "mCortar", QStringLiteral("Cortar"));
    cortar->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    connect(cortar, &QAction::triggered, clipboard_, &ClipboardCommands::mCortar_Click);
    QAction* copiar = item(editar, "mCopiar", QStringLiteral("Copiar"));
    copiar->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    connect(copiar, &QAction::triggered, clipboard_, &ClipboardCommands::mCopiar_Click);
    QAction* pegar = item(editar, "mPegar", QStringLiteral("Pegar"));
    pegar->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    connect(pegar, &QAction::triggered, clipboard_, &ClipboardCommands::mPegar_Click);
    connect(item(editar, "mBucar", QStringLiteral("Buscar")), &QAction::triggered, this,
            &frmCalendar::mBucar_Click);

    QMenu* ayuda = menuBar()->addMenu(QStringLiteral("Ayuda"));
    ayuda->setObjectName(QStringLiteral("mnuAyuda"));
    connect(item(ayuda, "mInstrucciones", QStringLiteral("Ayuda")), &QAction::triggered, this,
            &frmCalendar::mInstrucciones_Click);
    connect(item(ayuda, "mAcerca", QStringLiteral("Acerca de...")), &QAction::triggered, this,
            &frmCalendar::mAcerca_Click);
}

QAction* frmCalendar::menuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMenu* frmCalendar::menu(const QString& name) const
{
    return findChild<QMenu*>(name);
}

bool frmCalendar::Form_Load()
{
    setOuterWidth(kNarrowWidth);
    try {
        store_ = CalendarStore::open(folder_);
        month_->setStore(store_.get());
        editor_->setStore(store_.get());
        notes_->setStore(store_.get());
        alarm_->setStore(store_.get());
        periods_->setStore(store_.get());
        notitas_ = std::make_unique<NotitaSlots>(*store_, *seams_.boxes,
                                                 menuItem(QStringLiteral("mAbrirNotitas")),
                                                 menuItem(QStringLiteral("mCerrarNotitas")));
        notitas_->MostrarNotitas();
        EmptyDayPruner::prune(store_->rsCalendar);
        editor_->setImageHeight(150);
        month_->FechaActual = DatePattern::format(DatePattern::fromDate(seams_.clock->now().date()),
                                                  QStringLiteral("dd/mm/yyyy"));
        month_->MostrarMes();
    } catch (const StoreError& error) {
        notitas_.reset();
        month_->setStore(nullptr);
        editor_->setStore(nullptr);
        notes_->setStore(nullptr);
        alarm_->setStore(nullptr);
        periods_->setStore(nullptr);
        store_.reset();
        seams_.boxes->show(error.message(), MessageBoxes::Critical);
        return false;
    }
    return true;
}

void frmCalendar::Form_Unload()
{
    // Days and notitas were written as they were edited; only a note typed into the grid
    // and not yet written is taken now, so that nothing typed is lost.
    if (store_)
        notes_->commitPendingEdit();
    if (notitas_)
        notitas_->hideAll();
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
    if (trayAvailable_)
        tray_->show();
}

void frmCalendar::mSeleccion_Click()
{
    if (!seleccion_) {
        seleccion_ = new frmSeleccion(*notes_, *seams_.printer, *seams_.boxes, *seams_.clock, this);
        seleccion_->setObjectName(QStringLiteral("frmSeleccion"));
        seleccion_->setStore(store_.get());
    }
    seleccion_->mSeleccion_Click();
}

void frmCalendar::mBucar_Click()
{
    if (!buscar_) {
        buscar_ = new frmBuscar(store_.get(), this);
        buscar_->setObjectName(QStringLiteral("frmBuscar"));
    }
    buscar_->showAndRaise();
}

void frmCalendar::mInstrucciones_Click()
{
    if (seams_.help)
        seams_.help->showContents(QStringLiteral("Tarvelo.HLP"));
}

// There is no separate about box: the help's contents say what the program is.
void frmCalendar::mAcerca_Click()
{
    mInstrucciones_Click();
}

void frmCalendar::bringForward()
{
    tray_->hide();
    showNormal();
    raise();
    if (notitas_) {
        for (int k = 1; k <= 10; ++k) {
            if (frmNota* nota = notitas_->existingWindow(k); nota && nota->isVisible())
                nota->raise();
        }
    }
    activateWindow();
}

void frmCalendar::Timer1_Timer()
{
    alarm_->Timer1_Timer();
    Timer1_->start(alarm_->msToNextTick());
}

void frmCalendar::mVerNotas_Click()
{
    notes_->mVerNotas_Click();
}

void frmCalendar::mOcultarNotas_Click()
{
    notes_->mOcultarNotas_Click();
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
    emit outerHeightChanged(twips);
}

void frmCalendar::applyOuterSize()
{
    const int width = Twips::toPixels(outerWidth_ - kFrameWidthTwips);
    const int height = Twips::toPixels(outerHeight_ - kFrameHeightTwips);
    client_->setFixedSize(width, height);
    // The layout's own size hint lags behind until the next event; the menu bar is measured.
    const int menu = std::max(menuBar()->heightForWidth(width), menuBar()->sizeHint().height());
    setFixedSize(width, height + menu);
}
