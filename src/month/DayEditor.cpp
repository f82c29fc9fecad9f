#include "month/DayEditor.h"

#include "month/DayButton.h"
#include "month/DayMarkPictures.h"
#include "month/MonthView.h"
#include "month/Spinner.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"
#include "store/Val.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

namespace {

constexpr int kClosedByDayHeight = 4020;
constexpr int kSavingHeight = 3720;
constexpr int kOpenGrid = 5775;
constexpr int kClosedByDayGrid = 3370;
constexpr int kClosedByCerrarGrid = 3350;

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    Controls::place(widget, name, left, top, width, height);
    widget->setFont(Fonts::sansSerif(8.25, true));
    return widget;
}

QFrame* frame(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* f = place(new QFrame(parent), name, left, top, width, height);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

} // namespace

DayEditor::DayEditor(MonthView& month, Clock& clock, MessageBoxes& boxes, QWidget* client,
                     QObject* parent)
    : QObject(parent), month_(month), clock_(clock), boxes_(boxes)
{
    FrameColores = frame(client, "FrameColores", 0, 3360, 1575, 855);
    SSOptionAzul1 = place(new QRadioButton(QStringLiteral("Azul"), FrameColores), "SSOptionAzul1",
                          60, 180, 855, 255);
    Controls::setTextColor(SSOptionAzul1, QColor(0, 0, 255));
    SSOptionNegro9 = place(new QRadioButton(QStringLiteral("Negro"), FrameColores),
                           "SSOptionNegro9", 720, 180, 795, 255);
    Controls::setTextColor(SSOptionNegro9, QColor(0, 0, 0));
    SSOptionGris5 = place(new QRadioButton(QStringLiteral("Gris"), FrameColores), "SSOptionGris5",
                          60, 540, 675, 195);
    Controls::setTextColor(SSOptionGris5, QColor(128, 128, 128));
    SSOptionVerde13 = place(new QRadioButton(QStringLiteral("Verde"), FrameColores),
                            "SSOptionVerde13", 720, 540, 795, 195);
    Controls::setTextColor(SSOptionVerde13, QColor(0, 192, 0));

    SSCheckFestivo = place(new QCheckBox(QStringLiteral("Festivo"), client), "SSCheckFestivo", 2520,
                           3450, 975, 255);
    SSCheckFestivo->setToolTip(QStringLiteral("Marca la fecha como festivo"));
    Controls::setTextColor(SSCheckFestivo, QColor(255, 0, 0));

    lblFecha = place(new QLabel(client), "lblFecha", 1620, 3480, 855, 195);
    lblFecha->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Controls::setBackground(lblFecha, QColor(0, 255, 255));

    FrameAlarma = frame(client, "FrameAlarma", 1620, 3660, 1800, 555);
    Image1 = place(new QLabel(FrameAlarma), "Image1", 60, 300, 435, 120);
    Image1->setPixmap(DayMarkPictures::pixmap(6, client->devicePixelRatioF(), false));
    Image1->setScaledContents(false);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ssCheckAlarma = place(new QCheckBox(QStringLiteral("Check1"), FrameAlarma), "ssCheckAlarma",
                          240, 240, 195, 255);
    ssCheckAlarma->setToolTip(QStringLiteral("Activa la alarma"));
    Label1 = place(new QLabel(FrameAlarma), "Label1", 240, 240, 135, 195);
    Label1->lower();
    txtHora = place(new QLineEdit(FrameAlarma), "txtHora", 555, 180, 315, 300);
    txtHora->setMaxLength(2);
    txtHora->setToolTip(QStringLiteral("Determina hora de alarma"));
    Label2 = place(new QLabel(QStringLiteral("h"), FrameAlarma), "Label2", 900, 240, 135, 255);
    txtMinuto = place(new QLineEdit(FrameAlarma), "txtMinuto", 1080, 180, 315, 300);
    txtMinuto->setMaxLength(2);
    txtMinuto->setToolTip(QStringLiteral("Determina minuto de alarma"));
    Label3 = place(new QLabel(QStringLiteral("m"), FrameAlarma), "Label3", 1440, 240, 135, 255);

    VScrollHora = place(new Spinner(23, FrameAlarma), "VScrollHora", 1620, 120, 195, 435);
    VScrollHora->hide();
    VScrollMinuto = place(new Spinner(59, FrameAlarma), "VScrollMinuto", 1620, 120, 195, 435);
    VScrollMinuto->hide();

    txtNota1 = place(new QPlainTextEdit(client), "txtNota1", 0, 4260, 3435, 1095);
    txtNota1->setToolTip(QStringLiteral("Aqui puede escribir su nota del dia"));

    SScmdAplicar = place(new QPushButton(QStringLiteral("Aplicar"), client), "SScmdAplicar", 60,
                         5400, 855, 375);
    SScmdAplicar->setToolTip(QStringLiteral("Guarda los cambios efectuados"));
    SScmdCerrar = place(new QPushButton(QStringLiteral("Cerrar"), client), "SScmdCerrar", 2580,
                        5400, 855, 375);
    SScmdCerrar->setToolTip(QStringLiteral("Cierra sin guardar modificaciones"));

    connect(&month_, &MonthView::dayClicked, this, &DayEditor::SScmdDia_Click);
    connect(SScmdAplicar, &QPushButton::clicked, this, &DayEditor::SSCmdAplicar_Click);
    connect(SScmdCerrar, &QPushButton::clicked, this, &DayEditor::SScmdCerrar_Click);
    connect(txtHora, &QLineEdit::textChanged, this, &DayEditor::txtHora_Change);
    connect(txtMinuto, &QLineEdit::textChanged, this, &DayEditor::txtMinuto_Change);
    connect(VScrollHora, &QScrollBar::valueChanged, this, &DayEditor::VScrollHora_Change);
    connect(VScrollMinuto, &QScrollBar::valueChanged, this, &DayEditor::VScrollMinuto_Change);
    txtHora->installEventFilter(this);
    txtMinuto->installEventFilter(this);
    // The note box holds what a day's note can hold; longer text (a paste) is cut there.
    connect(txtNota1, &QPlainTextEdit::textChanged, this, [this] {
        if (txtNota1->toPlainText().size() <= kMaxNote)
            return;
        QTextCursor cursor = txtNota1->textCursor();
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, kMaxNote);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        txtNota1->setTextCursor(cursor);
    });
}

