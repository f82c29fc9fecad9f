#include "month/DayEditor.h"

#include "month/DayMarkPictures.h"
#include "month/Spinner.h"
#include "platform/Clock.h"
#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "store/domain/Day.h"
#include "store/domain/DayBook.h"
#include "store/domain/SearchPoint.h"
#include "store/domain/StoreGuard.h"
#include "store/domain/TextMerge.h"
#include "store/jet/DatePattern.h"
#include "store/jet/Val.h"
#include "widgets/Colours.h"
#include "widgets/Controls.h"
#include "widgets/NoteBox.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStringList>
#include <QTimer>

namespace {

constexpr int kClosedByDayHeight = 4020;
constexpr int kSavingHeight = 3720;
constexpr int kOpenGrid = 5775;
constexpr int kClosedByDayGrid = 3370;
constexpr int kClosedByCerrarGrid = 3350;

// The editor's controls lie on the main window's client area from this top down; they are
// placed relative to it.
constexpr int kTop = 3360;
// The note box, and under it, when the calendar's repeating events show something on the open
// day, the line that shows it.
constexpr int kNoteTop = 4260;
constexpr int kNoteHeight = 1095;
constexpr int kCalendarHeight = 240;
constexpr int kWidth = 3495;
constexpr int kHeight = 5775 - kTop;

// Controls placed straight on the editor stand where the client area's layout puts them.
template <typename W>
W* placeOnClient(W* widget, const char* name, int left, int top, int width, int height)
{
    return Controls::place(widget, name, left, top - kTop, width, height);
}

QFrame* frame(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* f = placeOnClient(new QFrame(parent), name, left, top, width, height);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

DayEditor::DayEditor(DayBook& days, SearchPoint& point, Clock& clock, MessageBoxes& boxes,
                     const StoreGuard& guard, QWidget* parent)
    : QWidget(parent), days_(days), point_(point), clock_(clock), boxes_(boxes), guard_(guard)
{
    setObjectName(QStringLiteral("DayEditor"));
    setGeometry(Twips::rect(0, kTop, kWidth, kHeight));
    // Every control of the editor is in the layouts' font.
    setFont(Fonts::sansSerif(8.25, true));

    QFrame* FrameColores = frame(this, "FrameColores", 0, 3360, 1575, 855);
    struct Option
    {
        DayColour colour;
        const char* name;
        int left, top, width, height;
        QColor text;
    };
    const Option options[] = {
        {DayColour::Azul, "SSOptionAzul1", 60, 180, 855, 255, Colours::azul()},
        {DayColour::Negro, "SSOptionNegro9", 720, 180, 795, 255, Colours::negro()},
        {DayColour::Gris, "SSOptionGris5", 60, 540, 675, 195, Colours::gris()},
        {DayColour::Verde, "SSOptionVerde13", 720, 540, 795, 195, Colours::verde()},
    };
    for (std::size_t k = 0; k < std::size(options); ++k) {
        const Option& o = options[k];
        auto* option = Controls::place(new QRadioButton(DayColours::name(o.colour), FrameColores),
                                       o.name, o.left, o.top, o.width, o.height);
        Controls::setTextColor(option, o.text);
        colourOptions_[k] = {o.colour, option};
    }
    for (const auto& [colour, option] : colourOptions_)
        connect(option, &QRadioButton::toggled, this, &DayEditor::keepOneColourStop);
    keepOneColourStop();

    SSCheckFestivo_ = placeOnClient(new QCheckBox(QStringLiteral("Festivo"), this),
                                    "SSCheckFestivo", 2520, 3450, 975, 255);
    SSCheckFestivo_->setToolTip(QStringLiteral("Marca la fecha como festivo"));
    // The alarm's frame begins under the box's lower edge: the box and its caption are drawn
    // above it.
    SSCheckFestivo_->setStyleSheet(QStringLiteral("QCheckBox { padding-bottom: 3px; }"));
    Controls::setTextColor(SSCheckFestivo_, Colours::festivo());

    lblFecha_ = placeOnClient(new QLabel(this), "lblFecha", 1620, 3480, 855, 195);
    lblFecha_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Controls::setBackground(lblFecha_, Colours::cian());

    QFrame* FrameAlarma = frame(this, "FrameAlarma", 1620, 3660, 1800, 555);
    Image1_ = Controls::place(new QLabel(FrameAlarma), "Image1", 60, 300, 435, 120);
    Image1_->setPixmap(DayMarkPictures::pixmap(
        DayMarkPictures::pictureFor(DayColour::Gris, true, false), devicePixelRatioF(), false));
    Image1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The caption lies outside the box's width: only the box shows.
    ssCheckAlarma_ = Controls::place(new QCheckBox(QStringLiteral("Check1"), FrameAlarma),
                                     "ssCheckAlarma", 240, 240, 195, 255);
    ssCheckAlarma_->setToolTip(QStringLiteral("Activa la alarma"));
    // "Label1": an empty label under the alarm box.
    Controls::place(new QLabel(FrameAlarma), "Label1", 240, 240, 135, 195)->lower();
    txtHora_ = Controls::place(new QLineEdit(FrameAlarma), "txtHora", 555, 180, 315, 300);
    txtHora_->setMaxLength(2);
    txtHora_->setToolTip(QStringLiteral("Determina hora de alarma"));
    // "Label2" and "Label3": the units after the hour and minute boxes, a little narrower than
    // the rest, so that an "m" fits the nine pixels the layout gives it.
    QFont units = font();
    units.setStretch(88);
    Controls::place(new QLabel(QStringLiteral("h"), FrameAlarma), "Label2", 900, 240, 135, 255)
        ->setFont(units);
    txtMinuto_ = Controls::place(new QLineEdit(FrameAlarma), "txtMinuto", 1080, 180, 315, 300);
    txtMinuto_->setMaxLength(2);
    txtMinuto_->setToolTip(QStringLiteral("Determina minuto de alarma"));
    Controls::place(new QLabel(QStringLiteral("m"), FrameAlarma), "Label3", 1440, 240, 135, 255)
        ->setFont(units);

    VScrollHora_ =
        Controls::place(new Spinner(23, FrameAlarma), "VScrollHora", 1620, 120, 195, 435);
    VScrollHora_->hide();
    VScrollMinuto_ =
        Controls::place(new Spinner(59, FrameAlarma), "VScrollMinuto", 1620, 120, 195, 435);
    VScrollMinuto_->hide();

    txtNota1_ =
        placeOnClient(new NoteBox(Day::kMaxNote, this), "txtNota1", 0, kNoteTop, 3435, kNoteHeight);
    txtNota1_->setToolTip(QStringLiteral("Aqui puede escribir su nota del dia"));
    // Tab goes on to the next control, as in every other box of the editor; a tab character
    // in a note is pasted, not typed.
    txtNota1_->setTabChangesFocus(true);

    // Read only, never part of the note: what another program's repeating event shows.
    lblCalendario_ = placeOnClient(new QLabel(this), "lblCalendario", 0,
                                   kNoteTop + kNoteHeight - kCalendarHeight, 3435, kCalendarHeight);
    QFont italic = lblCalendario_->font();
    italic.setItalic(true);
    lblCalendario_->setFont(italic);
    Controls::setTextColor(lblCalendario_, Colours::delCalendario());
    lblCalendario_->setAccessibleDescription(
        QStringLiteral("Evento repetido del calendario del servidor, solo lectura"));
    lblCalendario_->hide();

    auto* SScmdAplicar = placeOnClient(new QPushButton(QStringLiteral("Aplicar"), this),
                                       "SScmdAplicar", 60, 5400, 855, 375);
    SScmdAplicar->setToolTip(QStringLiteral("Guarda los cambios efectuados"));
    auto* SScmdCerrar = placeOnClient(new QPushButton(QStringLiteral("Cerrar"), this),
                                      "SScmdCerrar", 2580, 5400, 855, 375);
    SScmdCerrar->setToolTip(QStringLiteral("Cierra sin guardar modificaciones"));

    // The editor from the keyboard: the note first, then the marks, the alarm, and the buttons.
    QWidget* const order[] = {txtNota1_,
                              SSCheckFestivo_,
                              colourOptions_[0].second,
                              colourOptions_[1].second,
                              colourOptions_[2].second,
                              colourOptions_[3].second,
                              ssCheckAlarma_,
                              txtHora_,
                              txtMinuto_,
                              SScmdAplicar,
                              SScmdCerrar};
    for (std::size_t k = 0; k + 1 < std::size(order); ++k)
        setTabOrder(order[k], order[k + 1]);
    // Escape closes the open editor as "Cerrar" does, wherever the keyboard is in the window.
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setContext(Qt::WindowShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, &DayEditor::SScmdCerrar_Click);

    SSCheckFestivo_->setAccessibleName(QStringLiteral("Festivo"));
    ssCheckAlarma_->setAccessibleName(QStringLiteral("Alarma"));
    txtHora_->setAccessibleName(QStringLiteral("Hora de la alarma"));
    txtMinuto_->setAccessibleName(QStringLiteral("Minuto de la alarma"));
    VScrollHora_->setAccessibleName(QStringLiteral("Cambiar la hora de la alarma"));
    VScrollMinuto_->setAccessibleName(QStringLiteral("Cambiar el minuto de la alarma"));
    Image1_->setAccessibleName(QStringLiteral("Campana de la alarma"));
    lblFecha_->setAccessibleDescription(QStringLiteral("El día abierto"));
    txtNota1_->setAccessibleName(QStringLiteral("Nota del día"));
    FrameColores->setAccessibleName(QStringLiteral("Color del día"));
    FrameAlarma->setAccessibleName(QStringLiteral("Alarma del día"));

    connect(SScmdAplicar, &QPushButton::clicked, this, &DayEditor::SSCmdAplicar_Click);
    connect(SScmdCerrar, &QPushButton::clicked, this, &DayEditor::SScmdCerrar_Click);
    connect(txtHora_, &QLineEdit::textChanged, this, &DayEditor::txtHora_Change);
    connect(txtMinuto_, &QLineEdit::textChanged, this, &DayEditor::txtMinuto_Change);
    connect(VScrollHora_, &Spinner::valueChanged, this, &DayEditor::VScrollHora_Change);
    connect(VScrollMinuto_, &Spinner::valueChanged, this, &DayEditor::VScrollMinuto_Change);
    txtHora_->installEventFilter(this);
    txtMinuto_->installEventFilter(this);
}

bool DayEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtHora_)
            txtHora_GotFocus();
        else if (watched == txtMinuto_)
            txtMinuto_GotFocus();
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == txtHora_)
            txtHora_LostFocus();
        else if (watched == txtMinuto_)
            txtMinuto_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void DayEditor::setWindowHeight(int twips)
{
    windowHeight_ = twips;
    // Handed back before the editor goes, so that it does not land on whatever control
    // follows in the window (a move to another year, say).
    if (!isOpen() && isVisible() && FechaSeleccionada_ && isAncestorOf(QApplication::focusWidget()))
        emit keyboardReturned(*FechaSeleccionada_);
    // Out of sight while closed: not even the top edge of a frame shows under the month, and
    // the keyboard does not wander into it.
    setVisible(isOpen());
    escape_->setEnabled(isOpen());
}

