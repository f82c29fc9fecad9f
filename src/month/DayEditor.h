#pragma once

#include "store/domain/CalendarOccurrence.h"
#include "store/domain/Day.h"
#include "store/domain/DayColour.h"

#include <QDate>
#include <QWidget>

#include <array>
#include <optional>
#include <utility>
#include <vector>

class Clock;
class DayBook;
class MessageBoxes;
class NoteBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QShortcut;
class SearchPoint;
class Spinner;
class StoreGuard;

// The editor of one day under the month grid: its note, holiday mark, colour and alarm time,
// loaded from the store (or defaults) when its day button is pressed and written by "Aplicar".
class DayEditor : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kOpenHeight = 6450; // the main window's outer height, twips

    DayEditor(DayBook& days, SearchPoint& point, Clock& clock, MessageBoxes& boxes,
              const StoreGuard& guard, QWidget* parent = nullptr);

    // The main window's outer height in twips: the editor is open exactly at kOpenHeight.
    void setWindowHeight(int twips);
    bool isOpen() const { return windowHeight_ == kOpenHeight; }
    void setImageHeight(int twips);

    // The open day; none until a day is pressed.
    std::optional<QDate> FechaSeleccionada() const { return FechaSeleccionada_; }

    // A day button was pressed; shownHoliday: the month showed the day as a holiday. A day
    // opened with the mouse gives its note the keyboard; from the keyboard, the keyboard stays
    // on the day, its note one Tab away.
    void SScmdDia_Click(const QDate& day, bool shownHoliday, bool withMouse = false);
    // False, with the editor left open and nothing written, when there is no open day, the
    // alarm is on and its time cannot be read, or the store failed.
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
    // Another program changed the store: an open day the user has changed nothing of shows
    // the day as it now stands.
    void showStoredDay();

signals:
    void windowHeightRequested(int twips);
    void gridHeightRequested(int twips);
    // A day was written: the notes are to be listed again and the month redrawn.
    void saved();
    // The editor is closing with the keyboard in it: the keyboard goes back to the open day.
    void keyboardReturned(const QDate& day);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads the day from the store and shows it; false when the store could not be read.
    bool loadDay(const QDate& day, bool shownHoliday);
    void showDay(const QDate& day, const std::optional<Day>& stored, bool shownHoliday);
    // What the calendar's repeating events show on the open day, read only under its note.
    void showFromCalendar(const std::vector<CalendarOccurrence>& occurrences);
    // Every control's value, to tell whether the user has changed any since the day loaded.
    QString editorState() const;
    void showNote(const QString& note);
    void showCurrentTime();
    void setHourAndMinute(int hour, int minute);
    void keepFocusIfOutOfRange(QLineEdit* box, int highest);
    std::optional<DayColour> selectedColour() const;
    void keepOneColourStop();

    DayBook& days_;
    SearchPoint& point_;
    Clock& clock_;
    MessageBoxes& boxes_;
    const StoreGuard& guard_;
    int windowHeight_ = 0;
    std::optional<QDate> FechaSeleccionada_;
    // The open day's note as stored, and as the box showed it: a note the user leaves as shown
    // is written back as stored (the box turns CR LF into one line break).
    QString loadedNote_;
    QString shownNote_;
    QString loadedState_;
    bool openShownHoliday_ = false;

    std::array<std::pair<DayColour, QRadioButton*>, 4> colourOptions_{};
    QCheckBox* SSCheckFestivo_ = nullptr;
    QLabel* lblFecha_ = nullptr;
    QCheckBox* ssCheckAlarma_ = nullptr;
    QLabel* Image1_ = nullptr;
    QLineEdit* txtHora_ = nullptr;
    QLineEdit* txtMinuto_ = nullptr;
    Spinner* VScrollHora_ = nullptr;
    Spinner* VScrollMinuto_ = nullptr;
    NoteBox* txtNota1_ = nullptr;
    QLabel* lblCalendario_ = nullptr;
    QShortcut* escape_ = nullptr;
};
