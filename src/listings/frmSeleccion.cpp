#include "listings/frmSeleccion.h"

#include "listings/NotesPanel.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "platform/Twips.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstddef>
#include <iterator>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kDarkGrey(128, 128, 128);
const QColor kGreen(0, 192, 0);
const QColor kRed(255, 0, 0);

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    Controls::place(widget, name, left, top, width, height);
    widget->setFont(Fonts::sansSerif(8.25, true));
    return widget;
}

QLineEdit* dateBox(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* box = place(new QLineEdit(parent), name, left, top, width, height);
    box->setInputMask(QString::fromLatin1(frmSeleccion::kDateMask));
    box->setMaxLength(10);
    return box;
}

} // namespace

frmSeleccion::frmSeleccion(NotesPanel& notes, Printer& printer, MessageBoxes& boxes, Clock& clock,
                           QWidget* parent)
    : QWidget(parent), notes_(notes), printer_(printer), boxes_(boxes), clock_(clock)
{
    setObjectName(QStringLiteral("frmSeleccion"));
    // A window of its own even when the main window owns it, left open beside it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Seleccionar..."));
    setFont(Fonts::sansSerif(8.25, true));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));

    Frame1 = place(new QGroupBox(QStringLiteral("Color"), this), "Frame1", 60, 0, 1875, 915);
    OptionAzul =
        place(new QRadioButton(QStringLiteral("Azul"), Frame1), "OptionAzul", 120, 180, 855, 375);
    Controls::setTextColor(OptionAzul, kBlue);
    OptionNegro =
        place(new QRadioButton(QStringLiteral("Negro"), Frame1), "OptionNegro", 960, 240, 855, 255);
    Option1 =
        place(new QRadioButton(QStringLiteral("Todos"), Frame1), "Option1", 120, 540, 855, 195);
    Controls::setTextColor(Option1, kDarkGrey);
    Option1->setChecked(true);
    OptionVerde =
        place(new QRadioButton(QStringLiteral("Verde"), Frame1), "OptionVerde", 960, 540, 855, 195);
    Controls::setTextColor(OptionVerde, kGreen);

    Frame2 = place(new QGroupBox(QStringLiteral("Festivo"), this), "Frame2", 1980, 0, 1335, 915);
    CheckFestivo = place(new QCheckBox(QStringLiteral("Festivo"), Frame2), "CheckFestivo", 180, 300,
                         1035, 195);
    Controls::setTextColor(CheckFestivo, kRed);
    CheckFestivo->setChecked(true);
    CheckLaboral = place(new QCheckBox(QStringLiteral("Laboral"), Frame2), "CheckLaboral", 180, 600,
                         1035, 195);
    Controls::setTextColor(CheckLaboral, kDarkGrey);
    CheckLaboral->setChecked(true);

    Frame3 = place(new QGroupBox(QStringLiteral("Fechas"), this), "Frame3", 60, 960, 1875, 915);
    Label1 = place(new QLabel(QStringLiteral("Desde"), Frame3), "Label1", 120, 300, 495, 255);
    MaskDesde = dateBox(Frame3, "MaskDesde", 660, 180, 1155, 315);
    Label2 = place(new QLabel(QStringLiteral("Hasta"), Frame3), "Label2", 180, 600, 435, 255);
    MaskHasta = dateBox(Frame3, "MaskHasta", 660, 540, 1155, 315);

    Frame4 = place(new QGroupBox(QStringLiteral("Palabra en Nota"), this), "Frame4", 1980, 960,
                   1335, 915);
    txtNota = place(new QLineEdit(Frame4), "txtNota", 60, 240, 1215, 315);
    Command3 =
        place(new QPushButton(QStringLiteral("&Alguna"), Frame4), "Command3", 240, 600, 855, 255);

    cmdPantalla = place(new QPushButton(QStringLiteral("&Pantalla"), this), "cmdPantalla", 3360, 60,
                        855, 495);
    Command2 =
        place(new QPushButton(QStringLiteral("&Impresora"), this), "Command2", 3360, 720, 855, 495);
    Command1 =
        place(new QPushButton(QStringLiteral("&Cerrar"), this), "Command1", 3360, 1380, 855, 495);

    QWidget* const order[] = {OptionAzul,   OptionNegro,  OptionVerde, MaskDesde, MaskHasta,
                              Command1,     txtNota,      cmdPantalla, Command2,  Option1,
                              CheckFestivo, CheckLaboral, Command3};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(cmdPantalla, &QPushButton::clicked, this, &frmSeleccion::cmdPantalla_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSeleccion::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSeleccion::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSeleccion::Command3_Click);
    MaskDesde->installEventFilter(this);
    MaskHasta->installEventFilter(this);
}

