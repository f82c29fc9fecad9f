#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The store files this process has SQLite connections to, and the one way the program reads
// any file by its name.
//
// On POSIX systems closing any descriptor of a file drops every lock the process holds on it,
// SQLite's included: one look at a store's header by another path, while a connection is open,
// would let another program checkpoint and unlink its journal under it, and corrupt the file.
// So each held file keeps one descriptor of its own, opened before its first connection and
// closed after its last, and every read by name of a held file goes through that descriptor.
class HeldFiles
{
public:
    HeldFiles() = delete;

    // Kept by a connection for its whole life: while one lives, the file's descriptor stays
    // open. Taken before the connection opens (the file must exist then) and dropped after it
    // has closed.
    class Hold
    {
    public:
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        friend class HeldFiles;
        explicit Hold(int key) : key_(key) {}
        int key_;
    };
    // Null when the file cannot be opened (missing, or not a plain file): the connection's own
    // opening then says why.
    static std::unique_ptr<Hold> hold(const QString& path);

    // Whether path is, by any name, a file this process has a connection to, or the journal or
    // shared memory file SQLite keeps beside one: a file never to be written over.
    static bool isHeld(const QString& path);

    // What reading a file's beginning found.
    struct Reading
    {
        enum class Kind
        {
            File,      // bytes holds what was read
            Missing,   // nothing by that name
            Folder,    // a folder
            Pipe,      // a named pipe, which would block the reader
            Device,    // a character or block device
            Socket,    // a socket
            Special,   // any other kind of file
            Companion, // the journal or shared memory beside a held file, which SQLite locks
            Forbidden, // the system refused to open it (errorNumber says why)
            Failed     // the read itself failed (errorNumber says why)
        };
        Kind kind = Kind::Missing;
        QByteArray bytes;
        int errorNumber = 0;
        // The kind in the user's words, for a file that is not a plain one ("una carpeta");
        // empty for a plain file.
        QString kindInWords() const;
        // Why a file that could not be opened or read failed, in the user's words.
        QString failureInWords() const;
    };
    // Reads at most limit bytes from the start of path, without blocking on a pipe or a device
    // and, for a held file, through its own descriptor: never opening and closing one of a
    // file this process holds.
    static Reading read(const QString& path, qint64 limit);
};
