#include "listings/frmBuscar.h"

#include "platform/Controls.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
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

frmBuscar::frmBuscar(CalendarStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    setObjectName(QStringLiteral("frmBuscar"));
    // A window of its own even when the main window owns it, left open beside it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Buscar..."));
    setFont(Fonts::sansSerif(8.25, true));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));

    Label1 =
        Controls::place(new QLabel(QStringLiteral("Buscar:"), this), "Label1", 120, 60, 915, 255);
    txtBuscar = Controls::place(new QLineEdit(this), "txtBuscar", 60, 300, 1515, 315);
    SSCheckMm = Controls::place(new QCheckBox(QStringLiteral("May./Min."), this), "SSCheckMm", 120,
                                660, 1455, 315);

    Frame1 = Controls::place(new QGroupBox(QStringLiteral("Buscar hacia..."), this), "Frame1", 1740,
                             60, 1335, 975);
    SSOptionAtras = Controls::place(new QRadioButton(QStringLiteral("Atras"), Frame1),
                                    "SSOptionAtras", 180, 300, 1035, 255);
    SSOptionDelante = Controls::place(new QRadioButton(QStringLiteral("Delante"), Frame1),
                                      "SSOptionDelante", 180, 660, 1035, 195);
    SSOptionAtras->setChecked(true);

    cmdComenzar = Controls::place(new QPushButton(QStringLiteral("&Buscar"), this), "cmdComenzar",
                                  3180, 60, 1035, 315);
    cmdSiguiente = Controls::place(new QPushButton(QStringLiteral("&Siguiente"), this),
                                   "cmdSiguiente", 3180, 420, 1035, 315);
    cmdCancelar = Controls::place(new QPushButton(QStringLiteral("&Cancelar"), this), "cmdCancelar",
                                  3180, 780, 1035, 315);

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setGeometry(Twips::toPixels(60), Twips::toPixels(1140), Twips::toPixels(4200 - 60), 1);

    SSFrameHallado = Controls::place(new QGroupBox(this), "SSFrameHallado", 60, 1200, 4155, 855);
    txtHallado =
        Controls::place(new QPlainTextEdit(SSFrameHallado), "txtHallado", 60, 180, 4035, 615);
    txtHallado->setReadOnly(true);
    {
        QPalette palette = txtHallado->palette();
        palette.setColor(QPalette::Base, QColor(0, 255, 255));
        // The found text stays marked while the user types in the search box.
        for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
            palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
        }
        txtHallado->setPalette(palette);
    }

    setTabOrder(txtBuscar, cmdComenzar);
    setTabOrder(cmdComenzar, cmdSiguiente);
    setTabOrder(cmdSiguiente, cmdCancelar);
    setTabOrder(cmdCancelar, SSOptionAtras);
    setTabOrder(SSOptionAtras, SSOptionDelante);
    setTabOrder(SSOptionDelante, txtHallado);
    setTabOrder(txtHallado, SSCheckMm);

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

QString frmBuscar::upperCase(const QString& text)
{
    QString upper = text.toUpper();
    if (upper.size() == text.size())
        return upper;

    // A letter such as "ß" becomes two in full upper case; its one-letter mapping keeps the
    // positions of the note.
    upper.clear();
    upper.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const QChar low = text.at(++i);
            const char32_t mapped = QChar::toUpper(QChar::surrogateToUcs4(c, low));
            if (QChar::requiresSurrogates(mapped)) {
                upper += QChar(QChar::highSurrogate(mapped));
                upper += QChar(QChar::lowSurrogate(mapped));
            } else {
                upper += c;
                upper += low;
            }
        } else {
            const char32_t mapped = QChar::toUpper(char32_t(c.unicode()));
            upper += QChar::requiresSurrogates(mapped) ? c : QChar(char16_t(mapped));
        }
    }
    return upper;
}

bool frmBuscar::CompararNota()
{
    const QString nota = store_->rsCalendar.value(QStringLiteral("nota")).toString();
    // The option is read for every row, as the user may change it between two steps.
    TextoNota = SSCheckMm->isChecked() ? nota : upperCase(nota);
    if (TextoNota.isEmpty())
        Posicion = 0;
    else
        Posicion = int(TextoNota.indexOf(TextoBuscado, 0, Qt::CaseSensitive)) + 1;
    return Posicion > 0;
}

void frmBuscar::showMatch()
{
    const TableCursor& rsCalendar = store_->rsCalendar;
    SSFrameHallado->setTitle(DatePattern::format(
        rsCalendar.value(QStringLiteral("fecha")).toDouble(), QStringLiteral("ddd, dd/mmmm/yyyy")));
    const QString nota = rsCalendar.value(QStringLiteral("nota")).toString();
    txtHallado->setPlainText(nota);
    const qsizetype start = Posicion - 1;
    QTextCursor cursor = txtHallado->textCursor();
    cursor.setPosition(boxPosition(nota, start));
    cursor.setPosition(boxPosition(nota, start + TextoBuscado.size()), QTextCursor::KeepAnchor);
    txtHallado->setTextCursor(cursor);
}

bool frmBuscar::searchFromCurrent(bool backwards)
{
    TableCursor& rsCalendar = store_->rsCalendar;
    while (!(backwards ? rsCalendar.bof() : rsCalendar.eof())) {
        if (CompararNota()) {
            showMatch();
            return true;
        }
        if (backwards)
            rsCalendar.movePrevious();
        else
            rsCalendar.moveNext();
    }
    return false;
}

void frmBuscar::cmdComenzar_Click()
{
    if (!store_)
        return;
    TextoBuscado = SSCheckMm->isChecked() ? txtBuscar->text() : upperCase(txtBuscar->text());

    TableCursor& rsCalendar = store_->rsCalendar;
    const bool backwards = SSOptionAtras->isChecked();
    if (backwards)
        rsCalendar.moveLast();
    else
        rsCalendar.moveFirst();
    if (backwards ? rsCalendar.bof() : rsCalendar.eof())
        return; // no days at all: nothing to say

    if (!searchFromCurrent(backwards)) {
        SSFrameHallado->setTitle(QString());
        txtHallado->setPlainText(QStringLiteral("CADENA NO ENCONTRADA"));
    }
}

void frmBuscar::cmdSiguiente_Click()
{
    if (!store_)
        return;
    // The cursor is shared: the search goes on from wherever the other windows left it.
    TableCursor& rsCalendar = store_->rsCalendar;
    const bool backwards = SSOptionAtras->isChecked();
    if (backwards ? rsCalendar.bof() : rsCalendar.eof()) {
        txtHallado->setPlainText(QStringLiteral("FIN DE FICHERO"));
        return;
    }
    if (backwards)
        rsCalendar.movePrevious();
    else
        rsCalendar.moveNext();

    if (!searchFromCurrent(backwards))
        txtHallado->setPlainText(QStringLiteral("FIN DE FICHERO"));
}

void frmBuscar::cmdCancelar_Click()
{
    hide();
}