void DayEditor::SScmdDia_Click(const QDate& day, bool shownHoliday, bool withMouse)
{
    if (isOpen() && FechaSeleccionada_ == day) {
        emit windowHeightRequested(kClosedByDayHeight);
        emit gridHeightRequested(kClosedByDayGrid);
    } else {
        emit windowHeightRequested(kOpenHeight);
        lblFecha_->setText(QString::number(day.day()) + QLatin1Char('/') + twoDigits(day.month()) +
                           QLatin1Char('/') + twoDigits(day.year() % 100));
        emit gridHeightRequested(kOpenGrid);
    }
    FechaSeleccionada_ = day;
    openShownHoliday_ = shownHoliday;
    if (!loadDay(day, shownHoliday))
        return;
    // What is typed after a click on a day is the day's note.
    if (isOpen() && withMouse)
        txtNota1_->setFocus(Qt::MouseFocusReason);
}

bool DayEditor::loadDay(const QDate& day, bool shownHoliday)
{
    std::optional<Day> stored;
    std::vector<CalendarOccurrence> fromCalendar;
    if (!guard_.run([&] {
            // The search goes on from the day the user opened.
            point_.placeAt(day);
            stored = days_.find(day);
            fromCalendar = days_.fromCalendar(day, day);
        }))
        return false;
    showDay(day, stored, shownHoliday);
    showFromCalendar(fromCalendar);
    return true;
}

