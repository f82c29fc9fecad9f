#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

// Edits a note in the grid with the note's length limit, and remembers the open editor so
// that what is typed in it can be taken before the grid changes.
class NoteDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    QWidget* openEditor() const { return editor_; }

private:
    mutable QPointer<QWidget> editor_;
};
