#pragma once

#include "listings/ListingPrinter.h"
#include "listings/SelectionQuery.h"

#include <QString>
#include <QWidget>

#include <optional>

class CalendarStore;
class Clock;
class MessageBoxes;
class NotesPanel;
class Printer;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The "Seleccionar..." window: picks the days of a date range by holiday mark, colour and a
// word of their note, and lists them in the notes panel or on the printer. Closing it only
// hides it, so the next "Selección" finds the choices as they were left.
class frmSeleccion : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 4215;  // twips
    static constexpr int kClientHeight = 1905; // twips
    static constexpr const char* kDateMask = "99/99/9999;_";
    static constexpr const char* kEmptyDate = "__/__/____";

    frmSeleccion(NotesPanel& notes, Printer& printer, MessageBoxes& boxes, Clock& clock,
                 QWidget* parent = nullptr);

    void setStore(CalendarStore* store) { store_ = store; }

    // "Selección" of the main window.
    void mSeleccion_Click();

    void MaskDesde_GotFocus();
    void MaskHasta_GotFocus();
    void MaskDesde_LostFocus();
    void MaskHasta_LostFocus();
    // "&Pantalla" and "&Impresora": false, with the user told and nothing asked of the store,
    // when a date box holds no date.
    bool cmdPantalla_Click();
    bool Command2_Click();
    void Command1_Click();
    void Command3_Click();

    // The choices as they stand, with an empty "Desde" filled first; nothing (after saying
    // so) when a date box holds no date.
    std::optional<SelectionQuery> selection();

    QGroupBox* Frame1 = nullptr;
    QRadioButton* OptionAzul = nullptr;
    QRadioButton* OptionNegro = nullptr;
    QRadioButton* Option1 = nullptr; // "Todos"
    QRadioButton* OptionVerde = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* CheckFestivo = nullptr;
    QCheckBox* CheckLaboral = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* MaskDesde = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* MaskHasta = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLineEdit* txtNota = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* cmdPantalla = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool isEmptyDate(const QLineEdit* box);
    QString today() const;
    void fillWithEarliest();
    void refuseDate(QLineEdit* box);
    bool runListing(bool print);

    NotesPanel& notes_;
    ListingPrinter printer_;
    MessageBoxes& boxes_;
    Clock& clock_;
    CalendarStore* store_ = nullptr;
    bool refusing_ = false; // "Fecha erronea" is being shown
};
