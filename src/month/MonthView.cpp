#include "month/MonthView.h"

#include "month/DayButton.h"
#include "month/DayMarkPictures.h"
#include "month/MonthPanel.h"
#include "platform/Clock.h"
#include "platform/Controls.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QLabel>
#include <QPushButton>

namespace {

const QColor kCyan(0, 255, 255);
const QColor kRed(255, 0, 0);

constexpr int kFiveRowPanel = 2610;
constexpr int kSixRowPanel = 3000;
constexpr int kFiveRowWindow = 3550;
constexpr int kSixRowWindow = 4000;
constexpr int kFiveRowGrid = 2920;
constexpr int kSixRowGrid = 3370;
constexpr int kNeutralPicture = 5;

QPushButton* moveButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip, int left)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    button->setFont(Fonts::sansSerif(8.25, true));
    button->setGeometry(Twips::rect(left, 0, 375, 375));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

MonthView::MonthView(Clock& clock, QWidget* client, QObject* parent)
    : QObject(parent), clock_(clock)
{
    lblFondo_ = new QLabel(client);
    lblFondo_->setObjectName(QStringLiteral("lblFondo"));
    lblFondo_->setGeometry(Twips::rect(240, 0, 3195, 450));
    lblFondo_->setFont(Fonts::sansSerif(13.5, true));
    Controls::setBackground(lblFondo_, kCyan);

    lblMes_ = new QLabel(client);
    lblMes_->setObjectName(QStringLiteral("lblMes"));
    lblMes_->setGeometry(Twips::rect(1620, 0, 90, 300));
    lblMes_->setFont(Fonts::sansSerif(12, true));
    Controls::setBackground(lblMes_, kCyan);

    SSCmdMenosAnyo_ = moveButton(client, "SSCmdMenosAnyo", QStringLiteral("<<"),
                                 QStringLiteral("Retrocede un año"), 60);
    SSCmdMenosMes_ = moveButton(client, "SSCmdMenosMes", QStringLiteral("<"),
                                QStringLiteral("Retrocede un mes"), 420);
    SSCmdMasMes_ = moveButton(client, "SSCmdMasMes", QStringLiteral(">"),
                              QStringLiteral("Avanza un mes"), 2760);
    SSCmdMasAnyo_ = moveButton(client, "SSCmdMasAnyo", QStringLiteral(">>"),
                               QStringLiteral("Avanza un año"), 3120);
    connect(SSCmdMenosAnyo_, &QPushButton::clicked, this, &MonthView::SSCmdMenosAnyo_Click);
    connect(SSCmdMenosMes_, &QPushButton::clicked, this, &MonthView::SSCmdMenosMes_Click);
    connect(SSCmdMasMes_, &QPushButton::clicked, this, &MonthView::SSCmdMasMes_Click);
    connect(SSCmdMasAnyo_, &QPushButton::clicked, this, &MonthView::SSCmdMasAnyo_Click);

    panel_ = new MonthPanel(client);
    panel_->setGeometry(Twips::rect(0, 360, 3460, 3015));
    panel_->setToolTip(QStringLiteral("Pulsando aqui añade una notita"));
    connect(panel_, &MonthPanel::clicked, this, &MonthView::panelClicked);

    static const char* const kHeaderNames[] = {"Label4", "Label6",  "Label7", "Label8",
                                               "Label9", "Label10", "Label5"};
    static const char* const kHeaders[] = {"Lun", "Mar", "Mié", "Jue", "Vie", "Sáb", "Dom"};
    for (int c = 0; c < 7; ++c) {
        auto* header = new QLabel(QString::fromUtf8(kHeaders[c]), panel_);
        header->setObjectName(QLatin1String(kHeaderNames[c]));
        header->setAlignment(Qt::AlignCenter);
        header->setFont(Fonts::sansSerif(8.25, true));
        header->setGeometry(Twips::rect(60 + 480 * c, 180, 495, 195));
        if (c == 6) {
            Controls::setBackground(header, kRed);
            QPalette palette = header->palette();
            palette.setColor(QPalette::WindowText, QColor(64, 64, 64));
            header->setPalette(palette);
        }
    }

    for (int i = 0; i < kButtons; ++i) {
        auto* button = new DayButton(i, panel_);
        const int column = i % 7;
        const int row = i / 7;
        button->setGeometry(Twips::rect(60 + 480 * column, 420 + 420 * row, 495, 435));
        button->setBackColor(column == 6 ? kRed : DayButton::buttonFace());
        connect(button, &DayButton::clicked, this, [this, i] { emit dayClicked(i); });
        buttons_[i] = button;
    }
}

void MonthView::setPanelHeight(int twips)
{
    panelHeight_ = twips;
    const QRect geometry = panel_->geometry();
    panel_->setGeometry(geometry.x(), geometry.y(), geometry.width(), Twips::toPixels(twips));
}

