#include "store/domain/OutsideWrites.h"

#include "store/sqlite/Database.h"

#include <QCryptographicHash>

OutsideWrites::OutsideWrites(Database& db, QObject* parent) : QObject(parent), db_(db) {}

void OutsideWrites::start()
{
    // The notitas are read at the first look, not while the store opens: opening reads no
    // more of the file than it must.
    version_ = dataVersion();
}

qint64 OutsideWrites::dataVersion()
{
    Statement& version = db_.cached(QStringLiteral("PRAGMA data_version"));
    version.step();
    const qint64 value = version.columnInt64(0);
    version.reset();
    return value;
}

QByteArray OutsideWrites::notitaDigest()
{
    QCryptographicHash digest(QCryptographicHash::Sha1);
    Statement& rows = db_.cached(
        QStringLiteral("SELECT indice, nota, \"Top\", \"Left\" FROM Nota ORDER BY rowid"));
    while (rows.step()) {
        for (int c = 0; c < 4; ++c) {
            digest.addData(rows.column(c).toString().toUtf8());
            digest.addData(QByteArrayView("\x1f", 1));
        }
        digest.addData(QByteArrayView("\x1e", 1));
    }
    return digest.result();
}

void OutsideWrites::check()
{
    const qint64 version = dataVersion();
    if (version == version_) {
        if (notitas_.isEmpty()) // not read yet
            notitas_ = notitaDigest();
        return;
    }
    version_ = version;
    // Which days changed is not told: finding out would read every day, which the windows
    // showing them do more cheaply themselves.
    StoreChanges changes;
    changes.days = true;
    const QByteArray notitas = notitaDigest();
    changes.notitas = notitas_.isEmpty() || notitas != notitas_;
    notitas_ = notitas;
    emit changed(changes);
}

void OutsideWrites::announce(const StoreChanges& changes)
{
    if (changes.notitas)
        notitas_ = notitaDigest();
    emit changed(changes);
}