void DayEditor::showFromCalendar(const std::vector<CalendarOccurrence>& occurrences)
{
    const bool any = !occurrences.empty();
    const QString line = CalendarOccurrence::shownTogether(occurrences);
    QStringList each;
    for (const CalendarOccurrence& occurrence : occurrences)
        each << occurrence.shown();
    // The note keeps the box's full height unless there is a line to show under it.
    txtNota1_->resize(txtNota1_->width(),
                      Twips::toPixels(any ? kNoteHeight - kCalendarHeight : kNoteHeight));
    lblCalendario_->setText(lblCalendario_->fontMetrics().elidedText(
        line.simplified(), Qt::ElideRight, lblCalendario_->width()));
    lblCalendario_->setToolTip(each.join(QLatin1Char('\n')));
    lblCalendario_->setAccessibleName(line);
    lblCalendario_->setVisible(any);
}

void DayEditor::showDay(const QDate& day, const std::optional<Day>& stored, bool shownHoliday)
{
    if (!stored) {
        showCurrentTime();
        for (const auto& [colour, option] : colourOptions_)
            option->setChecked(colour == DayColours::kNeutral);
        SSCheckFestivo_->setChecked(day.dayOfWeek() != Qt::Sunday && shownHoliday);
        ssCheckAlarma_->setChecked(false);
        showNote(QString());
        loadedState_ = editorState();
        return;
    }

    if (stored->alarmOn && stored->alarmTime)
        setHourAndMinute(stored->alarmTime->hour(), stored->alarmTime->minute());
    else
        showCurrentTime();
    SSCheckFestivo_->setChecked(stored->holiday);
    ssCheckAlarma_->setChecked(stored->alarmOn);
    showNote(stored->note);
    // A colour the program never writes leaves the previous choice.
    for (const auto& [colour, option] : colourOptions_) {
        if (stored->colour == colour)
            option->setChecked(true);
    }
    loadedState_ = editorState();
}

