#include "access/ConversionFiles.h"

#include "access/JetSignature.h"
#include "access/MdbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kStoreName = "calendar.mdb";

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString cause()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

[[noreturn]] void failed(const QString& folder, const QString& why)
{
    throw MdbError(QStringLiteral("No se ha podido escribir el calendario convertido en «%1»: %2.")
                       .arg(shown(folder), why));
}

class Fd
{
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

void syncFolder(const QString& folder)
{
    const Fd dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY));
    if (dir.get() < 0 || ::fsync(dir.get()) != 0)
        failed(folder, cause());
}

bool writeAll(int fd, const QByteArray& image)
{
    qsizetype done = 0;
    while (done < image.size()) {
        const ssize_t n = ::write(fd, image.constData() + done, size_t(image.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return ::fsync(fd) == 0;
}

// The image written and flushed under name in folder, which must not exist: first into a file
// without a name (a kill then leaves nothing), then linked in one step.
void writeNamed(const QString& folder, const QString& name, const QByteArray& image,
                const ConversionFiles::AfterStep& after)
{
    const QByteArray dir = QFile::encodeName(folder);
    const QByteArray target = QFile::encodeName(QDir(folder).filePath(name));
    const Fd unnamed(::open(dir.constData(), O_TMPFILE | O_WRONLY, 0644));
    if (unnamed.get() >= 0) {
        if (!writeAll(unnamed.get(), image))
            failed(folder, cause());
        if (after)
            after(ConversionFiles::Step::Written);
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(unnamed.get());
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) !=
            0)
            failed(folder, cause());
    } else {
        // A file system without unnamed files: the name is made at once, and removed on failure.
        const Fd named(::open(target.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644));
        if (named.get() < 0)
            failed(folder, cause());
        if (!writeAll(named.get(), image)) {
            const QString why = cause();
            ::unlink(target.constData());
            failed(folder, why);
        }
        if (after)
            after(ConversionFiles::Step::Written);
    }
    syncFolder(folder);
}

int renameAt(const QByteArray& from, const QByteArray& to, unsigned flags)
{
    return ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), flags);
}

bool isAccess(const QString& path)
{
    return JetSignature::of(path) != JetSignature::Kind::NotAccess;
}

} // namespace

QString ConversionFiles::keptName(const QString& folder)
{
    const QDir dir(folder);
    QString name = QStringLiteral("calendar-anterior.mdb");
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = QStringLiteral("calendar-anterior-%1.mdb").arg(n);
    return name;
}

void ConversionFiles::writeNew(const QString& folder, const QByteArray& image)
{
    if (QFileInfo::exists(QDir(folder).filePath(QLatin1String(kStoreName))))
        failed(folder, QStringLiteral("ya hay un calendar.mdb en la carpeta"));
    writeNamed(folder, QLatin1String(kStoreName), image, {});
}

QString ConversionFiles::replace(const QString& folder, const QByteArray& image,
                                 const AfterStep& after)
{
    recover(folder);
    const QDir dir(folder);
    const QString kept = keptName(folder);
    const QByteArray store = QFile::encodeName(dir.filePath(QLatin1String(kStoreName)));
    const QByteArray pending = QFile::encodeName(dir.filePath(QLatin1String(kPendingName)));
    const QByteArray keptPath = QFile::encodeName(dir.filePath(kept));

    writeNamed(folder, QLatin1String(kPendingName), image, after);
    if (after)
        after(Step::Named);
    if (renameAt(pending, store, RENAME_EXCHANGE) != 0) {
        const QString why = cause();
        ::unlink(pending.constData());
        failed(folder, why);
    }
    syncFolder(folder);
    if (after)
        after(Step::Swapped);
    if (renameAt(pending, keptPath, RENAME_NOREPLACE) != 0) {
        const QString why = cause();
        // Back to the older file, so that nothing is half done.
        if (renameAt(pending, store, RENAME_EXCHANGE) == 0)
            ::unlink(pending.constData());
        failed(folder, why);
    }
    syncFolder(folder);
    if (after)
        after(Step::Kept);
    return kept;
}

void ConversionFiles::recover(const QString& folder)
{
    const QDir dir(folder);
    const QString pending = dir.filePath(QLatin1String(kPendingName));
    if (!QFileInfo::exists(pending))
        return;
    const QString store = dir.filePath(QLatin1String(kStoreName));
    if (QFileInfo::exists(store) && isAccess(store)) {
        // Cut short before the swap: the older file is still in its place.
        QFile::remove(pending);
    } else if (QFileInfo::exists(store) && isAccess(pending)) {
        // Cut short after the swap: the conversion is in place, the older file still to keep.
        renameAt(QFile::encodeName(pending), QFile::encodeName(dir.filePath(keptName(folder))),
                 RENAME_NOREPLACE);
    } else {
        return;
    }
    syncFolder(folder);
}
