#pragma once

#include "store/domain/Notita.h"
#include "store/sqlite/Statement.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

class Database;

// The stored notitas in table order (a new one comes last): counting them, reading them,
// adding an empty one, saving one's text and place, and deleting one.
class NotitaBook
{
public:
    // The count is kept in a byte, as the ten windows never need more.
    static constexpr int kMaxCount = 255;

    explicit NotitaBook(Database& db);

    int count();
    // The first rows in table order, at most limit of them. Rows another program left without
    // a number of their own are numbered first, so that every notita shown can be saved.
    std::vector<Notita> first(int limit);
    std::optional<Notita> last();
    std::optional<Notita> read(qint64 row);
    // Adds an empty notita at the end and returns its row; a table whose counter the store
    // does not fill by itself gets the next number.
    qint64 add();
    // Adds a notita made elsewhere (another machine's, through a sync) at the end, with its own
    // identity, text and place; returns its row. Writes inside the caller's transaction.
    qint64 addKnown(const QString& uid, const QString& text, double top, double left);
    // Adds a notita brought in from elsewhere (an older calendar) at the end with its text and
    // place, and a number of this store's; returns its row. Writes inside the caller's
    // transaction; its identity is made when first asked for.
    qint64 addPlaced(const QString& text, double top, double left);
    // Writes the text and place of the notita's row; false when the row is gone.
    bool save(const Notita& notita);
    // Writes the text alone, the place left as stored (a desktop that does not tell where its
    // windows are); false when the row is gone.
    bool saveText(qint64 row, const QString& text);
    // Deletes the row; false when it was already gone.
    bool remove(qint64 row);
    // Every notita's identity, by row: a UID of its own ("<uuid>@tarvelo"), made the first time
    // it is asked for and kept from then on, so that the notitas of two calendars never pass
    // for each other elsewhere. Kept in a table beside Nota, made when missing, so that every
    // store, whichever program made it, opens as it did. Only reads once every notita has
    // one; a store open for reading only gets identities that follow from the numbers.
    std::map<qint64, QString> identities();

private:
    Statement& statement(const QString& sql);
    void numberUnnumbered();
    qint64 insertRow(); // an empty row at the end, with its number
    void makeIdentityTable();
    std::map<qint64, QString> readIdentities();
    qint64 giveNumber(qint64 rowid); // the next free number, given to the row; returns it
    static Notita notitaOf(const Statement& row);

    Database& db_;
    std::map<QString, Statement> statements_;
};
