// The sync's state line, as the tray icon's tooltip and the "Sincronizar ahora" item show it.
#include "sync/SyncState.h"

#include <QTest>

class TestSyncState : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        using Kind = SyncState::Kind;
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("done"); // Running: days sent; Synced: days joined
        // Running: days to send; Synced: notitas joined; else days pending
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("brief"); // "=": the line itself

        const auto row = [](const char* name, Kind kind, int done, int total, const char* message,
                            const char* line, const char* brief) {
            QTest::newRow(name) << int(kind) << done << total << QString::fromUtf8(message)
                                << QString::fromUtf8(line) << QString::fromUtf8(brief);
        };
        row("no server: nothing beside the item", Kind::NoServer, 0, 0, "",
            "Sin servidor de calendarios (Archivo → Servidor de calendarios…)", "");
        row("set up, not synced yet", Kind::NotYet, 0, 0, "", "Aún sin sincronizar", "=");
        row("under way, before the upload is known", Kind::Running, 0, 0, "", "Sincronizando…",
            "=");
        row("the first upload of a large calendar", Kind::Running, 340, 2000, "",
            "Subiendo 340 de 2.000 días…", "=");
        row("counts of five digits", Kind::Running, 12345, 100000, "",
            "Subiendo 12.345 de 100.000 días…", "=");
        row("synced", Kind::Synced, 0, 0, "", "Sincronizado a las 10:42", "=");
        row("synced, one day changed on both sides", Kind::Synced, 1, 0, "",
            "Sincronizado a las 10:42 · 1 día cambiado aquí y en el servidor: se guardan los dos "
            "textos",
            "Sincronizado a las 10:42");
        row("synced, several days changed on both sides", Kind::Synced, 3, 0, "",
            "Sincronizado a las 10:42 · 3 días cambiados aquí y en el servidor: se guardan los "
            "dos textos",
            "Sincronizado a las 10:42");
        row("synced, one notita changed on both sides", Kind::Synced, 0, 1, "",
            "Sincronizado a las 10:42 · 1 notita cambiada aquí y en el servidor: se guardan los "
            "dos textos",
            "Sincronizado a las 10:42");
        row("synced, days and a notita changed on both sides", Kind::Synced, 2, 1, "",
            "Sincronizado a las 10:42 · 2 días y 1 notita cambiados aquí y en el servidor: se "
            "guardan los dos textos",
            "Sincronizado a las 10:42");
        row("offline with changes waiting", Kind::Offline, 0, 3, "",
            "Sin conexión: 3 cambios pendientes", "=");
        row("offline with one change waiting", Kind::Offline, 0, 1, "",
            "Sin conexión: 1 cambio pendiente", "=");
        row("offline with nothing waiting", Kind::Offline, 0, 0, "", "Sin conexión: nada pendiente",
            "=");
        row("no password in this run", Kind::NoPassword, 0, 0, "",
            "Falta la contraseña del servidor: Archivo → Sincronizar ahora la pide",
            "Falta la contraseña");
        row("the server refused: its message", Kind::Failed, 0, 0,
            "El servidor «casa.example» no acepta el usuario o la contraseña.",
            "El servidor «casa.example» no acepta el usuario o la contraseña.",
            "No se ha podido sincronizar");
        row("the server refused, changes waiting", Kind::Failed, 0, 2,
            "El servidor «casa.example» ha fallado (HTTP 503).",
            "El servidor «casa.example» ha fallado (HTTP 503). Quedan 2 cambios pendientes.",
            "No se ha podido sincronizar");
    }
    void texts()
    {
        QFETCH(int, kind);
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(QString, message);
        QFETCH(QString, line);
        QFETCH(QString, brief);
        SyncState state;
        state.kind = SyncState::Kind(kind);
        state.at = QTime(10, 42, 31);
        state.message = message;
        if (state.kind == SyncState::Kind::Running) {
            state.done = done;
            state.total = total;
        } else if (state.kind == SyncState::Kind::Synced) {
            state.joined = done;
            state.joinedNotitas = total;
        } else {
            state.pending = total;
        }
        QCOMPARE(state.line(), line);
        QCOMPARE(state.brief(), brief == QLatin1String("=") ? line : brief);
    }
};

QTEST_GUILESS_MAIN(TestSyncState)
#include "tst_syncstate.moc"
