#include "sync/SyncState.h"

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
        if (joined == 0)
            return synced;
        return synced + (joined == 1 ? QStringLiteral(" · 1 día cambiado aquí y en el servidor: "
                                                      "se guardan los dos textos")
                                     : QStringLiteral(" · %1 días cambiados aquí y en el "
                                                      "servidor: se guardan los dos textos")
                                           .arg(count(joined)));
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
