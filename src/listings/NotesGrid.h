#pragma once

#include <QTableView>

class NoteDelegate;

// The table of the notes list: a note being typed in its cell editor can be taken into the
// model on demand, not only when the editor closes by itself.
class NotesGrid : public QTableView
{
    Q_OBJECT
public:
    explicit NotesGrid(QWidget* parent = nullptr);

    void commitOpenEditor();
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

private:
    NoteDelegate* delegate_;
};
