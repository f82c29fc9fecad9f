#pragma once

#include <QObject>
#include <QString>

class CalendarStore;
class ListingModel;
class NotesGrid;
class QFrame;
class QLabel;
class QWidget;

// The notes list beside the calendar: a grid of days and notes with a caption bar, showing
// the latest listing; shown by widening the main window and hidden by narrowing it.
class NotesPanel : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFechaWidth = 930; // twips
    static constexpr int kNotaWidth = 2745; // twips

    explicit NotesPanel(QWidget* client, QObject* parent = nullptr);

    void setStore(CalendarStore* store);

    // Runs a listing query, puts its rows and "count + suffix" into the grid, and shows it.
    void MostrarListado(const QString& query, const QString& suffix);
    void mVerNotas_Click();
    void mOcultarNotas_Click();
    // Writes a note typed into the grid and not yet written; run before the program ends.
    void commitPendingEdit();

    void setGridHeight(int twips);
    int gridHeight() const { return gridHeight_; } // twips
    int recordCount() const;                       // of the listing shown

    QFrame* DBGridCalendar = nullptr; // the grid with its caption bar
    QLabel* caption = nullptr;
    NotesGrid* table = nullptr;
    ListingModel* model = nullptr;

signals:
    // The main window widens (7500) and offers "Ocultar notas", or narrows and offers "Ver notas".
    void shown();
    void hidden();

private:
    CalendarStore* store_ = nullptr;
    int gridHeight_ = 5835;
};
