#pragma once

#include <QString>
#include <QWidget>

class CalendarStore;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The search window: walks the shared day cursor backwards or forwards to the next day whose
// note holds a text, and shows that day with the text selected in its note.
class frmBuscar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 4260;  // twips
    static constexpr int kClientHeight = 2085; // twips

    explicit frmBuscar(CalendarStore* store = nullptr, QWidget* parent = nullptr);

    void setStore(CalendarStore* store) { store_ = store; }

    // "Buscar" of the main window: shows the window, or brings it forward when already open.
    void showAndRaise();

    void cmdComenzar_Click();
    void cmdSiguiente_Click();
    void cmdCancelar_Click();

    // Compares the note of rsCalendar's current row with TextoBuscado, setting TextoNota and
    // Posicion; true on a match.
    bool CompararNota();

    // Upper case as the search compares it: like QString::toUpper, but one character for one,
    // so that a position found in the upper-cased note is the same in the stored note.
    static QString upperCase(const QString& text);

    QString TextoBuscado;
    QString TextoNota;
    int Posicion = 0;

    QLabel* Label1 = nullptr;
    QLineEdit* txtBuscar = nullptr;
    QCheckBox* SSCheckMm = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* SSOptionAtras = nullptr;
    QRadioButton* SSOptionDelante = nullptr;
    QPushButton* cmdComenzar = nullptr;
    QPushButton* cmdSiguiente = nullptr;
    QPushButton* cmdCancelar = nullptr;
    QFrame* Line1 = nullptr;
    QGroupBox* SSFrameHallado = nullptr;
    QPlainTextEdit* txtHallado = nullptr;

private:
    // From the current row on, compares row after row in the chosen direction; true when a
    // match was found and shown, false when the cursor ran off the table.
    bool searchFromCurrent(bool backwards);
    void showMatch();

    CalendarStore* store_ = nullptr;
};
