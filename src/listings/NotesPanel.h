#pragma once

#include <QFrame>
#include <QString>

class CalendarStore;
class NoteListing;
class ListingModel;
class NotesGrid;
class QLabel;
class QTimer;
class StoreGuard;

// The notes list beside the calendar: a grid of days and notes under a caption bar, showing
// the latest listing; the main window shows it by widening and hides it by narrowing.
class NotesPanel : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kFechaWidth = 930; // twips
    static constexpr int kNotaWidth = 2745; // twips

    NotesPanel(CalendarStore& store, const StoreGuard& guard, QWidget* parent = nullptr);

    // Runs a listing query, puts its rows and "count + suffix" into the grid, and shows it;
    // false when the store failed.
    bool MostrarListado(const QString& query, const QString& suffix);
    void mVerNotas_Click();
    // The days changed under the listing shown (an import): it is run again, if one is shown.
    void refresh();
    // Another program changed the days: the listing shown is run again, unless a note is
    // being typed into it.
    void showStoredNotes();
    void mOcultarNotas_Click();
    // Writes a note typed into the grid and not yet written; run before the program ends.
    void commitPendingEdit();

    void setGridHeight(int twips);
    int recordCount() const; // of the listing shown
    const NoteListing& listing() const;

signals:
    // The main window widens (7500) and offers "Ocultar notas", or narrows and offers "Ver notas".
    void shown();
    void hidden();

private:
    CalendarStore& store_;
    const StoreGuard& guard_;
    QString query_; // the listing shown, to run again on refresh()
    QString suffix_;
    QLabel* caption_ = nullptr;
    NotesGrid* table_ = nullptr;
    ListingModel* model_ = nullptr;
    QTimer* gather_ = nullptr; // gathers the rest of a long listing's days, a slice a turn
};
