#include "FakeMessageBoxes.h"
#include "platform/QtPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kRule(75, QLatin1Char('-'));

// The lines of a printed listing, as the listings send them.
const QStringList kListing{
    QStringLiteral("3 Notas halladas de mayo"),
    kRule,
    QStringLiteral("Fecha      Nota"),
    QStringLiteral("01/may/97  Reunión de equipo"),
    QStringLiteral("05/may/97  Cena con O'Brien\nsegunda línea de la nota"),
    QStringLiteral("31/may/97  Año nuevo: señal ¿sí?"),
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The text of a PDF as pdftotext reads it, page breaks as form feeds; empty when the tool is
// missing (the caller skips).
QString pdfText(const QString& path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                         path, QStringLiteral("-")});
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool hasPdfText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// Without any printer, as on a machine with none set up.
QString noPrinter()
{
    return {};
}

} // namespace

class TestQtPrinter : public QObject
{
    Q_OBJECT

private slots:
    void pdfOfListing();
    void longLinesWrapped_data();
    void longLinesWrapped();
    void pagesFollow();
    void linesSplit_data();
    void linesSplit();
    void nothingToPrint();
    void withoutPrinter_data();
    void withoutPrinter();
    void suggestedFileNames_data();
    void suggestedFileNames();
    void withoutModule();
};

void TestQtPrinter::pdfOfListing()
{
    QTemporaryDir dir;
    FakeMessageBoxes boxes;
    QtPrinter printer(
        boxes, [](const QString&) { return QString(); }, noPrinter);
    for (const QString& line : kListing)
        printer.printLine(line);
    QCOMPARE(printer.lines().size(), kListing.size() + 1);

    const QString path = dir.filePath(QStringLiteral("listado.pdf"));
    QVERIFY(printer.saveAsPdf(path));
    QVERIFY(printer.lines().isEmpty());
    QVERIFY(boxes.calls().isEmpty());
    QVERIFY(readAll(path).startsWith("%PDF"));

    if (!hasPdfText())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text is not checked");
    const QStringList read = pdfText(path).split(QLatin1Char('\n'));
    QStringList expected;
    for (const QString& line : kListing)
        expected << line.split(QLatin1Char('\n'));
    // One printed line a line of the listing, in order, each at the left margin.
    QStringList printed;
    for (const QString& line : read) {
        if (!line.trimmed().isEmpty())
            printed << line.simplified();
    }
    // pdftotext reads a run of blanks as it pleases; the words and their order are what count.
    for (QString& line : expected)
        line = line.simplified();
    QCOMPARE(printed, expected);
    for (const QString& line : read) {
        if (!line.trimmed().isEmpty())
            QVERIFY2(!line.startsWith(QLatin1Char(' ')), qPrintable(line));
    }
}

void TestQtPrinter::longLinesWrapped_data()
{
    QTest::addColumn<QString>("line");

    QStringList words;
    for (int i = 0; i < 60; ++i)
        words << QStringLiteral("palabra%1").arg(i);
    QTest::newRow("words break between words") << QStringLiteral("05/may/97  ") + words.join(' ');
    QTest::newRow("one long word breaks anywhere") << QString(400, QLatin1Char('x'));
    QTest::newRow("tabs become spaces")
        << QStringLiteral("05/may/97  uno\tdos\tres\t") + words.join(' ');
}