bool frmSeleccion::eventFilter(QObject* watched, QEvent* event)
{
    const bool in = event->type() == QEvent::FocusIn;
    const bool out = event->type() == QEvent::FocusOut;
    if ((in || out) && (watched == MaskDesde || watched == MaskHasta)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window coming forward (a message box among them) is no move of the user
        // from one box to another.
        const bool windowChange =
            reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        const bool desde = watched == MaskDesde;
        if (in && !windowChange) {
            desde ? MaskDesde_GotFocus() : MaskHasta_GotFocus();
        } else if (out && !windowChange && !refusing_) {
            // Checked once the focus has settled on its new widget: taking it back in the
            // middle of the change would be undone by the rest of the change.
            QTimer::singleShot(0, this, [this, desde] {
                if (refusing_ || !isVisible())
                    return;
                desde ? MaskDesde_LostFocus() : MaskHasta_LostFocus();
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool frmSeleccion::isEmptyDate(const QLineEdit* box)
{
    return box->displayText() == QLatin1String(kEmptyDate);
}

QString frmSeleccion::today() const
{
    return DatePattern::format(DatePattern::fromDate(clock_.now().date()),
                               QStringLiteral("dd/mm/yyyy"));
}

void frmSeleccion::fillWithEarliest()
{
    TableCursor& rsCalendar = store_->rsCalendar;
    rsCalendar.moveFirst();
    if (rsCalendar.hasCurrent()) {
        MaskDesde->setText(DatePattern::format(rsCalendar.value(QStringLiteral("fecha")).toDouble(),
                                               QStringLiteral("dd/mm/yyyy")));
    }
}

void frmSeleccion::refuseDate(QLineEdit* box)
{
    refusing_ = true;
    box->setFocus();
    box->selectAll();
    boxes_.show(QStringLiteral("Fecha erronea"));
    refusing_ = false;
}

void frmSeleccion::mSeleccion_Click()
{
    if (store_ && isEmptyDate(MaskHasta)) {
        TableCursor& rsCalendar = store_->rsCalendar;
        QString latest;
        if (!rsCalendar.eof()) {
            rsCalendar.moveLast();
            if (rsCalendar.hasCurrent()) {
                latest = DatePattern::format(rsCalendar.value(QStringLiteral("fecha")).toDouble(),
                                             QStringLiteral("dd/mm/yyyy"));
            }
        }
        MaskHasta->setText(latest.isEmpty() ? today() : latest);
    }
    // A window left open behind others is brought forward; a hidden one comes up in front.
    if (isVisible()) {
        raise();
        activateWindow();
    } else {
        show();
    }
}

void frmSeleccion::MaskDesde_GotFocus()
{
    MaskDesde->selectAll();
    // A click that gave the focus places the cursor after this; select again once it has.
    QTimer::singleShot(0, MaskDesde, &QLineEdit::selectAll);
}

void frmSeleccion::MaskHasta_GotFocus()
{
    MaskHasta->selectAll();
    QTimer::singleShot(0, MaskHasta, &QLineEdit::selectAll);
}

void frmSeleccion::MaskDesde_LostFocus()
{
    if (!store_)
        return;
    if (isEmptyDate(MaskDesde) && !store_->rsCalendar.bof())
        fillWithEarliest();
    if (!DatePattern::read(MaskDesde->displayText()))
        refuseDate(MaskDesde);
}

void frmSeleccion::MaskHasta_LostFocus()
{
    if (isEmptyDate(MaskHasta))
        MaskHasta->setText(today());
    else if (!DatePattern::read(MaskHasta->displayText()))
        refuseDate(MaskHasta);
}

std::optional<SelectionQuery> frmSeleccion::selection()
{
    if (isEmptyDate(MaskDesde) && store_ && !store_->rsCalendar.bof())
        fillWithEarliest();
    const std::optional<double> desde = DatePattern::read(MaskDesde->displayText());
    if (!desde) {
        refuseDate(MaskDesde);
        return std::nullopt;
    }
    const std::optional<double> hasta = DatePattern::read(MaskHasta->displayText());
    if (!hasta) {
        refuseDate(MaskHasta);
        return std::nullopt;
    }

    SelectionQuery selection;
    selection.desde = qint64(*desde);
    selection.hasta = qint64(*hasta);
    selection.festivo = CheckFestivo->isChecked();
    selection.laboral = CheckLaboral->isChecked();
    if (OptionAzul->isChecked())
        selection.colour = SelectionQuery::Colour::Azul;
    else if (OptionNegro->isChecked())
        selection.colour = SelectionQuery::Colour::Negro;
    else if (OptionVerde->isChecked())
        selection.colour = SelectionQuery::Colour::Verde;
    else
        selection.colour = SelectionQuery::Colour::Todos;
    selection.word = txtNota->text();
    return selection;
}

bool frmSeleccion::runListing(bool print)
{
    if (!store_)
        return false;
    const std::optional<SelectionQuery> chosen = selection();
    if (!chosen)
        return false;
    notes_.MostrarListado(chosen->query(), QStringLiteral(" Notas seleccionadas"));
    const int count = store_->rsLista.recordCount();
    if (print && count > 0) {
        printer_.ImprimirListado(store_->rsLista, chosen->title(count, MaskDesde->displayText(),
                                                                MaskHasta->displayText()));
    }
    return true;
}

bool frmSeleccion::cmdPantalla_Click()
{
    return runListing(false);
}

bool frmSeleccion::Command2_Click()
{
    return runListing(true);
}

void frmSeleccion::Command1_Click()
{
    hide();
}

void frmSeleccion::Command3_Click()
{
    txtNota->setText(QStringLiteral("?"));
}
