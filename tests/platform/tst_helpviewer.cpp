#include "FakeHelpViewer.h"
#include "FakeMessageBoxes.h"
#include "platform/HelpLocator.h"
#include "platform/QtHelpViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString kHelp = QStringLiteral("Tarvelo.HLP");

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

// A help document that says which folder it was put in.
QByteArray helpFrom(const QString& where)
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Ayuda</title></head><body>"
                          "<h1>Índice</h1><p>Ayuda de la carpeta %1: añadir una notita.</p>"
                          "</body></html>")
        .arg(where)
        .toUtf8();
}

// A long help document, taller than the window, so that it can be scrolled.
QByteArray longHelp(const QString& first)
{
    QString body = QStringLiteral("<p>%1</p>").arg(first);
    for (int i = 0; i < 300; ++i)
        body += QStringLiteral("<p>Línea %1 de la ayuda.</p>").arg(i);
    body += QStringLiteral("<p><a name=\"final\">Final</a></p>");
    return (QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>") + body +
            QStringLiteral("</body></html>"))
        .toUtf8();
}

// Goes into a folder as the working directory, and back out when it ends.
struct WorkingDirectory
{
    explicit WorkingDirectory(const QString& path) : previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~WorkingDirectory() { QDir::setCurrent(previous); }
    QString previous;
};

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT

private slots:
    void locator_data();
    void locator();
    void standardFolders();
    void standardOrder_data();
    void standardOrder();
    void missing();
    void showsTheFileFromItsTop();
    void programHelpCoversTheWindows();
    void placedWhenOpening();
    void fakeRecordsRequests();
};

void TestHelpViewer::locator_data()
{
    QTest::addColumn<QStringList>("holders"); // of the three folders: "file", "dir" or ""
    QTest::addColumn<int>("expected");        // index of the folder found; -1: none

    QTest::newRow("working directory first, though all three hold it")
        << QStringList{"file", "file", "file"} << 0;
    QTest::newRow("beside the executable when the working directory has none")
        << QStringList{"", "file", "file"} << 1;
    QTest::newRow("the data folder last") << QStringList{"", "", "file"} << 2;
    QTest::newRow("nowhere") << QStringList{"", "", ""} << -1;
    QTest::newRow("a folder of that name is no help file") << QStringList{"dir", "", "file"} << 2;
}

void TestHelpViewer::locator()
{
    QFETCH(QStringList, holders);
    QFETCH(int, expected);

    QTemporaryDir dirs[3];
    QStringList folders;
    for (int i = 0; i < 3; ++i) {
        folders << dirs[i].path();
        const QString path = QDir(dirs[i].path()).filePath(kHelp);
        if (holders[i] == QLatin1String("file"))
            writeFile(path, helpFrom(QString::number(i)));
        else if (holders[i] == QLatin1String("dir"))
            QVERIFY(QDir(dirs[i].path()).mkdir(kHelp));
    }

    const QString found = HelpLocator::find(kHelp, folders);
    if (expected < 0)
        QVERIFY(found.isEmpty());
    else
        QCOMPARE(found, QFileInfo(QDir(folders[expected]).filePath(kHelp)).absoluteFilePath());
}

void TestHelpViewer::standardFolders()
{
    QTemporaryDir work;
    WorkingDirectory cd(work.path());

    const QStringList folders = HelpLocator::standardFolders();
    QCOMPARE(folders.size(), 3);
    QCOMPARE(QFileInfo(folders[0]).canonicalFilePath(), QFileInfo(work.path()).canonicalFilePath());
    QCOMPARE(folders[1], QCoreApplication::applicationDirPath());
    QVERIFY2(QDir::isAbsolutePath(folders[2]), qPrintable(folders[2]));
    QVERIFY2(folders[2].endsWith(QLatin1String("/tarvelo")), qPrintable(folders[2]));

    FakeMessageBoxes boxes;
    QtHelpViewer viewer(boxes);
    QCOMPARE(viewer.folders(), folders);
}

void TestHelpViewer::standardOrder_data()
{
    QTest::addColumn<bool>("inWorkingDirectory");
    QTest::addColumn<bool>("besideExecutable");
    QTest::addColumn<QString>("expected"); // the folder whose document is shown

    QTest::newRow("the working directory before the executable's folder")
        << true << true << "trabajo";
    QTest::newRow("beside the executable when the working directory has none")
        << false << true << "programa";
}

void TestHelpViewer::standardOrder()
{
    QFETCH(bool, inWorkingDirectory);
    QFETCH(bool, besideExecutable);
    QFETCH(QString, expected);

    // A name of its own, so that nothing else beside the test program is touched.
    const QString name =
        QStringLiteral("tst_helpviewer-%1.HLP").arg(QCoreApplication::applicationPid());
    QTemporaryDir work;
    WorkingDirectory cd(work.path());
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    const auto cleanup = qScopeGuard([&] { QFile::remove(beside); });
    if (inWorkingDirectory)
        writeFile(QDir(work.path()).filePath(name), helpFrom(QStringLiteral("trabajo")));
    if (besideExecutable)
        writeFile(beside, helpFrom(QStringLiteral("programa")));

    FakeMessageBoxes boxes;
    QtHelpViewer viewer(boxes);
    viewer.showContents(name, QRect());
    QVERIFY(boxes.calls().isEmpty());
    QVERIFY(viewer.isVisible());
    QVERIFY2(viewer.browser()->toPlainText().contains(QStringLiteral("carpeta ") + expected),
             qPrintable(viewer.browser()->toPlainText()));
}

