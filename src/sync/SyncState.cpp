#include "sync/SyncState.h"

#include <QStringList>

namespace {

QString waiting(int pending)
{
    if (pending == 0)
        return QStringLiteral("nada pendiente");
    return pending == 1 ? QStringLiteral("1 cambio pendiente")
                        : QStringLiteral("%1 cambios pendientes").arg(SyncState::count(pending));
}

} // namespace

QString SyncState::count(int n)
{
    QString digits = QString::number(n);
    for (qsizetype at = digits.size() - 3; at > (n < 0 ? 1 : 0); at -= 3)
        digits.insert(at, u'.');
    return digits;
}

QString SyncState::line() const
{
    switch (kind) {
    case Kind::NoServer:
        return QStringLiteral("Sin servidor de calendarios (Archivo → Servidor de calendarios…)");
    case Kind::NotYet:
        return QStringLiteral("Aún sin sincronizar");
    case Kind::Running:
        if (total == 0)
            return QStringLiteral("Sincronizando…");
        return QStringLiteral("Subiendo %1 de %2 días…").arg(count(done), count(total));
    case Kind::Synced: {
        const QString synced =
            QStringLiteral("Sincronizado a las %1").arg(at.toString(QStringLiteral("HH:mm")));
        if (joined == 0 && joinedNotitas == 0)
            return synced;
        QStringList what;
        if (joined > 0)
            what << (joined == 1 ? QStringLiteral("1 día")
                                 : count(joined) + QStringLiteral(" días"));
        if (joinedNotitas > 0) {
            what << (joinedNotitas == 1 ? QStringLiteral("1 notita")
                                        : count(joinedNotitas) + QStringLiteral(" notitas"));
        }
        // The participle agrees with what changed: masculine for days or both, plural for more
        // than one.
        const bool plural = what.size() > 1 || joined > 1 || joinedNotitas > 1;
        const QString changed = QStringLiteral("cambiad") + (joined > 0 ? u'o' : u'a') +
                                (plural ? QStringLiteral("s") : QString());
        return synced + QStringLiteral(" · %1 %2 aquí y en el servidor: se guardan los dos textos")
                            .arg(what.join(QStringLiteral(" y ")), changed);
    }
    case Kind::Offline:
        return QStringLiteral("Sin conexión: ") + waiting(pending);
    case Kind::NoPassword:
        return QStringLiteral("Falta la contraseña del servidor: Archivo → Sincronizar ahora la "
                              "pide");
    case Kind::Failed:
        if (pending == 0)
            return message;
        return message + (pending == 1 ? QStringLiteral(" Queda ") : QStringLiteral(" Quedan ")) +
               waiting(pending) + u'.';
    }
    return QString();
}

QString SyncState::brief() const
{
    switch (kind) {
    case Kind::NoServer:
        return QString();
    case Kind::NoPassword:
        return QStringLiteral("Falta la contraseña");
    case Kind::Failed:
        return QStringLiteral("No se ha podido sincronizar");
    case Kind::Synced:
        return QStringLiteral("Sincronizado a las %1").arg(at.toString(QStringLiteral("HH:mm")));
    default:
        return line();
    }
}