QString DayEditor::editorState() const
{
    return QStringList{txtNota1_->note(),
                       QString::number(SSCheckFestivo_->isChecked()),
                       QString::number(ssCheckAlarma_->isChecked()),
                       txtHora_->text(),
                       txtMinuto_->text(),
                       QString::number(selectedColour() ? int(*selectedColour()) : -1)}
        .join(QChar(0x1f));
}

void DayEditor::showStoredDay()
{
    if (!isOpen() || !FechaSeleccionada_)
        return;
    // A day the user has changed nothing of shows what another program wrote; one they are
    // editing keeps what it shows, and "Aplicar" keeps both notes. What the calendar shows
    // beside the note is nobody's edit here: it follows at once.
    if (editorState() != loadedState_) {
        std::vector<CalendarOccurrence> fromCalendar;
        if (guard_.run([&] {
                fromCalendar = days_.fromCalendar(*FechaSeleccionada_, *FechaSeleccionada_);
            }))
            showFromCalendar(fromCalendar);
        return;
    }
    loadDay(*FechaSeleccionada_, openShownHoliday_);
}

void DayEditor::showNote(const QString& note)
{
    txtNota1_->setNote(note);
    loadedNote_ = note;
    shownNote_ = txtNota1_->note();
}

void DayEditor::showCurrentTime()
{
    const QTime now = clock_.now().time();
    setHourAndMinute(now.hour(), now.minute());
}

void DayEditor::setHourAndMinute(int hour, int minute)
{
    // The boxes show two digits, and so does a spinner that rewrites its box.
    txtHora_->setText(twoDigits(hour));
    VScrollHora_->setNumber(hour);
    txtMinuto_->setText(twoDigits(minute));
    VScrollMinuto_->setNumber(minute);
}

