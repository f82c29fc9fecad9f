#include "store/sqlite/HeldFiles.h"

#include "store/sqlite/FailureCause.h"

#include <QFile>

#include <sqlite3.h>

#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX

using FileId = std::pair<dev_t, ino_t>;

struct Entry
{
    std::vector<int> descriptors; // the first is read through; any other came by a race
    int holds = 0;
};

struct Registry
{
    std::mutex mutex;
    std::map<FileId, Entry> files;
    std::map<int, FileId> holds; // each hold's key and the file it keeps
    int nextKey = 1;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

HeldFiles::Reading::Kind kindOf(mode_t mode)
{
    using Kind = HeldFiles::Reading::Kind;
    if (S_ISREG(mode))
        return Kind::File;
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISFIFO(mode))
        return Kind::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Kind::Device;
    if (S_ISSOCK(mode))
        return Kind::Socket;
    return Kind::Special;
}

// Opens without waiting for a writer on a pipe or a carrier on a device: only a plain file is
// read after this.
int openForLook(const QByteArray& name)
{
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void closeQuietly(int fd)
{
    // Retrying a close on EINTR may close another thread's new descriptor: it is not retried.
    ::close(fd);
}

bool isHeldId(const Registry& r, const QByteArray& name)
{
    struct stat info;
    return ::stat(name.constData(), &info) == 0 &&
           r.files.count(FileId{info.st_dev, info.st_ino}) > 0;
}

// Whether name is the journal or shared memory file of a held store: SQLite keeps its locks on
// those too, and a descriptor of them closed here would drop them.
bool isCompanionOfHeld(const Registry& r, const QByteArray& name)
{
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        if (name.endsWith(suffix) && isHeldId(r, name.chopped(qsizetype(std::strlen(suffix)))))
            return true;
    }
    return false;
}

bool readFrom(int fd, qint64 limit, QByteArray& bytes, int& errorNumber)
{
    if (limit < 0) {
        struct stat info;
        limit = ::fstat(fd, &info) == 0 ? qint64(info.st_size) : 0;
    }
    bytes.resize(qsizetype(limit));
    qint64 done = 0;
    while (done < limit) {
        const ssize_t got = ::pread(fd, bytes.data() + done, size_t(limit - done), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            errorNumber = errno;
            bytes.clear();
            return false;
        }
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(qsizetype(done));
    return true;
}

#endif

} // namespace

QString HeldFiles::Reading::kindInWords() const
{
    switch (kind) {
    case Kind::Folder:
        return QStringLiteral("una carpeta");
    case Kind::Pipe:
        return QStringLiteral("una tubería con nombre (FIFO)");
    case Kind::Device:
        return QStringLiteral("un dispositivo");
    case Kind::Socket:
        return QStringLiteral("un socket");
    case Kind::Special:
        return QStringLiteral("un archivo especial");
    case Kind::Companion:
        return QStringLiteral("uno de los archivos que acompañan al archivo de datos abierto");
    case Kind::File:
    case Kind::Missing:
    case Kind::Forbidden:
    case Kind::Failed:
        break;
    }
    return {};
}

QString HeldFiles::Reading::failureInWords() const
{
    return FailureCause::of(kind == Kind::Failed ? SQLITE_IOERR : SQLITE_CANTOPEN, errorNumber);
}

#ifdef Q_OS_UNIX

std::unique_ptr<HeldFiles::Hold> HeldFiles::hold(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    struct stat info;
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    FileId id{info.st_dev, info.st_ino};
    auto held = r.files.find(id);
    if (held == r.files.end()) {
        const int fd = openForLook(name);
        if (fd < 0)
            return nullptr;
        struct stat opened;
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            closeQuietly(fd);
            return nullptr;
        }
        // The name may have been given to another file between the look and the opening: the
        // descriptor is of the file opened, which the connection will open too.
        id = FileId{opened.st_dev, opened.st_ino};
        held = r.files.try_emplace(id).first;
        held->second.descriptors.push_back(fd);
    }
    ++held->second.holds;
    const int key = r.nextKey++;
    r.holds.emplace(key, id);
    return std::unique_ptr<Hold>(new Hold(key));
}

HeldFiles::Hold::~Hold()
{
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const auto hold = r.holds.find(key_);
    if (hold == r.holds.end())
        return;
    const auto held = r.files.find(hold->second);
    r.holds.erase(hold);
    if (held == r.files.end() || --held->second.holds > 0)
        return;
    // The last connection has closed: SQLite holds no lock on the file any more.
    for (const int fd : held->second.descriptors)
        closeQuietly(fd);
    r.files.erase(held);
}

bool HeldFiles::isHeld(const QString& path)
{
    Registry& r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const QByteArray name = QFile::encodeName(path);
    return isHeldId(r, name) || isCompanionOfHeld(r, name);
}

HeldFiles::Reading HeldFiles::read(const QString& path, qint64 limit)
{
    Reading reading;
    const QByteArray name = QFile::encodeName(path);
    Registry& r = registry();
    // Held while the file is open, so that no connection to it can open meanwhile.
    const std::lock_guard<std::mutex> lock(r.mutex);
    struct stat info;
    if (::stat(name.constData(), &info) != 0) {
        reading.errorNumber = errno;
        reading.kind =
            errno == ENOENT || errno == ENOTDIR ? Reading::Kind::Missing : Reading::Kind::Forbidden;
        return reading;
    }
    reading.kind = kindOf(info.st_mode);
    if (reading.kind != Reading::Kind::File)
        return reading;

    if (const auto held = r.files.find(FileId{info.st_dev, info.st_ino}); held != r.files.end()) {
        if (!readFrom(held->second.descriptors.front(), limit, reading.bytes, reading.errorNumber))
            reading.kind = Reading::Kind::Failed;
        return reading;
    }
    if (isCompanionOfHeld(r, name)) {
        reading.kind = Reading::Kind::Companion;
        return reading;
    }
    const int fd = openForLook(name);
    if (fd < 0) {
        reading.errorNumber = errno;
        reading.kind = Reading::Kind::Forbidden;
        return reading;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0) {
        reading.errorNumber = errno;
        reading.kind = Reading::Kind::Failed;
    } else {
        reading.kind = kindOf(opened.st_mode);
    }
    if (reading.kind == Reading::Kind::File &&
        !readFrom(fd, limit, reading.bytes, reading.errorNumber))
        reading.kind = Reading::Kind::Failed;
    if (const auto held = r.files.find(FileId{opened.st_dev, opened.st_ino});
        held != r.files.end()) {
        // The name was given to a held file between the look and the opening: closing this
        // descriptor would drop the connection's locks, so it stays with the file's own.
        held->second.descriptors.push_back(fd);
    } else {
        closeQuietly(fd);
    }
    return reading;
}

#else

std::unique_ptr<HeldFiles::Hold> HeldFiles::hold(const QString&)
{
    return std::unique_ptr<Hold>(new Hold(0));
}

HeldFiles::Hold::~Hold() = default;

bool HeldFiles::isHeld(const QString&)
{
    return false;
}

HeldFiles::Reading HeldFiles::read(const QString& path, qint64 limit)
{
    Reading reading;
    QFile file(path);
    if (!file.exists())
        return reading;
    if (!file.open(QIODevice::ReadOnly)) {
        reading.kind = Reading::Kind::Forbidden;
        return reading;
    }
    reading.kind = Reading::Kind::File;
    reading.bytes = limit < 0 ? file.readAll() : file.read(limit);
    return reading;
}

#endif
