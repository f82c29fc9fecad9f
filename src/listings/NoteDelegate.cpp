#include "listings/NoteDelegate.h"

#include "listings/ListingModel.h"

#include <QLineEdit>

QWidget* NoteDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setMaxLength(ListingModel::kMaxNote);
    editor_ = editor;
    return editor;
}
