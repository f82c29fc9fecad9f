#pragma once

class Database;

// Several writes that stand or fall together: begun at once with the write lock taken, rolled
// back unless committed before it goes out of scope.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& db_;
    bool open_ = true;
};
