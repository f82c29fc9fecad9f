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
    void changeKeepsTheCursor_data();
    void changeKeepsTheCursor();
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

// A note changed elsewhere while the user types (a sync writing the same notita): the cursor
// stays by the character it stood by.
void TestNoteBox::changeKeepsTheCursor_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("expected");
    QTest::newRow("text added after the cursor")
        << "Comprar pan" << 7 << "Comprar pan · leche" << 7;
    QTest::newRow("text added before the cursor")
        << "pan y leche" << 5 << "Comprar pan y leche" << 13;
    QTest::newRow("a line added above, CR LF as stored") << "pan" << 3 << "lunes\r\npan" << 9;
    QTest::newRow("text taken out before the cursor") << "Comprar pan" << 11 << "pan" << 3;
    QTest::newRow("the same text: nothing moves") << "pan" << 1 << "pan" << 1;
    QTest::newRow("a long line shown afresh keeps the place")
        << QString(3000, u'x') << 20 << QString(3001, u'x') << 20;
}

void TestNoteBox::changeKeepsTheCursor()
{
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, after);
    QFETCH(int, expected);
    NoteBox box;
    box.setNote(before);
    QTextCursor at = box.textCursor();
    at.setPosition(cursor);
    box.setTextCursor(at);
    box.changeNote(after);
    QCOMPARE(box.note(), QString(after).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(box.textCursor().position(), expected);
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
