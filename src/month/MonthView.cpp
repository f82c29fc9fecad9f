#include "month/MonthView.h"

#include "month/DayButton.h"
#include "month/DayMarkPictures.h"
#include "month/MonthPanel.h"
#include "platform/Clock.h"
#include "platform/Fonts.h"
#include "store/domain/DayBook.h"
#include "store/domain/SearchPoint.h"
#include "store/domain/StoreGuard.h"
#include "store/jet/DatePattern.h"
#include "widgets/Colours.h"
#include "widgets/Controls.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <span>

namespace {

constexpr int kFiveRowPanel = 2610;
constexpr int kSixRowPanel = 3000;
constexpr int kFiveRowWindow = 3550;
constexpr int kSixRowWindow = 4000;
constexpr int kFiveRowGrid = 2920;
constexpr int kSixRowGrid = 3370;
constexpr int kFirstOfSixthRow = 35;

// The rectangle the column's controls take: the title band and the day panel at its tallest.
constexpr int kViewWidth = 3495;
constexpr int kViewHeight = 3375;

QPushButton* moveButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip, int left)
{
    auto* button = Controls::place(new QPushButton(caption, parent), name, left, 0, 375, 375);
    button->setToolTip(tip);
    // "<<" says nothing aloud: the button is named by what it does.
    button->setAccessibleName(tip);
    button->setFont(Fonts::sansSerif(8.25, true));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// What the calendar's repeating events show on day, of a month's in date order; next moves
// past them.
std::span<const CalendarOccurrence> onDay(const std::vector<CalendarOccurrence>& month,
                                          std::size_t& next, const QDate& day)
{
    while (next < month.size() && month[next].date < day)
        ++next;
    const std::size_t first = next;
    while (next < month.size() && month[next].date == day)
        ++next;
    return std::span<const CalendarOccurrence>(month).subspan(first, next - first);
}

bool anyHoliday(std::span<const CalendarOccurrence> occurrences)
{
    return std::any_of(occurrences.begin(), occurrences.end(),
                       [](const CalendarOccurrence& o) { return o.holiday; });
}

// What a day button says to a screen reader: the full date, then what its picture and colour
// show. A long note is cut: the name is read aloud at every move.
QString spokenDay(const QDate& date, const Day* stored, bool today,
                  std::span<const CalendarOccurrence> fromCalendar)
{
    constexpr int kSpokenNote = 160;
    QString text = DatePattern::weekdayName(date.dayOfWeek() % 7 + 1) + QLatin1Char(' ') +
                   QString::number(date.day()) + QStringLiteral(" de ") +
                   DatePattern::monthName(date.month()) + QStringLiteral(" de ") +
                   QString::number(date.year());
    if (today)
        text += QStringLiteral(", hoy");
    if (stored) {
        if (stored->holiday)
            text += QStringLiteral(", festivo");
        if (stored->colour && *stored->colour != DayColours::kNeutral)
            text += QStringLiteral(", color ") + DayColours::name(*stored->colour).toLower();
        if (stored->alarmOn) {
            text += stored->alarmTime ? QStringLiteral(", alarma a las ") +
                                            stored->alarmTime->toString(QStringLiteral("HH:mm"))
                                      : QStringLiteral(", alarma");
        }
        if (!stored->note.isEmpty()) {
            QString note = stored->note.simplified();
            if (note.size() > kSpokenNote)
                note = note.left(kSpokenNote) + QStringLiteral("…");
            text += QStringLiteral(", con nota: ") + note;
        }
    }
    if (!fromCalendar.empty()) {
        // "…, del calendario: 18:00 Clase de yoga"
        QString shown =
            CalendarOccurrence::shownTogether(
                std::vector<CalendarOccurrence>(fromCalendar.begin(), fromCalendar.end()))
                .simplified();
        if (shown.size() > kSpokenNote)
            shown = shown.left(kSpokenNote) + QStringLiteral("…");
        text += QStringLiteral(", ") + shown.at(0).toLower() + shown.mid(1);
    }
    return text;
}

QString monthAndYear(const QDate& day, const char* monthPattern)
{
    const double value = DatePattern::fromDate(day);
    return DatePattern::format(value, QString::fromLatin1(monthPattern));
}

} // namespace

