#include "listings/frmSeleccion.h"

#include "listings/NotesPanel.h"
#include "platform/Clock.h"
#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "store/domain/SearchPoint.h"
#include "store/domain/StoreGuard.h"
#include "store/jet/DatePattern.h"
#include "widgets/Colours.h"
#include "widgets/Controls.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>

#include <cstddef>
#include <iterator>

namespace {

QLineEdit* dateBox(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* box = Controls::place(new QLineEdit(parent), name, left, top, width, height);
    box->setInputMask(QString::fromLatin1(frmSeleccion::kDateMask));
    box->setMaxLength(10);
    return box;
}

} // namespace

frmSeleccion::frmSeleccion(NotesPanel& notes, SearchPoint& point, Printer& printer,
                           MessageBoxes& boxes, Clock& clock, const StoreGuard& guard,
                           QWidget* parent)
    : QWidget(parent), notes_(notes), point_(point), printer_(printer), boxes_(boxes),
      clock_(clock), guard_(guard)
{
    setObjectName(QStringLiteral("frmSeleccion"));
    // A window of its own even when the main window owns it, left open beside it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Seleccionar..."));
    setFont(Fonts::sansSerif(8.25, true));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));

    auto* Frame1 =
        Controls::place(new QGroupBox(QStringLiteral("Color"), this), "Frame1", 60, 0, 1875, 915);
    OptionAzul_ = Controls::place(new QRadioButton(QStringLiteral("Azul"), Frame1), "OptionAzul",
                                  120, 180, 855, 375);
    Controls::setTextColor(OptionAzul_, Colours::azul());
    OptionNegro_ = Controls::place(new QRadioButton(QStringLiteral("Negro"), Frame1), "OptionNegro",
                                   960, 240, 855, 255);
    // "Option1": every colour ("Todos").
    auto* Option1 = Controls::place(new QRadioButton(QStringLiteral("Todos"), Frame1), "Option1",
                                    120, 540, 855, 195);
    Controls::setTextColor(Option1, Colours::gris());
    Option1->setChecked(true);
    OptionVerde_ = Controls::place(new QRadioButton(QStringLiteral("Verde"), Frame1), "OptionVerde",
                                   960, 540, 855, 195);
    Controls::setTextColor(OptionVerde_, Colours::verde());

    auto* Frame2 = Controls::place(new QGroupBox(QStringLiteral("Festivo"), this), "Frame2", 1980,
                                   0, 1335, 915);
    CheckFestivo_ = Controls::place(new QCheckBox(QStringLiteral("Festivo"), Frame2),
                                    "CheckFestivo", 180, 300, 1035, 195);
    Controls::setTextColor(CheckFestivo_, Colours::festivo());
    CheckFestivo_->setChecked(true);
    CheckLaboral_ = Controls::place(new QCheckBox(QStringLiteral("Laboral"), Frame2),
                                    "CheckLaboral", 180, 600, 1035, 195);
    Controls::setTextColor(CheckLaboral_, Colours::gris());
    CheckLaboral_->setChecked(true);

    auto* Frame3 = Controls::place(new QGroupBox(QStringLiteral("Fechas"), this), "Frame3", 60, 960,
                                   1875, 915);
    // "Label1" and "Label2": the captions of the two date boxes, a little narrower than the
    // rest, so that "Hasta" fits the 29 pixels the layout gives it.
    QFont captions = font();
    captions.setStretch(92);
    Controls::place(new QLabel(QStringLiteral("Desde"), Frame3), "Label1", 120, 300, 495, 255)
        ->setFont(captions);
    MaskDesde_ = dateBox(Frame3, "MaskDesde", 660, 180, 1155, 315);
    Controls::place(new QLabel(QStringLiteral("Hasta"), Frame3), "Label2", 180, 600, 435, 255)
        ->setFont(captions);
    MaskHasta_ = dateBox(Frame3, "MaskHasta", 660, 540, 1155, 315);

    auto* Frame4 = Controls::place(new QGroupBox(QStringLiteral("Palabra en Nota"), this), "Frame4",
                                   1980, 960, 1335, 915);
    txtNota_ = Controls::place(new QLineEdit(Frame4), "txtNota", 60, 240, 1215, 315);
    // "&Alguna": any note with at least one character.
    auto* Command3 = Controls::place(new QPushButton(QStringLiteral("&Alguna"), Frame4), "Command3",
                                     240, 600, 855, 255);

    auto* cmdPantalla = Controls::place(new QPushButton(QStringLiteral("&Pantalla"), this),
                                        "cmdPantalla", 3360, 60, 855, 495);
    // "&Impresora"
    auto* Command2 = Controls::place(new QPushButton(QStringLiteral("&Impresora"), this),
                                     "Command2", 3360, 720, 855, 495);
    // "&Cerrar"
    auto* Command1 = Controls::place(new QPushButton(QStringLiteral("&Cerrar"), this), "Command1",
                                     3360, 1380, 855, 495);

    QWidget* const order[] = {OptionAzul_,   OptionNegro_,  OptionVerde_, MaskDesde_, MaskHasta_,
                              Command1,      txtNota_,      cmdPantalla,  Command2,   Option1,
                              CheckFestivo_, CheckLaboral_, Command3};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    // Escape closes the window as "&Cerrar" does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &frmSeleccion::Command1_Click);
    MaskDesde_->setAccessibleName(QStringLiteral("Desde"));
    MaskDesde_->setAccessibleDescription(QStringLiteral("Primer día, dd/mm/aaaa"));
    MaskHasta_->setAccessibleName(QStringLiteral("Hasta"));
    MaskHasta_->setAccessibleDescription(QStringLiteral("Último día, dd/mm/aaaa"));
    txtNota_->setAccessibleName(QStringLiteral("Palabra en nota"));
    Command3->setAccessibleDescription(QStringLiteral("Elige los días con cualquier nota"));

    connect(cmdPantalla, &QPushButton::clicked, this, &frmSeleccion::cmdPantalla_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSeleccion::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmSeleccion::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &frmSeleccion::Command3_Click);
    MaskDesde_->installEventFilter(this);
    MaskHasta_->installEventFilter(this);
}

