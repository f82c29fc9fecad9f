#include "shell/frmCalendar.h"

#include "access/ui/OlderCalendarCommand.h"
#include "ical/ui/IcalCommands.h"
#include "listings/NotesPanel.h"
#include "listings/PeriodListings.h"
#include "listings/frmBuscar.h"
#include "listings/frmSeleccion.h"
#include "month/AlarmWatcher.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "notitas/NotitaSlots.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/FontCatalogue.h"
#include "platform/Fonts.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBoxes.h"
#include "shell/ClipboardCommands.h"
#include "shell/StoreBusyNotice.h"
#include "shell/SyncSchedule.h"
#include "shell/TrayIcon.h"
#include "shell/WindowIcon.h"
#include "store/CalendarStore.h"
#include "store/domain/StoreGuard.h"
#include "widgets/MnemonicStyle.h"
#include "widgets/Twips.h"
#include "widgets/WindowPlace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

namespace {

// The window's frame and caption, and the menu bar, as the outer sizes of the layouts count
// them: the client area is the outer size less these.
constexpr int kFrameWidthTwips = 60;
constexpr int kFrameHeightTwips = 615;
// Step 5 of start-up: the bell beside the alarm box shows as a strip this high.
constexpr int kBellHeight = 150;

// Menus are top-level windows of their own: they take the menu bar's font explicitly.
QMenu* styled(QMenu* menu)
{
    menu->setFont(Fonts::sansSerif(8.25, true));
    return menu;
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    return action;
}

QMenu* addSubmenu(QMenu* parent, const char* name, const QString& caption)
{
    QMenu* menu = styled(parent->addMenu(caption));
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name) + QStringLiteral("_item"));
    return menu;
}

} // namespace

frmCalendar::frmCalendar(CalendarStore& store, const Seams& seams, const StoreGuard& guard,
                         QWidget* parent)
    : QMainWindow(parent), store_(store), seams_(seams), guard_(guard)
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

    // The month is what the first frame shows. The day editor and the notes list are out of
    // sight until a day is opened or a listing runs, and are made then (dayEditor(),
    // notesPanel()); where they touch, the notes list lies over the editor and both over the
    // month.
    month_ = new MonthView(store_.days(), store_.searchPoint(), *seams_.clock, guard_, client_);
    alarm_ = new AlarmWatcher(
        store_.days(), *seams_.clock, *seams_.sound, *seams_.boxes, guard_,
        [] { return QDir::currentPath(); }, this);
    notitas_ = new NotitaSlots(
        store_.notitas(), *seams_.boxes, guard_, [this] { return frameGeometry(); }, this);
    notitas_->setObjectName(QStringLiteral("notitas"));
    clipboard_ = new ClipboardCommands(this);

    // The alarm timer runs from the window's creation, also while the window is hidden. It
    // ticks just after each minute begins, so that an alarm sounds at its minute.
    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setSingleShot(true);

    outsideWrites_ = new QTimer(this);
    outsideWrites_->setObjectName(QStringLiteral("outsideWrites"));
    outsideWrites_->setInterval(kOutsideWritesMs);
    busy_ = new StoreBusyNotice(store_.database().path(), this);

    buildMenus();
    wire();
    setInitialState();
}

frmCalendar::~frmCalendar() = default;

