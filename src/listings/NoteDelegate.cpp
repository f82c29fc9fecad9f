#include "listings/NoteDelegate.h"

#include "store/domain/Day.h"

#include <QLineEdit>

QWidget* NoteDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // What the user types is limited; a longer note stored by another program is shown
        // and kept whole.
        const int stored = int(index.data(Qt::EditRole).toString().size());
        line->setMaxLength(std::max(Day::kMaxNote, stored));
    }
    editor_ = editor;
    return editor;
}