void TestHelpViewer::missing()
{
    QTemporaryDir a, b, c;
    FakeMessageBoxes boxes;
    QtHelpViewer viewer(boxes);
    viewer.setFolders({a.path(), b.path(), c.path()});
    viewer.showContents(kHelp, QRect());

    QVERIFY(!viewer.isVisible());
    QCOMPARE(boxes.calls().size(), 1);
    const FakeMessageBoxes::Call& call = boxes.calls().first();
    QVERIFY2(call.prompt.contains(QStringLiteral("«Tarvelo.HLP»")), qPrintable(call.prompt));
    QVERIFY2(call.prompt.contains(QStringLiteral("No se encuentra")), qPrintable(call.prompt));
    for (const QTemporaryDir* dir : {&a, &b, &c}) {
        QVERIFY2(call.prompt.contains(QDir::toNativeSeparators(dir->path())),
                 qPrintable(call.prompt));
    }
    QCOMPARE(call.style & 0x70, int(MessageBoxes::Exclamation));
}

void TestHelpViewer::showsTheFileFromItsTop()
{
    QTemporaryDir empty, data;
    const QString path = QDir(data.path()).filePath(kHelp);
    writeFile(path, longHelp(QStringLiteral("Índice de la ayuda")));

    FakeMessageBoxes boxes;
    QtHelpViewer viewer(boxes);
    viewer.setFolders({empty.path(), data.path()});
    viewer.showContents(kHelp, QRect());
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QVERIFY(boxes.calls().isEmpty());
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Ayuda de Tarvelo"));
    QCOMPARE(viewer.browser()->source(), QUrl::fromLocalFile(path));
    QVERIFY(viewer.browser()->toPlainText().startsWith(QStringLiteral("Índice de la ayuda")));
    QCOMPARE(viewer.browser()->toPlainText().count(QStringLiteral("de la ayuda.")), 300);
    QCOMPARE(viewer.browser()->verticalScrollBar()->value(), 0);

    // Read through to the end, the file changed on disk: shown again, new and from its top.
    viewer.browser()->scrollToAnchor(QStringLiteral("final"));
    QTRY_VERIFY(viewer.browser()->verticalScrollBar()->value() > 0);
    writeFile(path, longHelp(QStringLiteral("Ayuda revisada")));
    viewer.showContents(kHelp, QRect());
    QVERIFY(viewer.browser()->toPlainText().startsWith(QStringLiteral("Ayuda revisada")));
    QCOMPARE(viewer.browser()->verticalScrollBar()->value(), 0);
}

void TestHelpViewer::programHelpCoversTheWindows()
{
    const QString path = QFINDTESTDATA("../../data/Tarvelo.HLP");
    QVERIFY2(!path.isEmpty(), "data/Tarvelo.HLP");

    FakeMessageBoxes boxes;
    QtHelpViewer viewer(boxes);
    viewer.setFolders({QFileInfo(path).absolutePath()});
    viewer.showContents(kHelp, QRect());
    QVERIFY(boxes.calls().isEmpty());
    const QString text = viewer.browser()->toPlainText();
    const QStringList topics{"Ver notas", "Festivo", "Aplicar", "alarma.wav", "Añadir notita",
                             "Ver notitas", "Impresora", "Alguna", "May./Min.", "Siguiente",
                             "CADENA NO ENCONTRADA", "FIN DE FICHERO", "Cortar", "Copiar", "Pegar",
                             "calendar.mdb", "tarvelo-db create", "tarvelo-db check",
                             "Cerrar calendario", "Salir",
                             // what the commands of the calendar's menu reach, and what not
                             "cuadro de texto de la ventana del calendario", "Eliminar notita",
                             "Av Pág", "Notas de diciembre de 2026.pdf"};
    for (const QString& topic : topics)
        QVERIFY2(text.contains(topic), qPrintable(topic));
}

void TestHelpViewer::placedWhenOpening()
{
    QTemporaryDir data;
    writeFile(QDir(data.path()).filePath(kHelp), longHelp(QStringLiteral("Ayuda")));
    FakeMessageBoxes boxes;
    QtHelpViewer viewer(boxes);
    viewer.setFolders({data.path()});
    QList<QRect> placed;
    viewer.setPlacement([&placed](QWidget&, const QRect& beside) { placed << beside; });

    // Placed as it opens; asked again while open, it stays where it is; closed and asked
    // again, placed again.
    const QRect calendar(40, 30, 245, 460);
    viewer.showContents(kHelp, calendar);
    viewer.showContents(kHelp, calendar.translated(5, 0));
    viewer.hide();
    viewer.showContents(kHelp, calendar.translated(9, 0));
    QCOMPARE(placed, (QList<QRect>{calendar, calendar.translated(9, 0)}));
}

void TestHelpViewer::fakeRecordsRequests()
{
    FakeHelpViewer fake;
    HelpViewer& viewer = fake;
    viewer.showContents(kHelp, QRect());
    viewer.showContents(kHelp, QRect());
    QCOMPARE(fake.requested, QStringList({kHelp, kHelp}));
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
