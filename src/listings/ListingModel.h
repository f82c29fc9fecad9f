#pragma once

#include <QAbstractTableModel>

#include <map>

class CalendarStore;

// The rows of the latest listing as the notes grid shows them: "Fecha" as dd/mm/yy and "Nota",
// only the note editable. An edited note is held until the user leaves its row, then written.
class ListingModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kMaxNote = 255;

    explicit ListingModel(QObject* parent = nullptr);

    void setStore(CalendarStore* store);
    // The listing in the store was replaced: show it.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    bool hasPendingEdit() const { return !pending_.empty(); }
    // Writes every held edit to the store; after this nothing typed is only on screen.
    void commitPending();
    void commitRow(int row);

private:
    int fechaColumn() const;
    int notaColumn() const;

    CalendarStore* store_ = nullptr;
    std::map<int, QString> pending_; // row -> note typed and not yet written
};
