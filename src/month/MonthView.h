#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class Clock;
class DayBook;
class DayButton;
class MonthPanel;
class QLabel;
class QPushButton;
class SearchPoint;
class StoreGuard;

// The calendar column of the main window: the title band with its four moves, and the grid of
// 37 day buttons laid out from the store for the month of the reference day.
class MonthView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kButtons = 37;
    static constexpr int kColumnWidth = 3555; // twips: the calendar column, title centred on it

    MonthView(DayBook& days, SearchPoint& point, Clock& clock, const StoreGuard& guard,
              QWidget* parent = nullptr);

    // FechaActual: the reference day; the month shown is its month.
    void setFechaActual(const QDate& day) { dFechaActual_ = day; }
    QDate dFechaActual() const { return dFechaActual_; }
    quint8 IndiceHoy() const { return IndiceHoy_; } // the day button drawn bold

    // Lays out the month of FechaActual from scratch.
    void MostrarMes();
    // Another program changed the days: the days shown take their marks as they now stand.
    void showStoredDays();
    // Gives the keyboard to the button that shows day, if the month shown has it.
    void focusDay(const QDate& day);

    void SSCmdMenosAnyo_Click();
    void SSCmdMenosMes_Click();
    void SSCmdMasMes_Click();
    void SSCmdMasAnyo_Click();

    // The reference day after moving by months and years, the day kept where the target month
    // has it and its last day otherwise; none outside the years 100 to 9999.
    static std::optional<QDate> moved(const QDate& from, int months, int years);

signals:
    void windowHeightRequested(int twips);
    void gridHeightRequested(int twips);
    void menuCaptionsChanged(const QString& month, const QString& year);
    // A button with a day was pressed; shownHoliday: the day was marked a holiday when the
    // month was drawn; withMouse: pressed with the mouse, not from the keyboard.
    void dayClicked(const QDate& day, bool shownHoliday, bool withMouse);
    void panelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void move(int months, int years);
    void moveTo(const QDate& day);
    void page(int from, int months, int years);
    void setTabStop(int index);
    void setPanelHeight(int twips);
    void dayButton_Click(int index);
    void step(int from, int days);

    DayBook& days_;
    SearchPoint& point_;
    Clock& clock_;
    const StoreGuard& guard_;

    QDate dFechaActual_;
    quint8 IndiceHoy_ = 0;
    std::array<std::optional<QDate>, kButtons> shownDays_{}; // the day each button shows
    std::array<bool, kButtons> shownHolidays_{};             // and whether it showed a holiday

    QLabel* lblMes_ = nullptr;
    MonthPanel* panel_ = nullptr;
    std::array<DayButton*, kButtons> buttons_{};
};
