#include "listings/frmBuscar.h"

#include "platform/Fonts.h"
#include "store/domain/CalendarOccurrence.h"
#include "store/domain/SearchPoint.h"
#include "store/domain/StoreGuard.h"
#include "store/jet/DatePattern.h"
#include "store/jet/NoteMatch.h"
#include "widgets/Colours.h"
#include "widgets/Controls.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTextCursor>

namespace {

// The text box counts a "\r\n" of a stored note as one line break, so every such pair before
// an index of the note moves the box's position one back.
int boxPosition(const QString& note, qsizetype index)
{
    int pairs = 0;
    for (qsizetype i = 0; i + 1 < index && i + 1 < note.size(); ++i) {
        if (note.at(i) == QLatin1Char('\r') && note.at(i + 1) == QLatin1Char('\n'))
            ++pairs;
    }
    return int(index) - pairs;
}

} // namespace

frmBuscar::frmBuscar(SearchPoint& point, const StoreGuard& guard, QWidget* parent)
    : QWidget(parent), point_(point), guard_(guard)
{
    setObjectName(QStringLiteral("frmBuscar"));
    // A window of its own even when the main window owns it, left open beside it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Buscar..."));
    setFont(Fonts::sansSerif(8.25, true));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));

    // "Label1": the caption of the search box.
    Controls::place(new QLabel(QStringLiteral("Buscar:"), this), "Label1", 120, 60, 915, 255);
    txtBuscar_ = Controls::place(new QLineEdit(this), "txtBuscar", 60, 300, 1515, 315);
    SSCheckMm_ = Controls::place(new QCheckBox(QStringLiteral("May./Min."), this), "SSCheckMm", 120,
                                 660, 1455, 315);

    auto* Frame1 = Controls::place(new QGroupBox(QStringLiteral("Buscar hacia..."), this), "Frame1",
                                   1740, 60, 1335, 975);
    SSOptionAtras_ = Controls::place(new QRadioButton(QStringLiteral("Atras"), Frame1),
                                     "SSOptionAtras", 180, 300, 1035, 255);
    auto* SSOptionDelante = Controls::place(new QRadioButton(QStringLiteral("Delante"), Frame1),
                                            "SSOptionDelante", 180, 660, 1035, 195);
    SSOptionAtras_->setChecked(true);

    auto* cmdComenzar = Controls::place(new QPushButton(QStringLiteral("&Buscar"), this),
                                        "cmdComenzar", 3180, 60, 1035, 315);
    auto* cmdSiguiente = Controls::place(new QPushButton(QStringLiteral("&Siguiente"), this),
                                         "cmdSiguiente", 3180, 420, 1035, 315);
    auto* cmdCancelar = Controls::place(new QPushButton(QStringLiteral("&Cancelar"), this),
                                        "cmdCancelar", 3180, 780, 1035, 315);

    auto* Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setGeometry(Twips::toPixels(60), Twips::toPixels(1140), Twips::toPixels(4200 - 60), 1);

    SSFrameHallado_ = Controls::place(new QGroupBox(this), "SSFrameHallado", 60, 1200, 4155, 855);
    txtHallado_ =
        Controls::place(new QPlainTextEdit(SSFrameHallado_), "txtHallado", 60, 180, 4035, 615);
    txtHallado_->setReadOnly(true);
    Controls::setBase(txtHallado_, Colours::cian());
    QPalette palette = txtHallado_->palette();
    // The found text stays marked while the user types in the search box.
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
    txtHallado_->setPalette(palette);

    setTabOrder(txtBuscar_, cmdComenzar);
    setTabOrder(cmdComenzar, cmdSiguiente);
    setTabOrder(cmdSiguiente, cmdCancelar);
    setTabOrder(cmdCancelar, SSOptionAtras_);
    setTabOrder(SSOptionAtras_, SSOptionDelante);
    setTabOrder(SSOptionDelante, txtHallado_);
    setTabOrder(txtHallado_, SSCheckMm_);

    // Escape closes the window as "&Cancelar" does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &frmBuscar::cmdCancelar_Click);
    txtBuscar_->setAccessibleName(QStringLiteral("Texto que se busca"));
    SSCheckMm_->setAccessibleDescription(
        QStringLiteral("Distingue mayúsculas de minúsculas al buscar"));
    SSFrameHallado_->setAccessibleName(QStringLiteral("Día hallado"));
    txtHallado_->setAccessibleName(QStringLiteral("Nota hallada"));

    // Enter searches, as "&Buscar" is the window's default button.
    cmdComenzar_ = cmdComenzar;
    cmdComenzar->setDefault(true);

    connect(cmdComenzar, &QPushButton::clicked, this, &frmBuscar::cmdComenzar_Click);
    connect(cmdSiguiente, &QPushButton::clicked, this, &frmBuscar::cmdSiguiente_Click);
    connect(cmdCancelar, &QPushButton::clicked, this, &frmBuscar::cmdCancelar_Click);
}

void frmBuscar::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

void frmBuscar::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    // The button the keyboard is on is the one Enter presses; anywhere else, "&Buscar".
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    (button ? button : cmdComenzar_)->click();
}

bool frmBuscar::backwards() const
{
    return SSOptionAtras_->isChecked();
}

void frmBuscar::search(bool fromTheEnd)
{
    // The case option is read at every step, as the user may change it between two.
    const NoteMatch match(TextoBuscado_, SSCheckMm_->isChecked());
    const SearchPoint::Direction direction =
        backwards() ? SearchPoint::Direction::Backwards : SearchPoint::Direction::Forwards;
    SearchPoint::Result result;
    if (!guard_.run([&] {
            result = fromTheEnd ? point_.begin(direction, match) : point_.next(direction, match);
        }))
        return;

    switch (result.kind) {
    case SearchPoint::Result::NoDays:
        return; // nothing stored at all: nothing to say
    case SearchPoint::Result::NotFound:
        if (fromTheEnd) {
            SSFrameHallado_->setTitle(QString());
            txtHallado_->setPlainText(QStringLiteral("CADENA NO ENCONTRADA"));
        } else {
            // The day of the last match stays above the message.
            txtHallado_->setPlainText(QStringLiteral("FIN DE FICHERO"));
        }
        return;
    case SearchPoint::Result::Found:
        break;
    }

    TextoNota_ = match.compared(result.note);
    Posicion_ = result.position;
    SSFrameHallado_->setTitle(DatePattern::format(DatePattern::fromDate(result.date),
                                                  QStringLiteral("ddd, dd/mmmm/yyyy")));
    // What the calendar's repeating event shows on the day is marked as the calendar's.
    const QString shown =
        result.fromCalendar ? CalendarOccurrence{result.date, result.note}.shown() : result.note;
    txtHallado_->setPlainText(shown);
    const qsizetype start =
        Posicion_ - 1 + (result.fromCalendar ? CalendarOccurrence::kPrefixLength : 0);
    QTextCursor cursor = txtHallado_->textCursor();
    cursor.setPosition(boxPosition(shown, start));
    cursor.setPosition(boxPosition(shown, start + TextoBuscado_.size()), QTextCursor::KeepAnchor);
    txtHallado_->setTextCursor(cursor);
}

void frmBuscar::cmdComenzar_Click()
{
    TextoBuscado_ = NoteMatch::prepare(txtBuscar_->text(), SSCheckMm_->isChecked());
    search(true);
}

void frmBuscar::cmdSiguiente_Click()
{
    search(false);
}

void frmBuscar::cmdCancelar_Click()
{
    hide();
}
