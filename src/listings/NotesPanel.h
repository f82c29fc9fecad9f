#pragma once

#include <QObject>

class QFrame;
class QLabel;
class QTableView;
class QWidget;

// The notes list beside the calendar: a grid of days and notes with a caption bar, showing
// the latest listing.
class NotesPanel : public QObject
{
    Q_OBJECT
public:
    explicit NotesPanel(QWidget* client, QObject* parent = nullptr);

    void setGridHeight(int twips);
    int gridHeight() const { return gridHeight_; } // twips

    QFrame* DBGridCalendar = nullptr; // the grid with its caption bar
    QLabel* caption = nullptr;
    QTableView* table = nullptr;

private:
    int gridHeight_ = 5835;
};