void TestQtPrinter::longLinesWrapped()
{
    QFETCH(QString, line);

    QTemporaryDir dir;
    FakeMessageBoxes boxes;
    QtPrinter printer(boxes, {}, noPrinter);
    printer.printLine(line);
    const QString path = dir.filePath(QStringLiteral("largo.pdf"));
    QVERIFY(printer.saveAsPdf(path));
    QVERIFY(readAll(path).startsWith("%PDF"));

    if (!hasPdfText())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text is not checked");
    const QString text = pdfText(path);
    const QStringList printed = text.trimmed().split(QLatin1Char('\n'));
    QVERIFY2(printed.size() > 1, qPrintable(text));
    for (const QString& piece : printed)
        QVERIFY2(piece.trimmed().size() < 100, qPrintable(piece)); // nothing cut off the page
    // Nothing lost: the pieces put together are the line (blanks aside).
    QString joined = text;
    joined.remove(QRegularExpression(QStringLiteral("\\s")));
    QString original = line;
    original.remove(QRegularExpression(QStringLiteral("\\s")));
    QCOMPARE(joined, original);
    if (line.startsWith(QLatin1String("05/may/97  palabra"))) {
        // Broken between words only: every piece is whole words.
        const QRegularExpression word(QStringLiteral("^(05/may/97|palabra\\d+)$"));
        for (const QString& piece : printed) {
            for (const QString& token : piece.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                QVERIFY2(word.match(token).hasMatch(), qPrintable(piece));
        }
    }
}

void TestQtPrinter::pagesFollow()
{
    QTemporaryDir dir;
    FakeMessageBoxes boxes;
    QtPrinter printer(boxes, {}, noPrinter);
    for (int i = 1; i <= 200; ++i)
        printer.printLine(QStringLiteral("línea %1").arg(i));
    const QString path = dir.filePath(QStringLiteral("paginas.pdf"));
    QVERIFY(printer.saveAsPdf(path));

    const QByteArray pdf = readAll(path);
    const int pages =
        int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "));
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));

    if (!hasPdfText())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text is not checked");
    const QStringList sheets = pdfText(path).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QStringList printed;
    for (const QString& sheet : sheets) {
        const QStringList lines = sheet.trimmed().split(QLatin1Char('\n'));
        if (&sheet != &sheets.last())
            QVERIFY2(lines.size() > 40, qPrintable(QString::number(lines.size()))); // full pages
        for (const QString& line : lines)
            printed << line.trimmed();
    }
    QCOMPARE(printed.size(), 200);
    QCOMPARE(printed.first(), QStringLiteral("línea 1"));
    QCOMPARE(printed.last(), QStringLiteral("línea 200"));
}

void TestQtPrinter::linesSplit_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("plain line") << "Fecha      Nota" << QStringList{"Fecha      Nota"};
    QTest::newRow("empty line kept") << "" << QStringList{""};
    QTest::newRow("LF") << "uno\ndos" << QStringList{"uno", "dos"};
    QTest::newRow("CR LF as one break") << "uno\r\ndos" << QStringList{"uno", "dos"};
    QTest::newRow("lone CR") << "uno\rdos" << QStringList{"uno", "dos"};
    QTest::newRow("blank line inside") << "uno\n\ndos" << QStringList{"uno", "", "dos"};
    QTest::newRow("tab to the next stop of eight") << "ab\tc" << QStringList{"ab      c"};
    QTest::newRow("other controls as blanks")
        << QString::fromUtf16(u"a\u0007b\u000cc") << QStringList{"a b c"};
}

void TestQtPrinter::linesSplit()
{
    QFETCH(QString, sent);
    QFETCH(QStringList, lines);

    FakeMessageBoxes boxes;
    QtPrinter printer(boxes, {}, noPrinter);
    printer.printLine(sent);
    QCOMPARE(printer.lines(), lines);
}

void TestQtPrinter::nothingToPrint()
{
    FakeMessageBoxes boxes;
    int asked = 0;
    QtPrinter printer(
        boxes,
        [&asked](const QString&) {
            ++asked;
            return QString();
        },
        noPrinter);
    QVERIFY(printer.endDoc());
    QVERIFY(boxes.calls().isEmpty());
    QCOMPARE(asked, 0);
}

void TestQtPrinter::withoutPrinter_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("chosen"); // relative to a temporary folder; "" = none
    QTest::addColumn<bool>("printed");
    QTest::addColumn<QString>("written"); // the file expected, "" = none
    QTest::addColumn<int>("messages");

    QTest::newRow("declined") << int(MessageBoxes::Cancel) << "listado.pdf" << false << "" << 1;
    QTest::newRow("no file name given") << int(MessageBoxes::Ok) << "" << false << "" << 1;
    QTest::newRow("a file chosen: where it went is said")
        << int(MessageBoxes::Ok) << "listado.pdf" << true << "listado.pdf" << 2;
    QTest::newRow("a name without extension gets .pdf")
        << int(MessageBoxes::Ok) << "mayo" << true << "mayo.pdf" << 2;
    QTest::newRow("a folder that does not exist is reported")
        << int(MessageBoxes::Ok) << "no/existe/listado.pdf" << false << "" << 2;
}