void DayEditor::keepOneColourStop()
{
    // Tab stops once on the colours, at the chosen one (the first while none is chosen); the
    // arrows move the choice among them.
    const std::optional<DayColour> chosen = selectedColour();
    for (const auto& [colour, option] : colourOptions_) {
        const bool stop = chosen ? colour == *chosen : option == colourOptions_[0].second;
        option->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

std::optional<DayColour> DayEditor::selectedColour() const
{
    for (const auto& [colour, option] : colourOptions_) {
        if (option->isChecked())
            return colour;
    }
    return std::nullopt;
}

bool DayEditor::SSCmdAplicar_Click()
{
    if (!FechaSeleccionada_)
        return false; // no day has been opened yet: there is nothing to save
    Day day;
    day.date = *FechaSeleccionada_;
    day.holiday = SSCheckFestivo_->isChecked();
    day.alarmOn = ssCheckAlarma_->isChecked();
    if (day.alarmOn) {
        const std::optional<double> hora = DatePattern::read(
            txtHora_->text().trimmed() + QLatin1Char(':') + txtMinuto_->text().trimmed());
        if (!hora || *hora >= 1) {
            boxes_.show(QStringLiteral("La hora de la alarma no es válida.\n\nEscriba la hora "
                                       "(de 0 a 23) y los minutos (de 0 a 59), o desactive la "
                                       "alarma. No se ha guardado nada."),
                        MessageBoxes::Exclamation);
            txtHora_->setFocus();
            return false;
        }
        day.alarmTime = QTime(DatePattern::hour(*hora), DatePattern::minute(*hora));
    }
    day.note = txtNota1_->note();
    if (day.note == shownNote_)
        day.note = loadedNote_;
    day.colour = selectedColour();
    const QString opened = loadedNote_;

    emit windowHeightRequested(kSavingHeight);
    VScrollHora_->hide();
    VScrollMinuto_->hide();

    const bool written = guard_.run(
        [&] {
            point_.placeAt(day.date);
            // Another program may have written the note since the day was opened: a note the
            // user left is theirs, one the user changed keeps both.
            const std::optional<Day> now = days_.find(day.date);
            if (now && now->note != opened) {
                day.note = day.note == opened ? now->note
                                              : TextMerge::merge(opened, day.note, now->note).text;
            }
            days_.save(day);
        },
        QStringLiteral("el día %1").arg(day.date.toString(QStringLiteral("dd/MM/yyyy"))));
    if (written)
        emit saved();
    return written;
}

void DayEditor::SScmdCerrar_Click()
{
    emit windowHeightRequested(kClosedByDayHeight);
    emit gridHeightRequested(kClosedByCerrarGrid);
}

void DayEditor::keepFocusIfOutOfRange(QLineEdit* box, int highest)
{
    const double value = Val::parse(box->text());
    if (value > highest || value < 0) {
        // Deferred, so that the focus change under way finishes before it is taken back.
        QTimer::singleShot(0, box, [box] { box->setFocus(); });
    }
}

void DayEditor::txtHora_Change()
{
    keepFocusIfOutOfRange(txtHora_, 23);
}

void DayEditor::txtHora_LostFocus()
{
    keepFocusIfOutOfRange(txtHora_, 23);
}

void DayEditor::txtMinuto_Change()
{
    keepFocusIfOutOfRange(txtMinuto_, 59);
}

void DayEditor::txtMinuto_LostFocus()
{
    keepFocusIfOutOfRange(txtMinuto_, 59);
}

void DayEditor::txtHora_GotFocus()
{
    VScrollHora_->show();
    VScrollMinuto_->hide();
}

void DayEditor::txtMinuto_GotFocus()
{
    VScrollHora_->hide();
    VScrollMinuto_->show();
}

void DayEditor::VScrollHora_Change()
{
    txtHora_->setText(twoDigits(VScrollHora_->number()));
}

void DayEditor::VScrollMinuto_Change()
{
    txtMinuto_->setText(twoDigits(VScrollMinuto_->number()));
}

void DayEditor::setImageHeight(int twips)
{
    Image1_->resize(Image1_->width(), Twips::toPixels(twips));
}
