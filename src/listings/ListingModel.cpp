#include "listings/ListingModel.h"

#include "store/CalendarStore.h"
#include "store/DatePattern.h"

ListingModel::ListingModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListingModel::setStore(CalendarStore* store)
{
    beginResetModel();
    store_ = store;
    pending_.clear();
    endResetModel();
}

void ListingModel::reload()
{
    beginResetModel();
    pending_.clear();
    endResetModel();
}

int ListingModel::fechaColumn() const
{
    return store_ ? store_->rsLista.columnIndex(QStringLiteral("fecha")) : -1;
}

int ListingModel::notaColumn() const
{
    return store_ ? store_->rsLista.columnIndex(QStringLiteral("nota")) : -1;
}

int ListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !store_ ? 0 : store_->rsLista.recordCount();
}

int ListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ListingModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !store_ || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (index.column() == 0) {
        const int c = fechaColumn();
        if (c < 0)
            return {};
        const QVariant fecha = store_->rsLista.at(index.row(), c);
        return fecha.isNull()
                   ? QVariant()
                   : QVariant(DatePattern::format(fecha.toDouble(), QStringLiteral("dd/mm/yy")));
    }
    const auto it = pending_.find(index.row());
    if (it != pending_.end())
        return it->second;
    const int c = notaColumn();
    return c < 0 ? QVariant() : QVariant(store_->rsLista.at(index.row(), c).toString());
}

QVariant ListingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? QStringLiteral("Fecha") : QStringLiteral("Nota");
}

Qt::ItemFlags ListingModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    // Only the note can be edited: a changed date would move a day onto another day.
    if (index.isValid() && index.column() == 1 && fechaColumn() >= 0 && notaColumn() >= 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool ListingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString text = value.toString().left(kMaxNote);
    if (text == data(index, Qt::EditRole).toString())
        return true;
    pending_[index.row()] = text;
    emit dataChanged(index, index);
    return true;
}

void ListingModel::commitRow(int row)
{
    const auto it = pending_.find(row);
    if (it == pending_.end() || !store_)
        return;
    const QString text = it->second;
    pending_.erase(it);
    const double fecha = store_->rsLista.at(row, fechaColumn()).toDouble();
    store_->writeNote(fecha, text);
    store_->rsLista.setAt(row, notaColumn(), text);
}

void ListingModel::commitPending()
{
    while (!pending_.empty())
        commitRow(pending_.begin()->first);
}