bool frmSeleccion::eventFilter(QObject* watched, QEvent* event)
{
    const bool in = event->type() == QEvent::FocusIn;
    const bool out = event->type() == QEvent::FocusOut;
    if ((in || out) && (watched == MaskDesde_ || watched == MaskHasta_)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window coming forward (a message box among them) is no move of the user
        // from one box to another.
        const bool windowChange =
            reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        const bool desde = watched == MaskDesde_;
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
    // The earliest day is found by moving the search's point there, as the user sees it.
    std::optional<QDate> earliest;
    if (guard_.run([&] { earliest = point_.toFirst(); }) && earliest)
        MaskDesde_->setText(earliest->toString(QStringLiteral("dd/MM/yyyy")));
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
    if (isEmptyDate(MaskHasta_)) {
        // After a search that ran off the end the point stands past the last day: then today.
        std::optional<QDate> latest;
        if (!guard_.run([&] {
                if (!point_.atEnd())
                    latest = point_.toLast();
            }))
            return;
        MaskHasta_->setText(latest ? latest->toString(QStringLiteral("dd/MM/yyyy")) : today());
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
    MaskDesde_->selectAll();
    // A click that gave the focus places the cursor after this; select again once it has.
    QTimer::singleShot(0, MaskDesde_, &QLineEdit::selectAll);
}

void frmSeleccion::MaskHasta_GotFocus()
{
    MaskHasta_->selectAll();
    QTimer::singleShot(0, MaskHasta_, &QLineEdit::selectAll);
}

void frmSeleccion::MaskDesde_LostFocus()
{
    if (isEmptyDate(MaskDesde_) && !point_.atStart())
        fillWithEarliest();
    if (!DatePattern::read(MaskDesde_->displayText()))
        refuseDate(MaskDesde_);
}

void frmSeleccion::MaskHasta_LostFocus()
{
    if (isEmptyDate(MaskHasta_))
        MaskHasta_->setText(today());
    else if (!DatePattern::read(MaskHasta_->displayText()))
        refuseDate(MaskHasta_);
}

std::optional<SelectionQuery> frmSeleccion::selection()
{
    if (isEmptyDate(MaskDesde_) && !point_.atStart())
        fillWithEarliest();
    const std::optional<double> desde = DatePattern::read(MaskDesde_->displayText());
    if (!desde) {
        refuseDate(MaskDesde_);
        return std::nullopt;
    }
    const std::optional<double> hasta = DatePattern::read(MaskHasta_->displayText());
    if (!hasta) {
        refuseDate(MaskHasta_);
        return std::nullopt;
    }

    SelectionQuery selection;
    selection.desde = qint64(*desde);
    selection.hasta = qint64(*hasta);
    selection.festivo = CheckFestivo_->isChecked();
    selection.laboral = CheckLaboral_->isChecked();
    if (OptionAzul_->isChecked())
        selection.colour = DayColour::Azul;
    else if (OptionNegro_->isChecked())
        selection.colour = DayColour::Negro;
    else if (OptionVerde_->isChecked())
        selection.colour = DayColour::Verde;
    selection.word = txtNota_->text();
    return selection;
}

bool frmSeleccion::runListing(bool print)
{
    const std::optional<SelectionQuery> chosen = selection();
    if (!chosen || guard_.failed())
        return false;
    if (!notes_.MostrarListado(chosen->query(), QStringLiteral(" Notas seleccionadas")))
        return false;
    const int count = notes_.recordCount();
    if (print && count > 0) {
        const QString desde = MaskDesde_->displayText();
        const QString hasta = MaskHasta_->displayText();
        // A file name holds no "/": the dates are written with "-".
        const QString document =
            QStringLiteral("Notas seleccionadas del %1 al %2")
                .arg(QString(desde).replace(QLatin1Char('/'), QLatin1Char('-')),
                     QString(hasta).replace(QLatin1Char('/'), QLatin1Char('-')));
        printer_.ImprimirListado(notes_.listing(), chosen->title(count, desde, hasta), document);
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
    txtNota_->setText(QStringLiteral("?"));
}
