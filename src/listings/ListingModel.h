#pragma once

#include <QAbstractTableModel>

#include <map>
#include <set>

class DayBook;
class NoteListing;
class StoreGuard;

// The rows of the latest listing as the notes grid shows them: "Fecha" as dd/mm/yy and "Nota",
// only the note editable. An edited note waits in the day book until the user leaves its row,
// and is written then (or before anything else reads or writes its day).
class ListingModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    ListingModel(NoteListing& listing, DayBook& days, const StoreGuard& guard,
                 QObject* parent = nullptr);

    // The listing was replaced: show it.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    bool hasPendingEdit() const { return !edited_.empty(); }
    // Writes every edit held; after this nothing typed is only on screen. Throws StoreError.
    void commitPending();
    void commitRow(int row);
    // The user left row: its edit is written by the next commitLeft(), which writes every row
    // left so far (those another program's lock held back with them).
    void leave(int row);
    void commitLeft();

private:
    // A row's day and note, read through the guard: the view asks from its paint events.
    QDate dateAt(int row) const;
    QString noteAt(int row) const;

    NoteListing& listing_;
    DayBook& days_;
    const StoreGuard& guard_;
    std::map<int, QString> edited_; // row -> note typed and not yet written by this grid
    std::set<int> left_;            // rows of edited_ the user has left
};