bool DayEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtHora)
            txtHora_GotFocus();
        else if (watched == txtMinuto)
            txtMinuto_GotFocus();
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == txtHora)
            txtHora_LostFocus();
        else if (watched == txtMinuto)
            txtMinuto_LostFocus();
    }
    return QObject::eventFilter(watched, event);
}

void DayEditor::SScmdDia_Click(int index)
{
    const DayButton* button = month_.SScmdDia(index);
    const QString caption = button->text();
    if (caption.isEmpty())
        return; // a blank button before the month's first day

    const QString key = caption + QLatin1Char('/') +
                        DatePattern::format(month_.dFechaActual, QStringLiteral("mmmm/yyyy"));
    if (windowHeight_ == kOpenHeight && key == FechaSeleccionada) {
        emit windowHeightRequested(kClosedByDayHeight);
        emit gridHeightRequested(kClosedByDayGrid);
    } else {
        emit windowHeightRequested(kOpenHeight);
        lblFecha->setText(caption + QLatin1Char('/') +
                          DatePattern::format(month_.dFechaActual, QStringLiteral("mm/yy")));
        emit gridHeightRequested(kOpenGrid);
    }
    FechaSeleccionada = key;

    // The day is found by its full date, so that every year keeps its own rows.
    const double day = DatePattern::read(FechaSeleccionada).value_or(0);
    TableCursor& rsCalendar = store_->rsCalendar;
    rsCalendar.seek(day);
    if (rsCalendar.noMatch()) {
        showCurrentTime();
        SSOptionGris5->setChecked(true);
        const bool sunday = DatePattern::format(day, QStringLiteral("ddd")) == QLatin1String("dom");
        SSCheckFestivo->setChecked(!sunday && button->backColor() == QColor(255, 0, 0));
        ssCheckAlarma->setChecked(false);
        txtNota1->setPlainText(QString());
        return;
    }

    const QVariant alarma = rsCalendar.value(QStringLiteral("alarma"));
    const QVariant hora = rsCalendar.value(QStringLiteral("hora"));
    if (alarma.toLongLong() != 0 && !hora.isNull()) {
        setHourAndMinute(DatePattern::format(hora.toDouble(), QStringLiteral("hh")),
                         DatePattern::format(hora.toDouble(), QStringLiteral("nn")));
    } else {
        showCurrentTime();
    }
    SSCheckFestivo->setChecked(rsCalendar.value(QStringLiteral("festivo")).toLongLong() != 0);
    ssCheckAlarma->setChecked(alarma.toLongLong() != 0);
    txtNota1->setPlainText(rsCalendar.value(QStringLiteral("nota")).toString());
    switch (rsCalendar.value(QStringLiteral("Color")).toInt()) {
    case 1:
        SSOptionAzul1->setChecked(true);
        break;
    case 5:
        SSOptionGris5->setChecked(true);
        break;
    case 9:
        SSOptionNegro9->setChecked(true);
        break;
    case 13:
        SSOptionVerde13->setChecked(true);
        break;
    default:
        break; // a colour the program never writes leaves the previous choice
    }
}

