#include "listings/ListingModel.h"

#include "platform/Fonts.h"
#include "store/domain/Day.h"
#include "store/domain/DayBook.h"
#include "store/domain/StoreGuard.h"
#include "store/jet/DatePattern.h"
#include "store/listings/NoteListing.h"
#include "store/sqlite/StoreError.h"
#include "widgets/Colours.h"

#include <QFont>

#include <algorithm>
#include <vector>

ListingModel::ListingModel(NoteListing& listing, DayBook& days, const StoreGuard& guard,
                           QObject* parent)
    : QAbstractTableModel(parent), listing_(listing), days_(days), guard_(guard)
{
    days_.setPendingNotes(this);
}

ListingModel::~ListingModel()
{
    if (days_.pendingNotes() == this)
        days_.setPendingNotes(nullptr);
}

QDate ListingModel::dateAt(int row) const
{
    QDate date;
    guard_.run([&] { date = listing_.dateAt(row); });
    return date;
}

bool ListingModel::fromCalendar(int row) const
{
    return listing_.fromCalendar(row);
}

QString ListingModel::noteAt(int row) const
{
    QString note;
    guard_.run([&] { note = listing_.noteAt(row); });
    return note;
}

void ListingModel::reload()
{
    beginResetModel();
    edited_.clear();
    left_.clear();
    endResetModel();
}

int ListingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : listing_.recordCount();
}

int ListingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ListingModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::AccessibleTextRole) {
        // Read aloud, a row says its whole date and its note.
        const QDate date = dateAt(index.row());
        if (index.column() == 0) {
            return date.isValid()
                       ? QVariant(DatePattern::weekdayName(date.dayOfWeek() % 7 + 1) +
                                  QLatin1Char(' ') + QString::number(date.day()) +
                                  QStringLiteral(" de ") + DatePattern::monthName(date.month()) +
                                  QStringLiteral(" de ") + QString::number(date.year()))
                       : QVariant();
        }
        const QString note = data(index, Qt::DisplayRole).toString();
        if (fromCalendar(index.row()))
            return note + QStringLiteral(", solo lectura");
        return note.isEmpty() ? QStringLiteral("sin nota") : note;
    }
    if (role == Qt::FontRole || role == Qt::ForegroundRole || role == Qt::ToolTipRole) {
        // What another program's repeating event shows is set apart from the days' own notes.
        if (!fromCalendar(index.row()))
            return {};
        if (role == Qt::ToolTipRole)
            return QStringLiteral("Evento repetido del calendario del servidor: se cambia en el "
                                  "programa que lo creó, no aquí.");
        if (role == Qt::ForegroundRole)
            return Colours::delCalendario();
        QFont italic = Fonts::sansSerif(8.25, true);
        italic.setItalic(true);
        return italic;
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (index.column() == 0) {
        const QDate date = dateAt(index.row());
        return date.isValid() ? QVariant(DatePattern::format(DatePattern::fromDate(date),
                                                             QStringLiteral("dd/mm/yy")))
                              : QVariant();
    }
    const auto it = edited_.find(index.row());
    return it != edited_.end() ? it->second : noteAt(index.row());
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
    // Only the note can be edited: a changed date would move a day onto another day. What the
    // calendar's repeating events show is theirs, never the day's.
    if (index.isValid() && index.column() == 1 && dateAt(index.row()).isValid() &&
        !fromCalendar(index.row()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool ListingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    // No longer than a note can be typed, unless the stored note already is: a note written
    // longer by another program may be edited without losing its end.
    const qsizetype limit = std::max<qsizetype>(Day::kMaxNote, noteAt(index.row()).size());
    const QString text = value.toString().left(limit);
    if (text == data(index, Qt::EditRole).toString())
        return true;
    // The note the user began from is the one listed before the first of their edits.
    if (!edited_.count(index.row()))
        listed_[index.row()] = noteAt(index.row());
    edited_[index.row()] = text;
    emit dataChanged(index, index);
    return true;
}

void ListingModel::commitRow(int row)
{
    const auto it = edited_.find(row);
    if (it == edited_.end())
        return;
    const QString text = it->second;
    const QDate date = listing_.dateAt(row);
    const auto base = listed_.find(row);
    const std::optional<QString> listed =
        base != listed_.end() ? std::optional<QString>(base->second) : std::nullopt;
    const auto forget = [this, row] {
        edited_.erase(row);
        listed_.erase(row);
        left_.erase(row);
    };
    try {
        days_.writeNote(date, text, listed);
    } catch (const StoreError& error) {
        // A write another program's lock holds off is tried again; any other failure is
        // reported once, not again by every later read.
        if (!error.busy())
            forget();
        throw;
    }
    forget();
    // The note written may hold another program's beside the one typed.
    const std::optional<Day> written = days_.find(date);
    listing_.noteWritten(row, written ? written->note : text);
}

void ListingModel::leave(int row)
{
    if (edited_.count(row))
        left_.insert(row);
}

void ListingModel::commitLeft()
{
    while (!left_.empty())
        commitRow(*left_.begin());
}

void ListingModel::writePending(const QDate& first, const QDate& last)
{
    std::vector<int> rows;
    for (const auto& [row, note] : edited_) {
        const QDate date = listing_.dateAt(row);
        if (!first.isValid() || (date >= first && date <= last))
            rows.push_back(row);
    }
    for (int row : rows)
        commitRow(row);
}

std::optional<QString> ListingModel::pendingNote(const QDate& date) const
{
    for (const auto& [row, note] : edited_) {
        if (listing_.dateAt(row) == date)
            return note;
    }
    return std::nullopt;
}

void ListingModel::commitPending()
{
    while (!edited_.empty())
        commitRow(edited_.begin()->first);
}
