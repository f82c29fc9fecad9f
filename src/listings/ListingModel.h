#pragma once

#include "store/domain/DayBook.h"

#include <QAbstractTableModel>

#include <map>
#include <set>

class NoteListing;
class StoreGuard;

// The rows of the latest listing as the notes grid shows them: "Fecha" as dd/mm/yy and "Nota",
// only the note editable. An edited note waits here until the user leaves its row, and is
// written then, or when the day book is about to read or write its day.
class ListingModel : public QAbstractTableModel, private DayBook::PendingNotes
{
    Q_OBJECT
public:
    ListingModel(NoteListing& listing, DayBook& days, const StoreGuard& guard,
                 QObject* parent = nullptr);
    ~ListingModel() override;

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
    void writePending(const QDate& first, const QDate& last) override;
    std::optional<QString> pendingNote(const QDate& date) const override;
    // A row's day and note, read through the guard: the view asks from its paint events.
    QDate dateAt(int row) const;
    QString noteAt(int row) const;
    // The row shows what the calendar's repeating event shows: read only.
    bool fromCalendar(int row) const;

    NoteListing& listing_;
    DayBook& days_;
    const StoreGuard& guard_;
    std::map<int, QString> edited_; // row -> note typed and not yet written by this grid
    std::map<int, QString> listed_; // row -> note listed when the user began editing it
    std::set<int> left_;            // rows of edited_ the user has left
};