void DayEditor::showCurrentTime()
{
    const double now = DatePattern::fromDateTime(clock_.now());
    setHourAndMinute(DatePattern::format(now, QStringLiteral("hh")),
                     DatePattern::format(now, QStringLiteral("nn")));
}

void DayEditor::setHourAndMinute(const QString& hour, const QString& minute)
{
    // A spinner whose value changes rewrites its box as a plain number (9, not 09).
    txtHora->setText(hour);
    VScrollHora->setNumber(int(Val::parse(hour)));
    txtMinuto->setText(minute);
    VScrollMinuto->setNumber(int(Val::parse(minute)));
}

int DayEditor::selectedColor() const
{
    if (SSOptionAzul1->isChecked())
        return 1;
    if (SSOptionGris5->isChecked())
        return 5;
    if (SSOptionNegro9->isChecked())
        return 9;
    if (SSOptionVerde13->isChecked())
        return 13;
    return 0;
}

bool DayEditor::SSCmdAplicar_Click()
{
    const std::optional<double> day = DatePattern::read(FechaSeleccionada);
    if (!day)
        return false; // no day has been opened yet: there is nothing to save
    std::optional<double> hora;
    if (ssCheckAlarma->isChecked()) {
        hora = DatePattern::read(txtHora->text().trimmed() + QLatin1Char(':') +
                                 txtMinuto->text().trimmed());
        if (!hora || *hora >= 1) {
            boxes_.show(QStringLiteral("La hora de la alarma no es válida.\n\nEscriba la hora "
                                       "(de 0 a 23) y los minutos (de 0 a 59), o desactive la "
                                       "alarma. No se ha guardado nada."),
                        MessageBoxes::Exclamation);
            txtHora->setFocus();
            return false;
        }
    }

    emit windowHeightRequested(kSavingHeight);
    VScrollHora->hide();
    VScrollMinuto->hide();

    TableCursor& rsCalendar = store_->rsCalendar;
    rsCalendar.seek(*day);
    if (rsCalendar.noMatch()) {
        rsCalendar.addNew();
        rsCalendar.setValue(QStringLiteral("fecha"), *day);
    } else {
        rsCalendar.edit();
    }
    rsCalendar.setValue(QStringLiteral("festivo"), SSCheckFestivo->isChecked() ? 1 : 0);
    rsCalendar.setValue(QStringLiteral("alarma"), ssCheckAlarma->isChecked() ? 1 : 0);
    if (hora)
        rsCalendar.setValue(QStringLiteral("hora"), *hora);
    rsCalendar.setValue(QStringLiteral("nota"), txtNota1->toPlainText());
    if (const int color = selectedColor())
        rsCalendar.setValue(QStringLiteral("Color"), color);
    rsCalendar.update();

    emit saved();
    month_.MostrarMes();
    return true;
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
    keepFocusIfOutOfRange(txtHora, 23);
}

void DayEditor::txtHora_LostFocus()
{
    keepFocusIfOutOfRange(txtHora, 23);
}

void DayEditor::txtMinuto_Change()
{
    keepFocusIfOutOfRange(txtMinuto, 59);
}

void DayEditor::txtMinuto_LostFocus()
{
    keepFocusIfOutOfRange(txtMinuto, 59);
}

void DayEditor::txtHora_GotFocus()
{
    VScrollHora->show();
    VScrollMinuto->hide();
}

void DayEditor::txtMinuto_GotFocus()
{
    VScrollHora->hide();
    VScrollMinuto->show();
}

void DayEditor::VScrollHora_Change()
{
    txtHora->setText(QString::number(VScrollHora->number()));
}

void DayEditor::VScrollMinuto_Change()
{
    txtMinuto->setText(QString::number(VScrollMinuto->number()));
}

void DayEditor::setImageHeight(int twips)
{
    Image1->resize(Image1->width(), Twips::toPixels(twips));
}
