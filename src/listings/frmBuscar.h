#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class SearchPoint;
class StoreGuard;

// The search window: finds, backwards or forwards from the search's point, the next day whose
// note holds a text, and shows that day with the text selected in its note.
class frmBuscar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 4260;  // twips
    static constexpr int kClientHeight = 2085; // twips

    frmBuscar(SearchPoint& point, const StoreGuard& guard, QWidget* parent = nullptr);

    // "Buscar" of the main window: shows the window, or brings it forward when already open.
    void showAndRaise();

    void cmdComenzar_Click();
    void cmdSiguiente_Click();
    void cmdCancelar_Click();

    // The text looked for as "&Buscar" prepared it; the last note compared as it was compared;
    // the 1-based place of the text in it (0 when none).
    const QString& TextoBuscado() const { return TextoBuscado_; }
    const QString& TextoNota() const { return TextoNota_; }
    int Posicion() const { return Posicion_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void search(bool fromTheEnd);
    bool backwards() const;

    SearchPoint& point_;
    const StoreGuard& guard_;
    QString TextoBuscado_;
    QString TextoNota_;
    int Posicion_ = 0;

    QLineEdit* txtBuscar_ = nullptr;
    QPushButton* cmdComenzar_ = nullptr;
    QCheckBox* SSCheckMm_ = nullptr;
    QRadioButton* SSOptionAtras_ = nullptr;
    QGroupBox* SSFrameHallado_ = nullptr;
    QPlainTextEdit* txtHallado_ = nullptr;
};