void TestQtPrinter::withoutPrinter()
{
    QFETCH(int, answer);
    QFETCH(QString, chosen);
    QFETCH(bool, printed);
    QFETCH(QString, written);
    QFETCH(int, messages);

    QTemporaryDir dir;
    FakeMessageBoxes boxes;
    boxes.answerNext(answer);
    QStringList suggestions;
    QtPrinter printer(
        boxes,
        [&](const QString& suggested) {
            suggestions << suggested;
            return chosen.isEmpty() ? QString() : dir.filePath(chosen);
        },
        noPrinter);
    printer.setDocumentName(QStringLiteral("Notas de mayo de 1997"));
    for (const QString& line : kListing)
        printer.printLine(line);

    QCOMPARE(printer.endDoc(), printed);
    QVERIFY(printer.lines().isEmpty());
    QCOMPARE(boxes.calls().size(), messages);
    const FakeMessageBoxes::Call& offer = boxes.calls().first();
    QVERIFY2(offer.prompt.startsWith(QStringLiteral("No hay ninguna impresora disponible.")),
             qPrintable(offer.prompt));
    QVERIFY(offer.prompt.contains(QStringLiteral("¿Desea guardar el listado como archivo PDF?")));
    QCOMPARE(offer.style, MessageBoxes::OkCancel | MessageBoxes::Question);
    if (messages > 1) {
        const FakeMessageBoxes::Call& after = boxes.calls().at(1);
        QVERIFY2(after.prompt.contains(QStringLiteral("PDF")), qPrintable(after.prompt));
        // Written: which file it is; not written: why.
        if (printed) {
            QVERIFY2(after.prompt.contains(QDir::toNativeSeparators(dir.filePath(written))),
                     qPrintable(after.prompt));
            QCOMPARE(after.style & 0x70, int(MessageBoxes::Information));
        } else {
            QCOMPARE(after.style & 0x70, int(MessageBoxes::Exclamation));
        }
    }
    // The name offered says what the listing holds, in the documents folder.
    QCOMPARE(suggestions.size(), answer == MessageBoxes::Ok ? 1 : 0);
    if (!suggestions.isEmpty()) {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(documents).isDir())
            documents = QDir::homePath();
        QCOMPARE(suggestions.first(),
                 QDir(documents).filePath(QStringLiteral("Notas de mayo de 1997.pdf")));
    }

    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
    if (!written.isEmpty())
        QVERIFY(readAll(dir.filePath(written)).startsWith("%PDF"));

    // The next document starts afresh: nothing of the dropped one is printed again.
    boxes.answerNext(MessageBoxes::Cancel);
    printer.printLine(QStringLiteral("otra"));
    QCOMPARE(printer.lines(), QStringList{QStringLiteral("otra")});
}

void TestQtPrinter::suggestedFileNames_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("file");

    QTest::newRow("a month") << "Notas de diciembre de 2026"
                             << "Notas de diciembre de 2026.pdf";
    QTest::newRow("what no file name may hold becomes a dash") << "Notas 01/01/1997: a*b?"
                                                               << "Notas 01-01-1997- a-b-.pdf";
    QTest::newRow("no hidden file") << "..Notas"
                                    << "Notas.pdf";
    QTest::newRow("a nameless document") << ""
                                         << "Listado de notas.pdf";
}

void TestQtPrinter::suggestedFileNames()
{
    QFETCH(QString, document);
    QFETCH(QString, file);
    const QFileInfo suggested(QtPrinter::suggestedFileName(document));
    QCOMPARE(suggested.fileName(), file);
    QVERIFY(suggested.dir().exists());
}

// Without the printing module nothing can be printed or kept: the user is told so in Spanish,
// and the listing is dropped as after a failed print.
void TestQtPrinter::withoutModule()
{
    QTemporaryDir dir;
    FakeMessageBoxes boxes;
    QtPrinter printer(boxes,
                      [&](const QString&) { return dir.filePath(QStringLiteral("listado.pdf")); },
                      noPrinter, {dir.filePath(QStringLiteral("libtarvelo-print.so"))});
    for (const QString& line : kListing)
        printer.printLine(line);
    QVERIFY(!printer.endDoc());
    QVERIFY(printer.lines().isEmpty());
    QCOMPARE(boxes.calls().size(), 1);
    QVERIFY2(boxes.calls().first().prompt.contains(QStringLiteral("falta libtarvelo-print.so")),
             qPrintable(boxes.calls().first().prompt));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("listado.pdf"))));
}

QTEST_MAIN(TestQtPrinter)
#include "tst_qtprinter.moc"