void frmCalendar::buildMenus()
{
    // The underlined letters open the menus and their items from the keyboard with Alt; a
    // menu pair shares its letter, as only one of the two shows at a time.
    menuBar()->setFont(Fonts::sansSerif(8.25, true));
    QMenu* archivo = styled(menuBar()->addMenu(QStringLiteral("&Archivo")));
    archivo->setObjectName(QStringLiteral("mnuSalir"));
    mAbrirNotitas_ = addItem(archivo, "mAbrirNotitas", QStringLiteral("Ver no&titas"));
    connect(mAbrirNotitas_, &QAction::triggered, notitas_, &NotitaSlots::mabrirnotitas_Click);
    mCerrarNotitas_ = addItem(archivo, "mCerrarNotitas", QStringLiteral("Ocultar no&titas"));
    connect(mCerrarNotitas_, &QAction::triggered, notitas_, &NotitaSlots::mCerrarNotitas_Click);
    mOcultarNotas_ = addItem(archivo, "mOcultarNotas", QStringLiteral("Ocultar &notas"));
    connect(mOcultarNotas_, &QAction::triggered, this, &frmCalendar::mOcultarNotas_Click);
    mVerNotas_ = addItem(archivo, "mVerNotas", QStringLiteral("Ver &notas"));
    connect(mVerNotas_, &QAction::triggered, this, &frmCalendar::mVerNotas_Click);
    connect(addItem(archivo, "mCerrarCalendario", QStringLiteral("&Cerrar calendario")),
            &QAction::triggered, this, &frmCalendar::mCerrarCalendario_Click);
    connect(addItem(archivo, "mAnyadirNotita", QStringLiteral("&Añadir notita")),
            &QAction::triggered, notitas_, &NotitaSlots::mAnyadirNotita_Click);

    QMenu* seleccionar =
        addSubmenu(archivo, "mSeleccionarNotas", QStringLiteral("&Seleccionar notas"));
    // The listings cover the month and year that the grid shows now.
    mMesactual_ = addSubmenu(seleccionar, "mMesactual", QStringLiteral("&Mes actual"));
    connect(addItem(mMesactual_, "mPantallaMes", QStringLiteral("&Pantalla")), &QAction::triggered,
            this, [this] { periodListings()->mPantallaMes_Click(month_->dFechaActual()); });
    connect(addItem(mMesactual_, "mImpresoraMes", QStringLiteral("&Impresora")),
            &QAction::triggered, this,
            [this] { periodListings()->mImpresoraMes_Click(month_->dFechaActual()); });
    manyoactual_ = addSubmenu(seleccionar, "manyoactual", QStringLiteral("&Año actual"));
    connect(addItem(manyoactual_, "mPantallaAnyo", QStringLiteral("&Pantalla")),
            &QAction::triggered, this,
            [this] { periodListings()->mPantallaAnyo_Click(month_->dFechaActual()); });
    connect(addItem(manyoactual_, "mImpresoraAnyo", QStringLiteral("&Impresora")),
            &QAction::triggered, this,
            [this] { periodListings()->mImpresoraAnyo_Click(month_->dFechaActual()); });
    connect(addItem(seleccionar, "mSelección", QStringLiteral("Se&lección")), &QAction::triggered,
            this, &frmCalendar::mSeleccion_Click);
    // The exchange with other calendars, a group of its own.
    archivo->addSeparator();
    connect(addItem(archivo, "mExportarICalendar", QStringLiteral("&Exportar a iCalendar…")),
            &QAction::triggered, this, &frmCalendar::mExportarICalendar_Click);
    connect(addItem(archivo, "mImportarICalendar", QStringLiteral("&Importar de iCalendar…")),
            &QAction::triggered, this, &frmCalendar::mImportarICalendar_Click);
    connect(addItem(archivo, "mTraerAnterior",
                    QStringLiteral("Traer el calendario de la &versión anterior…")),
            &QAction::triggered, this, &frmCalendar::mTraerAnterior_Click);
    connect(addItem(archivo, "mServidorCalendarios", QStringLiteral("Servi&dor de calendarios…")),
            &QAction::triggered, this, &frmCalendar::mServidorCalendarios_Click);
    mSincronizarAhora_ =
        addItem(archivo, "mSincronizarAhora", QStringLiteral("Sinc&ronizar ahora"));
    connect(mSincronizarAhora_, &QAction::triggered, this, &frmCalendar::mSincronizarAhora_Click);

    QMenu* editar = styled(menuBar()->addMenu(QStringLiteral("&Editar")));
    editar->setObjectName(QStringLiteral("mnuEditar"));
    QAction* cortar = addItem(editar, "mCortar", QStringLiteral("Cor&tar"));
    cortar->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    connect(cortar, &QAction::triggered, clipboard_, &ClipboardCommands::mCortar_Click);
    QAction* copiar = addItem(editar, "mCopiar", QStringLiteral("&Copiar"));
    copiar->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    connect(copiar, &QAction::triggered, clipboard_, &ClipboardCommands::mCopiar_Click);
    QAction* pegar = addItem(editar, "mPegar", QStringLiteral("&Pegar"));
    pegar->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    connect(pegar, &QAction::triggered, clipboard_, &ClipboardCommands::mPegar_Click);
    connect(addItem(editar, "mBucar", QStringLiteral("&Buscar")), &QAction::triggered, this,
            &frmCalendar::mBucar_Click);

    // "Salir" ends the menu, after every other group, as on other desktop programs.
    archivo->addSeparator();
    connect(addItem(archivo, "mSalir", QStringLiteral("Sa&lir")), &QAction::triggered, this,
            &frmCalendar::mSalir_Click);

    QMenu* ayuda = styled(menuBar()->addMenu(QStringLiteral("A&yuda")));
    ayuda->setObjectName(QStringLiteral("mnuAyuda"));
    connect(addItem(ayuda, "mInstrucciones", QStringLiteral("A&yuda")), &QAction::triggered, this,
            &frmCalendar::mInstrucciones_Click);
    connect(addItem(ayuda, "mAcerca", QStringLiteral("&Acerca de...")), &QAction::triggered, this,
            &frmCalendar::mAcerca_Click);
}

