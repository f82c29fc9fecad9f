#pragma once

#include <QPoint>
#include <QPointF>
#include <QWidget>

#include <optional>

class CalendarStore;
class MessageBoxes;
class QLineEdit;
class QPlainTextEdit;

// One notita window: a yellow text box floating on the desktop, bound to one row of the table
// Nota through its indice, that writes its text and place to that row on every keystroke.
class frmNota : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 3030; // twips
    static constexpr int kClientHeight = 915;
    // The counter of rows is a byte, as the window slots never need more.
    static constexpr int kMaxCount = 255;

    // slot: 1..10, the window's number among the notitas. The window has no parent: whoever
    // makes it deletes it, and deleting it saves nothing.
    frmNota(int slot, CalendarStore& store, MessageBoxes& boxes, QWidget* parent = nullptr);
    ~frmNota() override;

    int slot() const { return slot_; }

    void Form_Load();
    void txtNota_Change();
    void txtNota_LostFocus();
    // Asks, then deletes the bound row and hides the window. Returns true when it deleted.
    bool txtNota_DblClick();

    // Rows of Nota, counted by walking rsNota to its end (it is left there); at most kMaxCount.
    int ContarNotitas() const;
    static int ContarNotitas(CalendarStore& store);
    // Writes the text and place to the bound row, if there is one. Moves rsNota.
    void GuardarNotita();

    // The window's outer position (frame included) in twips; setting it moves the window.
    double Top() const;
    double Left() const;
    void setTop(double twips);
    void setLeft(double twips);
    // Puts the window where the store says the bound row stands. A place that lies outside
    // every screen available now is shown inside the nearest one instead; either way the
    // saves write the stored place back as it was until the window is moved from there.
    void restorePlace(double top, double left);
    // True while the saves write the stored place rather than the window's own.
    bool keepsStoredPlace() const { return storedPlace_.has_value(); }

    QLineEdit* txtIndice = nullptr;
    QPlainTextEdit* txtNota = nullptr;

signals:
    // A delete left the table without rows: nothing is left to hide.
    void becameEmpty();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The bound row's indice as a number; none for an empty or unreadable txtIndice.
    std::optional<double> boundIndice() const;
    static bool matches(const QVariant& indice, std::optional<double> bound);

    int slot_;
    CalendarStore& store_;
    MessageBoxes& boxes_;
    std::optional<QPointF> storedPlace_; // (left, top) in twips, as the row holds it
    QPoint placedAt_;                    // outer position the stored place was shown at
};
