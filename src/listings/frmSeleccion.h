#pragma once

#include "listings/ListingPrinter.h"
#include "store/domain/SelectionCriteria.h"

#include <QString>
#include <QWidget>

#include <optional>

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
class SearchPoint;
class StoreGuard;

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

    frmSeleccion(NotesPanel& notes, SearchPoint& point, Printer& printer, MessageBoxes& boxes,
                 Clock& clock, const StoreGuard& guard, QWidget* parent = nullptr);

    // "Selección" of the main window.
    void mSeleccion_Click();

    void MaskDesde_GotFocus();
    void MaskHasta_GotFocus();
    void MaskDesde_LostFocus();
    void MaskHasta_LostFocus();
    // "&Pantalla" and "&Impresora": false, with the user told and nothing asked of the store,
    // when a date box holds no date.
    bool cmdPantalla_Click();
    bool Command2_Click(); // "&Impresora"
    void Command1_Click(); // "&Cerrar"
    void Command3_Click(); // "&Alguna"

    // The choices as they stand, with an empty "Desde" filled first; nothing (after saying
    // so) when a date box holds no date.
    std::optional<SelectionCriteria> selection();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool isEmptyDate(const QLineEdit* box);
    QString today() const;
    void fillWithEarliest();
    void refuseDate(QLineEdit* box);
    bool runListing(bool print);

    NotesPanel& notes_;
    SearchPoint& point_;
    ListingPrinter printer_;
    MessageBoxes& boxes_;
    Clock& clock_;
    const StoreGuard& guard_;
    bool refusing_ = false; // "Fecha erronea" is being shown

    QRadioButton* OptionAzul_ = nullptr;
    QRadioButton* OptionNegro_ = nullptr;
    QRadioButton* OptionVerde_ = nullptr;
    QCheckBox* CheckFestivo_ = nullptr;
    QCheckBox* CheckLaboral_ = nullptr;
    QLineEdit* MaskDesde_ = nullptr;
    QLineEdit* MaskHasta_ = nullptr;
    QLineEdit* txtNota_ = nullptr;
};