void frmCalendar::wire()
{
    connect(month_, &MonthView::windowHeightRequested, this, &frmCalendar::setOuterHeight);
    connect(month_, &MonthView::gridHeightRequested, this, &frmCalendar::setGridHeight);
    connect(month_, &MonthView::menuCaptionsChanged, this,
            [this](const QString& monthName, const QString& year) {
                mMesactual_->setTitle(QLatin1Char('&') + monthName);
                manyoactual_->setTitle(QLatin1Char('&') + year);
            });
    connect(month_, &MonthView::dayClicked, this,
            [this](const QDate& day, bool shownHoliday, bool withMouse) {
                dayEditor()->SScmdDia_Click(day, shownHoliday, withMouse);
            });
    // A click on the free area of the day panel adds a notita.
    connect(month_, &MonthView::panelClicked, notitas_, &NotitaSlots::SSPanel1_Click);

    connect(Timer1_, &QTimer::timeout, this, &frmCalendar::Timer1_Timer);

    // Other programs' writes are looked for now and then, and whenever the user comes back to
    // one of the windows; what they changed is shown.
    connect(outsideWrites_, &QTimer::timeout, this, &frmCalendar::lookForOutsideWrites);
    connect(&store_.outsideWrites(), &OutsideWrites::changed, this, &frmCalendar::showStoreChanges);

    connect(notitas_, &NotitaSlots::notitasShown, this, [this] {
        mCerrarNotitas_->setVisible(true);
        mAbrirNotitas_->setVisible(false);
    });
    connect(notitas_, &NotitaSlots::notitasHidden, this, [this] {
        mCerrarNotitas_->setVisible(false);
        mAbrirNotitas_->setVisible(true);
    });
    connect(notitas_, &NotitaSlots::tableEmptied, mCerrarNotitas_,
            [this] { mCerrarNotitas_->setEnabled(false); });
    connect(notitas_, &NotitaSlots::notitaAdded, mCerrarNotitas_,
            [this] { mCerrarNotitas_->setEnabled(true); });

    // F10 opens the first menu, as on other desktop programs.
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this, [this] {
        if (auto* style = qobject_cast<MnemonicStyle*>(QApplication::style()))
            style->menuOpenedFromKeyboard();
        menuBar()->setActiveAction(menuBar()->actions().value(0));
    });
}

void frmCalendar::setInitialState()
{
    mAbrirNotitas_->setVisible(false);
    mCerrarNotitas_->setVisible(true);
    mOcultarNotas_->setVisible(false);
    mVerNotas_->setVisible(true);
    Timer1_->start(alarm_->msToNextTick());
    // The first text measured: the fonts must have been looked up by then.
    FontCatalogue::awaitRead();
    applyOuterSize();
}

bool frmCalendar::Form_Load()
{
    setOuterWidth(kNarrowWidth);
    const QDate today = seams_.clock->now().date();
    month_->setFechaActual(today);
    month_->MostrarMes();
    if (guard_.failed())
        return false;
    // The window first, and at once the notitas: they come up together, and the window does
    // not wait for the notitas' ten windows to be made: the window system is handed the window,
    // and the month is drawn, before they are.
    show();
    QGuiApplication::sync();
    notitas_->MostrarNotitas();
    // The keyboard starts on today, not on the year back, nor in a notita.
    activateWindow();
    month_->focusDay(today);
    // Other programs' writes are looked for from now on, when the store is known to be open.
    outsideWrites_->start();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window)
            lookForOutsideWrites();
    });
    // The first sync once the window is up, never before.
    if (schedule_)
        schedule_->start();
    // A store made new for this start offers, once, to bring the older calendar over: asked
    // over the window, once it is up.
    QTimer::singleShot(0, this, [this] {
        if (OlderCalendarCommand* command = olderCalendar())
            command->offerOnFirstStart();
    });
    return !guard_.failed();
}

