#pragma once

#include <QFunctionPointer>
#include <QLibrary>
#include <QStringList>

// A module of the program's own that links a large part of Qt (the sound, the printer), loaded
// the first time a seam needs it rather than with the program, so that starting does not load
// those libraries. It is looked for in a list of places; the first that loads is kept.
class PlatformModule
{
public:
    // fileName names the module in messages; paths are where it is looked for, in order.
    PlatformModule(QString fileName, QStringList paths);

    // The module's exported function of that name; null when the module cannot be loaded or
    // lacks it (failure() says why, and it is said once on stderr).
    QFunctionPointer entry(const char* symbol);
    // Why the module is not there, in Spanish; empty once it has loaded.
    QString failure();

    // Where a module is looked for: installed beside the program (relative to its folder),
    // where it was to be installed, and where it was built.
    static QStringList places(const QString& relative, const QString& installed,
                              const QString& built);

private:
    QString fileName_;
    QStringList paths_;
    QLibrary library_;
    QFunctionPointer entry_ = nullptr;
    bool looked_ = false;
    QString failure_;
};
