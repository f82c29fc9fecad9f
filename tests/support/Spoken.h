#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

// What a screen reader is told of a control, read through Qt's accessibility interface.
inline QString spoken(QObject* object, QAccessible::Text text = QAccessible::Name)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(text) : QStringLiteral("<no interface>");
}