void frmCalendar::Form_Unload()
{
    // Days and notitas were written as they were edited; only a note typed into the notes
    // list and not yet written is taken now, so that nothing typed is lost.
    if (notes_)
        notes_->commitPendingEdit();
    notitas_->hideAll();
    // What another program's lock held back is written now, waiting for the lock as a save
    // does; what still cannot be written is told (and the program ends as after a failure).
    if (!guard_.flush())
        return;
    emit ended(0);
    QCoreApplication::exit(0);
}

void frmCalendar::setSyncSchedule(SyncSchedule* schedule)
{
    schedule_ = schedule;
    connect(schedule_, &SyncSchedule::stateChanged, this, &frmCalendar::showSyncState);
    showSyncState(schedule_->state());
}

void frmCalendar::lookForOutsideWrites()
{
    guard_.run([this] { store_.outsideWrites().check(); });
}

void frmCalendar::showStoreChanges(const StoreChanges& changes)
{
    if (changes.days) {
        month_->showStoredDays();
        if (editor_)
            editor_->showStoredDay();
        if (notes_)
            notes_->showStoredNotes();
    }
    if (changes.notitas)
        notitas_->showStoredNotitas();
}

void frmCalendar::storeBusy(const std::optional<QString>& holder, const QString& unsaved, bool kept)
{
    busy_->tell(holder, unsaved, kept);
}

NotesPanel* frmCalendar::notesPanel()
{
    if (notes_)
        return notes_;
    notes_ = new NotesPanel(store_, guard_, client_);
    notes_->raise(); // over the month and the editor where they touch
    notes_->hide();
    notes_->setGridHeight(gridHeight_);
    // The notes list is only there while the window is wide: even its edge never shows beside
    // the calendar, and the keyboard never reaches it while it is out of sight.
    connect(notes_, &NotesPanel::shown, this, [this] {
        notes_->show();
        setOuterWidth(kWideWidth);
        mVerNotas_->setVisible(false);
        mOcultarNotas_->setVisible(true);
    });
    connect(notes_, &NotesPanel::hidden, this, [this] {
        notes_->hide();
        setOuterWidth(kNarrowWidth);
        mVerNotas_->setVisible(true);
        mOcultarNotas_->setVisible(false);
    });
    return notes_;
}

PeriodListings* frmCalendar::periodListings()
{
    if (!periods_)
        periods_ = std::make_unique<PeriodListings>(*notesPanel(), *seams_.printer, *seams_.boxes);
    return periods_.get();
}

void frmCalendar::setGridHeight(int twips)
{
    gridHeight_ = twips;
    if (notes_)
        notes_->setGridHeight(twips);
}

DayEditor* frmCalendar::dayEditor()
{
    if (editor_)
        return editor_;
    editor_ = new DayEditor(store_.days(), store_.searchPoint(), *seams_.clock, *seams_.boxes,
                            guard_, client_);
    if (notes_)
        editor_->stackUnder(notes_);
    editor_->setImageHeight(kBellHeight);
    editor_->setWindowHeight(outerHeight_);
    connect(editor_, &DayEditor::windowHeightRequested, this, &frmCalendar::setOuterHeight);
    connect(editor_, &DayEditor::gridHeightRequested, this, &frmCalendar::setGridHeight);
    connect(this, &frmCalendar::outerHeightChanged, editor_, &DayEditor::setWindowHeight);
    connect(editor_, &DayEditor::keyboardReturned, month_, &MonthView::focusDay);
    // A saved day lists every note, then the month is drawn again: in this order.
    connect(editor_, &DayEditor::saved, this, [this] { notesPanel()->mVerNotas_Click(); });
    connect(editor_, &DayEditor::saved, month_, &MonthView::MostrarMes);
    return editor_;
}

void frmCalendar::mSalir_Click()
{
    Form_Unload();
}

TrayIcon* frmCalendar::trayIcon()
{
    if (!tray_) {
        tray_ = new TrayIcon(this);
        tray_->setObjectName(QStringLiteral("TrayIcon"));
        connect(tray_, &TrayIcon::showRequested, this, &frmCalendar::bringForward);
        connect(tray_, &TrayIcon::quitRequested, this, &frmCalendar::Form_Unload);
        if (schedule_)
            showSyncState(schedule_->state());
    }
    return tray_;
}

