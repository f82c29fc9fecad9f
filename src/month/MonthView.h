#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <optional>

class CalendarStore;
class Clock;
class DayButton;
class MonthPanel;
class QLabel;
class QPushButton;
class QWidget;

// The month column of the main window: the title band with its four moves, and the grid of 37
// day buttons laid out from the store for the month of the reference day.
class MonthView : public QObject
{
    Q_OBJECT
public:
    static constexpr int kButtons = 37;
    static constexpr int kColumnWidth = 3555; // twips: the calendar column, title centred on it

    // Builds the controls on the main window's client area.
    MonthView(Clock& clock, QWidget* client, QObject* parent = nullptr);

    void setStore(CalendarStore* store) { store_ = store; }

    // Lays out the month of FechaActual from scratch.
    void MostrarMes();

    void SSCmdMenosAnyo_Click();
    void SSCmdMenosMes_Click();
    void SSCmdMasMes_Click();
    void SSCmdMasAnyo_Click();

    // The reference day after moving by months and years from dFechaActual, the day kept where
    // the target month has it and its last day otherwise; none outside years 100 to 9999.
    static std::optional<double> moved(double from, int months, int years);

    DayButton* SScmdDia(int index) const { return buttons_[index]; }
    MonthPanel* SSPanel1() const { return panel_; }
    QLabel* lblMes() const { return lblMes_; }
    int lblMesLeft() const { return lblMesLeft_; }   // twips
    int panelHeight() const { return panelHeight_; } // twips

    QString FechaActual;     // reference day, "dd/mm/yyyy"
    double dFechaActual = 0; // the same as a date value
    quint8 IndiceHoy = 0;    // the day button drawn bold

signals:
    void windowHeightRequested(int twips);
    void gridHeightRequested(int twips);
    void menuCaptionsChanged(const QString& month, const QString& year);
    void dayClicked(int index);
    void panelClicked();

private:
    void move(int months, int years);
    void setPanelHeight(int twips);

    Clock& clock_;
    CalendarStore* store_ = nullptr;

    QLabel* lblFondo_ = nullptr;
    QLabel* lblMes_ = nullptr;
    QPushButton* SSCmdMenosAnyo_ = nullptr;
    QPushButton* SSCmdMenosMes_ = nullptr;
    QPushButton* SSCmdMasMes_ = nullptr;
    QPushButton* SSCmdMasAnyo_ = nullptr;
    MonthPanel* panel_ = nullptr;
    std::array<DayButton*, kButtons> buttons_{};
    int lblMesLeft_ = 1620;
    int panelHeight_ = 3015;
};
