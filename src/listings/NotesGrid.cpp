#include "listings/NotesGrid.h"

#include "listings/NoteDelegate.h"

NotesGrid::NotesGrid(QWidget* parent) : QTableView(parent), delegate_(new NoteDelegate(this))
{
    setItemDelegate(delegate_);
}

void NotesGrid::commitOpenEditor()
{
    QWidget* editor = delegate_->openEditor();
    if (editor && state() == EditingState) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}
