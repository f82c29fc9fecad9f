#pragma once

#include <QPoint>
#include <QPointF>
#include <QWidget>

#include <optional>

class MessageBoxes;
class NotitaBook;
class NoteBox;
class StoreGuard;
struct Notita;

// One notita window: a yellow text box floating on the desktop, bound to one stored notita,
// that writes its text and place to the store on every keystroke and when it loses the focus.
class frmNota : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 3030; // twips
    static constexpr int kClientHeight = 915;

    // slot: 1..10, the window's number among the notitas. The window has no parent: whoever
    // makes it deletes it, and deleting it saves nothing.
    frmNota(int slot, NotitaBook& notitas, MessageBoxes& boxes, const StoreGuard& guard,
            QWidget* parent = nullptr);
    ~frmNota() override;

    int slot() const { return slot_; }
    // The row of the notita shown; none while the window shows none.
    std::optional<qint64> boundRow() const { return row_; }
    QString text() const;

    // Shows a stored notita at its stored place. Nothing is written: the store already holds
    // what the window now shows.
    void bind(const Notita& notita);
    // Shows a new, empty notita at a place of the window's own, and writes that place at once:
    // a notita left empty comes back where it was made.
    void bindNew(qint64 row, const QPoint& outerTopLeft);
    // The user asked for this window (a new notita): it takes the keyboard, activated as the
    // user's own doing, so that the window manager gives it the focus.
    void takeKeyboard();
    // Shows no notita any more, and is hidden.
    void unbind();

    void Form_Load();
    void txtNota_Change();
    void txtNota_LostFocus();
    // Asks, then deletes the bound notita and hides the window. True when it deleted.
    bool txtNota_DblClick();

    // Writes the text and place to the bound notita, if there is one. A text the user has not
    // changed goes back as the store gave it; a window neither typed in nor moved since it was
    // bound writes nothing, the store holding all it shows. A row that another program deleted
    // is written again as a new notita, and a text it wrote meanwhile is kept beside the one
    // typed, so that nothing typed is lost and nothing is written over. Another program's
    // lock holds the write back until it is free (StoreGuard::write).
    void GuardarNotita();
    // Another program changed the store: the notita's row as it now stands (none when it was
    // deleted). A window the user has typed nothing unsaved into shows it; one in use keeps
    // what it shows, for its next save to keep both.
    void showStored(const std::optional<Notita>& stored);

    // Where the desktop tells the program where its windows are (not on Wayland): only there
    // is a notita's place written.
    static bool placesKnown();

    // The window's outer position (frame included) in twips; setting it moves the window.
    double Top() const;
    double Left() const;
    // True while the saves write back the place as the store holds it (which may lie off every
    // screen now), until the user moves the window.
    bool keepsStoredPlace() const { return storedPlace_.has_value(); }
    // The window's size with its frame; before the window manager has framed it, an allowance
    // for a frame and caption.
    QSize outerSize() const;

signals:
    // A delete left no notita in the store: there is nothing left to hide.
    void becameEmpty();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The text box's menu with "Eliminar notita" after its own commands; at: where it was asked
    // for, on the box's text area.
    void showContextMenu(const QPoint& at);
    void setTextQuietly(const QString& text);
    // The same for a text that changed elsewhere while the box may be typed into: the cursor
    // stays where the user is typing.
    void changeTextQuietly(const QString& text);
    void writeShown();
    void restorePlace(double top, double left);

    int slot_;
    NotitaBook& notitas_;
    MessageBoxes& boxes_;
    const StoreGuard& guard_;
    NoteBox* txtNota_ = nullptr;
    std::optional<qint64> row_;
    bool quiet_ = false;                 // the program, not the user, is changing the text
    std::optional<QPointF> storedPlace_; // (left, top) in twips, as the store holds it
    QPoint placedAt_;                    // outer position the stored place was shown at
    struct StoredText
    {
        QString stored; // as the store holds it
        QString shown;  // as the box showed it then
    };
    std::optional<StoredText> storedText_; // until the box shows another text
    // The text the row holds as far as this window knows (bound or last written), and the box's
    // text then: another text in the row was written by another program.
    std::optional<QString> lastStored_;
    QString lastShown_;
};
