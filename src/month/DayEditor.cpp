#include "month/DayEditor.h"

#include "month/DayMarkPictures.h"
#include "month/MonthView.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {

template <typename W> W* place(W* widget, const char* name, int left, int top, int width,
                               int height)
{
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(Twips::rect(left, top, width, height));
    widget->setFont(Fonts::sansSerif(8.25, true));
    return widget;
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
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
    SSOptionAzul1 = place(new QRadioButton(QStringLiteral("Azul"), FrameColores),
                          "SSOptionAzul1", 60, 180, 855, 255);
    setTextColor(SSOptionAzul1, QColor(0, 0, 255));
    SSOptionNegro9 = place(new QRadioButton(QStringLiteral("Negro"), FrameColores),
                           "SSOptionNegro9", 720, 180, 795, 255);
    setTextColor(SSOptionNegro9, QColor(0, 0, 0));
    SSOptionGris5 = place(new QRadioButton(QStringLiteral("Gris"), FrameColores),
                          "SSOptionGris5", 60, 540, 675, 195);
    setTextColor(SSOptionGris5, QColor(128, 128, 128));
    SSOptionVerde13 = place(new QRadioButton(QStringLiteral("Verde"), FrameColores),
                            "SSOptionVerde13", 720, 540, 795, 195);
    setTextColor(SSOptionVerde13, QColor(0, 192, 0));

    SSCheckFestivo = place(new QCheckBox(QStringLiteral("Festivo"), client), "SSCheckFestivo",
                           2520, 3450, 975, 255);
    SSCheckFestivo->setToolTip(QStringLiteral("Marca la fecha como festivo"));
    setTextColor(SSCheckFestivo, QColor(255, 0, 0));

    lblFecha = place(new QLabel(client), "lblFecha", 1620, 3480, 855, 195);
    lblFecha->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    {
        QPalette palette = lblFecha->palette();
        palette.setColor(QPalette::Window, QColor(0, 255, 255));
        lblFecha->setPalette(palette);
        lblFecha->setAutoFillBackground(true);
    }

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

    // The spinners rise towards the top: the highest value stands at the top end.
    VScrollHora = place(new QScrollBar(Qt::Vertical, FrameAlarma), "VScrollHora", 1620, 120,
                        195, 435);
    VScrollHora->setRange(0, 23);
    VScrollHora->setInvertedAppearance(true);
    VScrollHora->hide();
    VScrollMinuto = place(new QScrollBar(Qt::Vertical, FrameAlarma), "VScrollMinuto", 1620, 120,
                          195, 435);
    VScrollMinuto->setRange(0, 59);
    VScrollMinuto->setInvertedAppearance(true);
    VScrollMinuto->hide();

    txtNota1 = place(new QPlainTextEdit(client), "txtNota1", 0, 4260, 3435, 1095);
    txtNota1->setToolTip(QStringLiteral("Aqui puede escribir su nota del dia"));

    SScmdAplicar = place(new QPushButton(QStringLiteral("Aplicar"), client), "SScmdAplicar", 60,
                         5400, 855, 375);
    SScmdAplicar->setToolTip(QStringLiteral("Guarda los cambios efectuados"));
    SScmdCerrar = place(new QPushButton(QStringLiteral("Cerrar"), client), "SScmdCerrar", 2580,
                        5400, 855, 375);
    SScmdCerrar->setToolTip(QStringLiteral("Cierra sin guardar modificaciones"));
}

void DayEditor::setImageHeight(int twips)
{
    Image1->resize(Image1->width(), Twips::toPixels(twips));
}
