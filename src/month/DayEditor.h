#pragma once

#include <QObject>
#include <QString>

class CalendarStore;
class Clock;
class MessageBoxes;
class MonthView;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;
class Spinner;

// The editor of one day under the month grid: its note, holiday mark, colour and alarm time,
// loaded from the day's row (or defaults) when its button is pressed and written by "Aplicar".
class DayEditor : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxNote = 255;

    DayEditor(MonthView& month, Clock& clock, MessageBoxes& boxes, QWidget* client,
              QObject* parent = nullptr);

    void setStore(CalendarStore* store) { store_ = store; }
    void setImageHeight(int twips);
    // The main window's outer height in twips: the editor is open exactly at kOpenHeight.
    void setWindowHeight(int twips) { windowHeight_ = twips; }
    bool isOpen() const { return windowHeight_ == kOpenHeight; }

    static constexpr int kOpenHeight = 6450;

    void SScmdDia_Click(int index);
    // Returns false, with the editor left open and nothing written, when the alarm is on and
    // its time cannot be read.
    bool SSCmdAplicar_Click();
    void SScmdCerrar_Click();
    void txtHora_Change();
    void txtHora_GotFocus();
    void txtHora_LostFocus();
    void txtMinuto_Change();
    void txtMinuto_GotFocus();
    void txtMinuto_LostFocus();
    void VScrollHora_Change();
    void VScrollMinuto_Change();

    QString FechaSeleccionada; // the open day, e.g. "5/enero/1997"; empty until a day is pressed

    QFrame* FrameColores = nullptr;
    QRadioButton* SSOptionAzul1 = nullptr;
    QRadioButton* SSOptionNegro9 = nullptr;
    QRadioButton* SSOptionGris5 = nullptr;
    QRadioButton* SSOptionVerde13 = nullptr;
    QCheckBox* SSCheckFestivo = nullptr;
    QLabel* lblFecha = nullptr;
    QFrame* FrameAlarma = nullptr;
    QCheckBox* ssCheckAlarma = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    QLineEdit* txtHora = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtMinuto = nullptr;
    QLabel* Label3 = nullptr;
    Spinner* VScrollHora = nullptr;
    Spinner* VScrollMinuto = nullptr;
    QPlainTextEdit* txtNota1 = nullptr;
    QPushButton* SScmdAplicar = nullptr;
    QPushButton* SScmdCerrar = nullptr;

signals:
    void windowHeightRequested(int twips);
    void gridHeightRequested(int twips);
    // A day was written: the notes list is to be shown again with every note.
    void saved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCurrentTime();
    void setHourAndMinute(const QString& hour, const QString& minute);
    void keepFocusIfOutOfRange(QLineEdit* box, int highest);
    int selectedColor() const;

    MonthView& month_;
    Clock& clock_;
    MessageBoxes& boxes_;
    CalendarStore* store_ = nullptr;
    int windowHeight_ = 0;
};