MonthView::MonthView(DayBook& days, SearchPoint& point, Clock& clock, const StoreGuard& guard,
                     QWidget* parent)
    : QWidget(parent), days_(days), point_(point), clock_(clock), guard_(guard)
{
    setObjectName(QStringLiteral("MonthView"));
    setGeometry(Twips::rect(0, 0, kViewWidth, kViewHeight));

    auto* lblFondo = Controls::place(new QLabel(this), "lblFondo", 240, 0, 3195, 450);
    lblFondo->setFont(Fonts::sansSerif(13.5, true));
    Controls::setBackground(lblFondo, Colours::cian());

    lblMes_ = Controls::place(new QLabel(this), "lblMes", 1620, 0, 90, 300);
    lblMes_->setFont(Fonts::sansSerif(12, true));
    Controls::setBackground(lblMes_, Colours::cian());

    connect(moveButton(this, "SSCmdMenosAnyo", QStringLiteral("<<"),
                       QStringLiteral("Retrocede un año"), 60),
            &QPushButton::clicked, this, &MonthView::SSCmdMenosAnyo_Click);
    connect(moveButton(this, "SSCmdMenosMes", QStringLiteral("<"),
                       QStringLiteral("Retrocede un mes"), 420),
            &QPushButton::clicked, this, &MonthView::SSCmdMenosMes_Click);
    connect(
        moveButton(this, "SSCmdMasMes", QStringLiteral(">"), QStringLiteral("Avanza un mes"), 2760),
        &QPushButton::clicked, this, &MonthView::SSCmdMasMes_Click);
    connect(moveButton(this, "SSCmdMasAnyo", QStringLiteral(">>"), QStringLiteral("Avanza un año"),
                       3120),
            &QPushButton::clicked, this, &MonthView::SSCmdMasAnyo_Click);

    panel_ = Controls::place(new MonthPanel(this), "SSPanel1", 0, 360, 3460, 3015);
    panel_->setToolTip(QStringLiteral("Pulsando aqui añade una notita"));
    panel_->setAccessibleName(QStringLiteral("Días del mes"));
    connect(panel_, &MonthPanel::clicked, this, &MonthView::panelClicked);

    // The weekday headers, Monday ("Label4") to Sunday ("Label5").
    static const char* const kHeaderNames[] = {"Label4", "Label6",  "Label7", "Label8",
                                               "Label9", "Label10", "Label5"};
    static const char* const kHeaders[] = {"Lun", "Mar", "Mié", "Jue", "Vie", "Sáb", "Dom"};
    for (int c = 0; c < 7; ++c) {
        auto* header = Controls::place(new QLabel(QString::fromUtf8(kHeaders[c]), panel_),
                                       kHeaderNames[c], 60 + 480 * c, 180, 495, 195);
        header->setAlignment(Qt::AlignCenter);
        header->setFont(Fonts::sansSerif(8.25, true));
        if (c == 6) {
            Controls::setBackground(header, Colours::festivo());
            Controls::setTextColor(header, Colours::grisOscuro());
        }
    }

    for (int i = 0; i < kButtons; ++i) {
        auto* button = new DayButton(i, panel_);
        const int column = i % 7;
        const int row = i / 7;
        button->setGeometry(Twips::rect(60 + 480 * column, 420 + 420 * row, 495, 435));
        button->setBackColor(column == 6 ? Colours::festivo() : DayButton::buttonFace());
        connect(button, &DayButton::clicked, this, [this, i] { dayButton_Click(i); });
        connect(button, &DayButton::stepRequested, this, [this, i](int by) { step(i, by); });
        connect(button, &DayButton::monthStepRequested, this,
                [this, i](int by) { page(i, by, 0); });
        connect(button, &DayButton::yearStepRequested, this, [this, i](int by) { page(i, 0, by); });
        button->installEventFilter(this);
        buttons_[std::size_t(i)] = button;
    }
}

bool MonthView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto* button = qobject_cast<DayButton*>(watched))
            setTabStop(button->index());
    }
    return QWidget::eventFilter(watched, event);
}

