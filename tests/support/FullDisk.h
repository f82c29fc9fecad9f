#pragma once

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

// A disk that fills up when a test says so: an SQLite file system over the default one whose
// writes fail as a full disk's do while it is full. It stands as the default for as long as it
// lives, so that the store opens its file through it.
class FullDisk
{
public:
    FullDisk()
    {
        real_ = sqlite3_vfs_find(nullptr);
        vfs_ = *real_;
        vfs_.zName = "tarvelo-full-disk";
        vfs_.szOsFile = int(sizeof(File)) + real_->szOsFile;
        vfs_.pAppData = this;
        vfs_.xOpen = &FullDisk::open;
        vfs_.xGetLastError = &FullDisk::lastError;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FullDisk()
    {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(real_, 1);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    void fill() { full_ = true; }
    void empty() { full_ = false; }
    bool isFull() const { return full_; }

private:
    struct File
    {
        sqlite3_file base;
        FullDisk* disk;
        sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };

    static File* of(sqlite3_file* file) { return reinterpret_cast<File*>(file); }
    static FullDisk* diskOf(sqlite3_vfs* vfs) { return static_cast<FullDisk*>(vfs->pAppData); }
    static const sqlite3_io_methods* realMethods(sqlite3_file* file)
    {
        return of(file)->real()->pMethods;
    }

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags,
                    int* outFlags)
    {
        FullDisk* disk = diskOf(vfs);
        File* f = of(file);
        std::memset(f, 0, sizeof(File));
        f->disk = disk;
        const int rc = disk->real_->xOpen(disk->real_, name, f->real(), flags, outFlags);
        if (f->real()->pMethods)
            f->base.pMethods = &kMethods;
        return rc;
    }
    static int lastError(sqlite3_vfs* vfs, int size, char* text)
    {
        FullDisk* disk = diskOf(vfs);
        return disk->full_ ? ENOSPC : disk->real_->xGetLastError(disk->real_, size, text);
    }

    static int close(sqlite3_file* file)
    {
        const int rc = realMethods(file)->xClose(of(file)->real());
        of(file)->base.pMethods = nullptr;
        return rc;
    }
    static int read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset)
    {
        return realMethods(file)->xRead(of(file)->real(), buffer, amount, offset);
    }
    static int write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset)
    {
        if (of(file)->disk->full_)
            return SQLITE_FULL;
        return realMethods(file)->xWrite(of(file)->real(), buffer, amount, offset);
    }
    static int truncate(sqlite3_file* file, sqlite3_int64 size)
    {
        return realMethods(file)->xTruncate(of(file)->real(), size);
    }
    static int sync(sqlite3_file* file, int flags)
    {
        return realMethods(file)->xSync(of(file)->real(), flags);
    }
    static int fileSize(sqlite3_file* file, sqlite3_int64* size)
    {
        return realMethods(file)->xFileSize(of(file)->real(), size);
    }
    static int lock(sqlite3_file* file, int level)
    {
        return realMethods(file)->xLock(of(file)->real(), level);
    }
    static int unlock(sqlite3_file* file, int level)
    {
        return realMethods(file)->xUnlock(of(file)->real(), level);
    }
    static int checkReservedLock(sqlite3_file* file, int* out)
    {
        return realMethods(file)->xCheckReservedLock(of(file)->real(), out);
    }
    static int fileControl(sqlite3_file* file, int op, void* arg)
    {
        return realMethods(file)->xFileControl(of(file)->real(), op, arg);
    }
    static int sectorSize(sqlite3_file* file)
    {
        return realMethods(file)->xSectorSize(of(file)->real());
    }
    static int deviceCharacteristics(sqlite3_file* file)
    {
        return realMethods(file)->xDeviceCharacteristics(of(file)->real());
    }
    static int shmMap(sqlite3_file* file, int page, int size, int extend, void volatile** out)
    {
        return realMethods(file)->xShmMap(of(file)->real(), page, size, extend, out);
    }
    static int shmLock(sqlite3_file* file, int offset, int n, int flags)
    {
        return realMethods(file)->xShmLock(of(file)->real(), offset, n, flags);
    }
    static void shmBarrier(sqlite3_file* file) { realMethods(file)->xShmBarrier(of(file)->real()); }
    static int shmUnmap(sqlite3_file* file, int deleteFlag)
    {
        return realMethods(file)->xShmUnmap(of(file)->real(), deleteFlag);
    }
    static int fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out)
    {
        return realMethods(file)->xFetch(of(file)->real(), offset, amount, out);
    }
    static int unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page)
    {
        return realMethods(file)->xUnfetch(of(file)->real(), offset, page);
    }

    static constexpr sqlite3_io_methods kMethods{3,
                                                 &close,
                                                 &read,
                                                 &write,
                                                 &truncate,
                                                 &sync,
                                                 &fileSize,
                                                 &lock,
                                                 &unlock,
                                                 &checkReservedLock,
                                                 &fileControl,
                                                 &sectorSize,
                                                 &deviceCharacteristics,
                                                 &shmMap,
                                                 &shmLock,
                                                 &shmBarrier,
                                                 &shmUnmap,
                                                 &fetch,
                                                 &unfetch};

    sqlite3_vfs* real_ = nullptr;
    sqlite3_vfs vfs_{};
    bool full_ = false;
};
