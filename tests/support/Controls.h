#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// The control named name among the children of parent, found by the object name its window
// gives it; a test that asks for a control the window does not have stops at once, naming it.
template <typename T> T* child(const QObject* parent, const char* name)
{
    T* found = parent ? parent->findChild<T*>(QString::fromUtf8(name)) : nullptr;
    if (!found)
        qFatal("no control named %s of the expected kind", name);
    return found;
}