void MonthView::setTabStop(int index)
{
    // The days are one stop for Tab, on the day last reached, as in any grid: the arrows move
    // among them and the mouse reaches them all. A button without a day is no stop at all.
    for (int i = 0; i < kButtons; ++i) {
        Qt::FocusPolicy policy = Qt::NoFocus;
        if (shownDays_[std::size_t(i)])
            policy = i == index ? Qt::StrongFocus : Qt::ClickFocus;
        buttons_[std::size_t(i)]->setFocusPolicy(policy);
    }
}

void MonthView::focusDay(const QDate& day)
{
    for (int i = 0; i < kButtons; ++i) {
        if (shownDays_[std::size_t(i)] == day) {
            buttons_[std::size_t(i)]->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void MonthView::dayButton_Click(int index)
{
    // A blank button before the month's first day does nothing.
    if (const std::optional<QDate> day = shownDays_[std::size_t(index)])
        emit dayClicked(*day, shownHolidays_[std::size_t(index)],
                        buttons_[std::size_t(index)]->pressedWithMouse());
}

void MonthView::step(int from, int days)
{
    // The arrows move within the month shown: past its first or last day they stay.
    const int to = from + days;
    if (to >= 0 && to < kButtons && shownDays_[std::size_t(to)])
        buttons_[std::size_t(to)]->setFocus(Qt::OtherFocusReason);
}

void MonthView::page(int from, int months, int years)
{
    // From the day the keyboard is on, which stays on that day in the month shown next.
    const std::optional<QDate> day = shownDays_[std::size_t(from)];
    if (!day)
        return;
    const std::optional<QDate> target = moved(*day, months, years);
    if (!target)
        return;
    moveTo(*target);
    focusDay(*target);
}

void MonthView::setPanelHeight(int twips)
{
    const QRect geometry = panel_->geometry();
    panel_->setGeometry(geometry.x(), geometry.y(), geometry.width(), Twips::toPixels(twips));
}

void MonthView::MostrarMes()
{
    guard_.run([this] {
        emit gridHeightRequested(kFiveRowGrid);

        lblMes_->setText(monthAndYear(dFechaActual_, "mmmm") + QLatin1Char(' ') +
                         monthAndYear(dFechaActual_, "yyyy"));
        lblMes_->adjustSize();
        const int width = Twips::fromPixels(lblMes_->width());
        lblMes_->move(Twips::toPixels((kColumnWidth - width) / 2), 0);

        const QDate first(dFechaActual_.year(), dFechaActual_.month(), 1);
        const QDate last(first.year(), first.month(), first.daysInMonth());
        emit menuCaptionsChanged(monthAndYear(dFechaActual_, "Mmmm"),
                                 monthAndYear(dFechaActual_, "yyyy"));

        // The day Tab stops at, kept when the same month is drawn again (a day saved).
        std::optional<QDate> stop;
        for (int i = 0; i < kButtons; ++i) {
            if (buttons_[std::size_t(i)]->focusPolicy() == Qt::StrongFocus)
                stop = shownDays_[std::size_t(i)];
        }
        for (int i = 0; i < kButtons; ++i) {
            shownDays_[std::size_t(i)].reset();
            shownHolidays_[std::size_t(i)] = false;
            if (i <= 5 || i >= 28)
                buttons_[std::size_t(i)]->setText(QString());
            if (i >= 28)
                buttons_[std::size_t(i)]->hide();
            buttons_[std::size_t(i)]->setPicture(DayMarkPictures::neutralPicture());
            // A button without a day says nothing.
            buttons_[std::size_t(i)]->setAccessibleName(QString());
        }
        emit windowHeightRequested(kFiveRowWindow);
        setPanelHeight(kFiveRowPanel);

        // The days with rows, read at once; a day without one keeps the neutral picture unless
        // the calendar's repeating events show something on it.
        const std::vector<Day> stored = days_.between(first, last);
        const std::vector<CalendarOccurrence> calendar = days_.fromCalendar(first, last);
        std::size_t nextShown = 0;
        auto next = stored.begin();
        const QDate todaysDate = clock_.now().date();
        const int today = todaysDate.day();
        const int start = first.dayOfWeek() - 1; // Monday first
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            const int i = start + day.day() - 1;
            DayButton* button = buttons_[std::size_t(i)];
            shownDays_[std::size_t(i)] = day;
            if (day.dayOfWeek() != Qt::Sunday)
                button->setBackColor(DayButton::buttonFace());
            button->setText(QString::number(day.day()));
            while (next != stored.end() && next->date < day)
                ++next;
            const Day* dayStored = next != stored.end() && next->date == day ? &*next : nullptr;
            const std::span<const CalendarOccurrence> shown = onDay(calendar, nextShown, day);
            if (dayStored) {
                shownHolidays_[std::size_t(i)] = dayStored->holiday;
                if (dayStored->holiday)
                    button->setBackColor(Colours::festivo());
            }
            if (anyHoliday(shown))
                button->setBackColor(Colours::festivo());
            if (dayStored || !shown.empty())
                button->setPicture(DayMarkPictures::pictureFor(dayStored, !shown.empty()));
            button->setAccessibleName(spokenDay(day, dayStored, day == todaysDate, shown));
            // Today's day number is bold in every month shown.
            if (day.day() == today) {
                button->setFontSizeAndWeight(11.5, true);
                IndiceHoy_ = quint8(i);
            }
            button->show();
            if (i == kFirstOfSixthRow) {
                setPanelHeight(kSixRowPanel);
                emit windowHeightRequested(kSixRowWindow);
                emit gridHeightRequested(kSixRowGrid);
            }
        }
        // Tab reaches the days at the day the keyboard is on, or else at the day it stopped at
        // in this month, or else at the reference day.
        const auto* focused = qobject_cast<const DayButton*>(QApplication::focusWidget());
        const bool onADay = focused && focused->parentWidget() == panel_ &&
                            shownDays_[std::size_t(focused->index())];
        int stopIndex = start + dFechaActual_.day() - 1;
        if (onADay)
            stopIndex = focused->index();
        else if (stop && stop->year() == first.year() && stop->month() == first.month())
            stopIndex = start + stop->day() - 1;
        setTabStop(stopIndex);
        // The search goes on from the month's last day, where the user left it by looking.
        point_.placeAt(last);
    });
}

void MonthView::showStoredDays()
{
    // Only the marks of the days shown: the layout, the window's height, the keyboard and the
    // search's point stay where the user has them.
    guard_.run([this] {
        const QDate first(dFechaActual_.year(), dFechaActual_.month(), 1);
        const QDate last(first.year(), first.month(), first.daysInMonth());
        const std::vector<Day> stored = days_.between(first, last);
        const std::vector<CalendarOccurrence> calendar = days_.fromCalendar(first, last);
        std::size_t nextShown = 0;
        auto next = stored.begin();
        const QDate todaysDate = clock_.now().date();
        const int start = first.dayOfWeek() - 1;
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            DayButton* button = buttons_[std::size_t(start + day.day() - 1)];
            while (next != stored.end() && next->date < day)
                ++next;
            const Day* dayStored = next != stored.end() && next->date == day ? &*next : nullptr;
            const std::span<const CalendarOccurrence> shown = onDay(calendar, nextShown, day);
            const bool holiday = dayStored && dayStored->holiday;
            shownHolidays_[std::size_t(start + day.day() - 1)] = holiday;
            if (day.dayOfWeek() != Qt::Sunday)
                button->setBackColor(holiday || anyHoliday(shown) ? Colours::festivo()
                                                                  : DayButton::buttonFace());
            button->setPicture(DayMarkPictures::pictureFor(dayStored, !shown.empty()));
            button->setAccessibleName(spokenDay(day, dayStored, day == todaysDate, shown));
        }
    });
}

std::optional<QDate> MonthView::moved(const QDate& from, int months, int years)
{
    int m = from.month() + months;
    int y = from.year() + years;
    if (m > 12) {
        m = 1;
        ++y;
    } else if (m < 1) {
        m = 12;
        --y;
    }
    if (!DatePattern::inRange(y))
        return std::nullopt;
    const QDate firstOfMonth(y, m, 1);
    return QDate(y, m, std::min(from.day(), firstOfMonth.daysInMonth()));
}

void MonthView::move(int months, int years)
{
    const std::optional<QDate> target = moved(dFechaActual_, months, years);
    if (!target)
        return; // the years the program can show end at 100 and 9999
    moveTo(*target);
}

void MonthView::moveTo(const QDate& day)
{
    buttons_[IndiceHoy_]->setFontSizeAndWeight(8, false);
    dFechaActual_ = day;
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