void frmCalendar::mCerrarCalendario_Click()
{
    if (isVisible())
        closedAt_ = geometry().topLeft();
    hide();
    if (!trayAvailable_)
        trayAvailable_ = TrayIcon::desktopHasTray();
    if (*trayAvailable_)
        trayIcon()->show();
}

void frmCalendar::mSeleccion_Click()
{
    if (!seleccion_) {
        seleccion_ = new frmSeleccion(*notesPanel(), store_.searchPoint(), *seams_.printer,
                                      *seams_.boxes, *seams_.clock, guard_, this);
    }
    // Opened beside the calendar; a window already open stays where the user left it.
    if (!seleccion_->isVisible())
        WindowPlace::moveBeside(*seleccion_, frameGeometry(), {buscar_});
    seleccion_->mSeleccion_Click();
}

void frmCalendar::mBucar_Click()
{
    if (!buscar_)
        buscar_ = new frmBuscar(store_.searchPoint(), guard_, this);
    if (!buscar_->isVisible())
        WindowPlace::moveBeside(*buscar_, frameGeometry(), {seleccion_});
    buscar_->showAndRaise();
}

void frmCalendar::mInstrucciones_Click()
{
    if (seams_.help)
        seams_.help->showContents(QStringLiteral("Tarvelo.HLP"), frameGeometry());
}

// There is no separate about box: the help's contents say what the program is.
void frmCalendar::mAcerca_Click()
{
    mInstrucciones_Click();
}

IcalCommands* frmCalendar::icalCommands()
{
    if (!ical_ && seams_.files) {
        ical_ = new IcalCommands(store_, guard_, *seams_.boxes, *seams_.files, this);
        // The days changed under the month and the notes list: both are drawn again.
        connect(ical_, &IcalCommands::daysChanged, this, [this] {
            month_->MostrarMes();
            if (notes_)
                notes_->refresh();
        });
    }
    return ical_;
}

void frmCalendar::mExportarICalendar_Click()
{
    if (IcalCommands* commands = icalCommands())
        commands->exportCalendar();
}

void frmCalendar::mImportarICalendar_Click()
{
    // Recurring events start from the year the calendar shows.
    if (IcalCommands* commands = icalCommands())
        commands->importCalendar(month_->dFechaActual().year());
}

OlderCalendarCommand* frmCalendar::olderCalendar()
{
    if (!older_ && seams_.files)
        older_ = new OlderCalendarCommand(store_, guard_, *seams_.boxes, *seams_.files, this);
    return older_;
}

void frmCalendar::mTraerAnterior_Click()
{
    if (OlderCalendarCommand* command = olderCalendar())
        command->bringOver();
}

void frmCalendar::mServidorCalendarios_Click()
{
    if (schedule_)
        schedule_->setUpServer();
}

void frmCalendar::mSincronizarAhora_Click()
{
    if (schedule_)
        schedule_->syncNow();
}

void frmCalendar::showSyncState(const SyncState& state)
{
    const QString brief = state.brief();
    const QString caption = QStringLiteral("Sinc&ronizar ahora");
    mSincronizarAhora_->setText(brief.isEmpty() ? caption : caption + u'\t' + brief);
    mSincronizarAhora_->setStatusTip(state.line());
    mSincronizarAhora_->setToolTip(state.line());
    if (tray_)
        tray_->setStatus(state.kind == SyncState::Kind::NoServer ? QString() : state.line());
}

void frmCalendar::bringForward()
{
    if (tray_)
        tray_->hide();
    // Asked of the window system itself: a move to where the widget already stands would change
    // nothing, and the window manager would place the window as a new one.
    if (isHidden() && closedAt_ && windowHandle())
        windowHandle()->setPosition(*closedAt_);
    closedAt_.reset();
    showNormal();
    raise();
    notitas_->raiseShown();
    activateWindow();
}

void frmCalendar::Timer1_Timer()
{
    alarm_->Timer1_Timer();
    Timer1_->start(alarm_->msToNextTick());
}

void frmCalendar::mVerNotas_Click()
{
    notesPanel()->mVerNotas_Click();
}

void frmCalendar::mOcultarNotas_Click()
{
    notesPanel()->mOcultarNotas_Click();
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