void MonthView::MostrarMes()
{
    emit gridHeightRequested(kFiveRowGrid);
    dFechaActual = DatePattern::read(FechaActual).value_or(dFechaActual);

    lblMes_->setText(DatePattern::format(dFechaActual, QStringLiteral("mmmm")) + QLatin1Char(' ') +
                     DatePattern::format(dFechaActual, QStringLiteral("yyyy")));
    lblMes_->adjustSize();
    const int width = Twips::fromPixels(lblMes_->width());
    lblMesLeft_ = (kColumnWidth - width) / 2;
    lblMes_->move(Twips::toPixels(lblMesLeft_), 0);

    const double first =
        DatePattern::read(DatePattern::format(dFechaActual, QStringLiteral("1/mmmm/yyyy")))
            .value_or(dFechaActual);
    int weekday = DatePattern::format(first, QStringLiteral("w")).toInt() - 1;
    if (weekday == 0)
        weekday = 7;

    emit menuCaptionsChanged(DatePattern::format(dFechaActual, QStringLiteral("Mmmm")),
                             DatePattern::format(dFechaActual, QStringLiteral("yyyy")));

    for (int i = 0; i <= 5; ++i)
        buttons_[i]->setText(QString());
    for (int i = 28; i < kButtons; ++i) {
        buttons_[i]->setText(QString());
        buttons_[i]->hide();
    }
    int i = weekday - 1;
    emit windowHeightRequested(kFiveRowWindow);
    setPanelHeight(kFiveRowPanel);
    for (DayButton* button : buttons_)
        button->setPicture(kNeutralPicture);

    const QString today = QString::number(clock_.now().date().day());
    double day = first;
    do {
        DayButton* button = buttons_[i];
        if (DatePattern::format(day, QStringLiteral("ddd")) != QLatin1String("dom"))
            button->setBackColor(DayButton::buttonFace());
        button->setText(DatePattern::format(day, QStringLiteral("d")));

        // Days are found by their full date, so that 2030 is never taken for 1930.
        TableCursor& rsCalendar = store_->rsCalendar;
        rsCalendar.seek(day);
        if (!rsCalendar.noMatch()) {
            const QVariant color = rsCalendar.value(QStringLiteral("Color"));
            const bool alarm = rsCalendar.value(QStringLiteral("alarma")).toLongLong() != 0;
            const bool note = !rsCalendar.value(QStringLiteral("nota")).toString().isEmpty();
            int picture = DayMarkPictures::pictureFor(
                color.isNull() ? kNeutralPicture : color.toInt(), alarm, note);
            // A colour the program never writes shows the neutral picture, not a wrong one.
            if (picture < 1 || picture > DayMarkPictures::kCount)
                picture = kNeutralPicture;
            if (rsCalendar.value(QStringLiteral("festivo")).toLongLong() != 0)
                button->setBackColor(kRed);
            button->setPicture(picture);
        }
        if (DatePattern::format(day, QStringLiteral("d")) == today) {
            button->setFontSizeAndWeight(11.5, true);
            IndiceHoy = quint8(i);
        }
        button->show();
        ++i;
        if (i == 36) {
            setPanelHeight(kSixRowPanel);
            emit windowHeightRequested(kSixRowWindow);
            emit gridHeightRequested(kSixRowGrid);
        }
        day += 1;
    } while (DatePattern::day(day) != 1);
}

std::optional<double> MonthView::moved(double from, int months, int years)
{
    int d = DatePattern::day(from);
    int m = DatePattern::month(from) + months;
    int y = DatePattern::year(from) + years;
    if (m > 12) {
        m = 1;
        ++y;
    } else if (m < 1) {
        m = 12;
        --y;
    }
    if (!DatePattern::inRange(y))
        return std::nullopt;
    double result = DatePattern::build(y, m, d);
    while (DatePattern::day(result) != d) {
        --d;
        result = DatePattern::build(y, m, d);
    }
    return result;
}

void MonthView::move(int months, int years)
{
    const std::optional<double> target = moved(dFechaActual, months, years);
    if (!target)
        return; // the years the program can show end at 100 and 9999
    buttons_[IndiceHoy]->setFontSizeAndWeight(8, false);
    dFechaActual = *target;
    FechaActual = DatePattern::format(dFechaActual, QStringLiteral("dd/mm/yyyy"));
    MostrarMes();
}

void MonthView::SSCmdMenosAnyo_Click()
{
    move(0, -1);
}

void MonthView::SSCmdMenosMes_Click()
{
    move(-1, 0);
}

void MonthView::SSCmdMasMes_Click()
{
    move(1, 0);
}

void MonthView::SSCmdMasAnyo_Click()
{
    move(0, 1);
}
