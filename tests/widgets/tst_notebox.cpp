#include "widgets/NoteBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>
#include <QtTest>

class TestNoteBox : public QObject
{
    Q_OBJECT

private slots:
    void givesBackWhatItShows_data();
    void givesBackWhatItShows();
    void longLineShowsInPieces();
    void enterInAPieceBreaksTheLine();
    void pasteInAPieceKeepsItsLines();
    void limitsTypingNotShowing();
};

void TestNoteBox::givesBackWhatItShows_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("shown");

    const QString word = QStringLiteral("palabra ");
    const QString longLine = word.repeated(3 * NoteBox::kPiece / int(word.size()));
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("short, with lines") << "uno\ndos\n\ntres"
                                       << "uno\ndos\n\ntres";
    QTest::newRow("CR LF shows as one break") << "uno\r\ndos"
                                              << "uno\ndos";
    QTest::newRow("a long line") << longLine << longLine;
    QTest::newRow("long lines among short ones")
        << "a\n" + longLine + "\nb\n" + longLine << "a\n" + longLine + "\nb\n" + longLine;
    QTest::newRow("long line without spaces")
        << QString(5000, QLatin1Char('x')) << QString(5000, QLatin1Char('x'));
    // A character outside the first plane, across where a piece would end.
    QString astral(NoteBox::kPiece - 1, QLatin1Char('y'));
    astral += QString::fromUtf8("😀") + QString(NoteBox::kPiece, QLatin1Char('z'));
    QTest::newRow("a character of two halves at a piece's end") << astral << astral;
    QTest::newRow("a megabyte with CR LF") << QStringLiteral("nota larga\r\n").repeated(90000)
                                           << QStringLiteral("nota larga\n").repeated(90000);
}

void TestNoteBox::givesBackWhatItShows()
{
    QFETCH(QString, note);
    QFETCH(QString, shown);
    NoteBox box;
    box.setNote(note);
    QVERIFY(box.note() == shown);
}

void TestNoteBox::longLineShowsInPieces()
{
    NoteBox box;
    const QString longLine = QStringLiteral("palabra ").repeated(1000);
    box.setNote(longLine);
    QVERIFY(box.document()->blockCount() > 1);
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
        QVERIFY(b.length() <= NoteBox::kPiece + 1);
    // Pieces end after a word: no word is cut in two on screen.
    QVERIFY(box.document()->begin().text().endsWith(QLatin1Char(' ')));
}

void TestNoteBox::enterInAPieceBreaksTheLine()
{
    NoteBox box;
    const QString longLine = QStringLiteral("palabra ").repeated(1000);
    box.setNote(longLine);
    QTextCursor cursor(box.document()->findBlockByNumber(1));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    box.setTextCursor(cursor);
    QTest::keyClick(&box, Qt::Key_Return);
    const qsizetype at = box.document()->begin().length() - 1 + 3;
    QCOMPARE(box.note(), longLine.left(at) + QLatin1Char('\n') + longLine.mid(at));
}

void TestNoteBox::pasteInAPieceKeepsItsLines()
{
    NoteBox box;
    const QString longLine = QStringLiteral("palabra ").repeated(1000);
    box.setNote(longLine);
    QTextCursor cursor(box.document()->findBlockByNumber(2));
    box.setTextCursor(cursor);
    QGuiApplication::clipboard()->setText(QStringLiteral("uno\ndos"));
    box.paste();
    const qsizetype at =
        box.document()->begin().length() + box.document()->findBlockByNumber(1).length() - 2;
    QCOMPARE(box.note(), longLine.left(at) + QStringLiteral("uno\ndos") + longLine.mid(at));
}

void TestNoteBox::limitsTypingNotShowing()
{
    NoteBox box(10);
    box.setNote(QStringLiteral("doce letras!"));
    QCOMPARE(box.note(), QStringLiteral("doce letras!"));
    box.moveCursor(QTextCursor::End);
    QTest::keyClicks(&box, QStringLiteral("mas"));
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(box.note(), QStringLiteral("doce letras!"));
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClicks(&box, QStringLiteral("xyz"));
    QCOMPARE(box.note(), QStringLiteral("doce letrx"));
}

QTEST_MAIN(TestNoteBox)
#include "tst_notebox.moc"
