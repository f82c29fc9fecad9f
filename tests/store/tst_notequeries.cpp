#include "store/domain/ListingRequest.h"
#include "store/listings/NoteQueries.h"

#include <QTest>

Q_DECLARE_METATYPE(ListingRequest)

namespace {

// A selection of 1997 with the boxes as the dialog leaves them unless told otherwise.
ListingRequest of1997(bool festivo, bool laboral, std::optional<DayColour> colour = {},
                      const QString& word = {})
{
    SelectionCriteria criteria;
    criteria.desde = 35431;
    criteria.hasta = 35795;
    criteria.festivo = festivo;
    criteria.laboral = laboral;
    criteria.colour = colour;
    criteria.word = word;
    return ListingRequest::selection(criteria);
}

} // namespace

class TestNoteQueries : public QObject
{
    Q_OBJECT

private slots:
    void textOfEveryRequest_data();
    void textOfEveryRequest();
};

void TestNoteQueries::textOfEveryRequest_data()
{
    QTest::addColumn<ListingRequest>("request");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wholeRange"); // counted from the index of dates alone

    const QString select = QStringLiteral("SELECT fecha, nota FROM calendar WHERE fecha BETWEEN "
                                          "35431 AND 35795");
    const QString order = QStringLiteral(" ORDER by fecha");
    QTest::newRow("Ver notas") << ListingRequest::allNotes()
                               << "select fecha, nota from calendar where len(nota) > 0 order by "
                                  "fecha"
                               << false;
    QTest::newRow("a month") << ListingRequest::period(QDate(1997, 3, 1), QDate(1997, 3, 31))
                             << "SELECT fecha,nota from calendar WHERE fecha BETWEEN 35490 AND "
                                "35520 AND len(nota)>0 ORDER by fecha"
                             << false;
    QTest::newRow("a year before 1900: negative day numbers")
        << ListingRequest::period(QDate(1800, 1, 1), QDate(1800, 12, 31))
        << "SELECT fecha,nota from calendar WHERE fecha BETWEEN -36522 AND -36158 AND "
           "len(nota)>0 ORDER by fecha"
        << false;
    QTest::newRow("a selection of every day") << of1997(true, true) << select + order << true;
    QTest::newRow("neither holiday box: every day")
        << of1997(false, false) << select + order << true;
    QTest::newRow("holidays") << of1997(true, false) << select + " and Festivo <> False" + order
                              << false;
    QTest::newRow("workdays") << of1997(false, true) << select + " and Festivo = False" + order
                              << false;
    QTest::newRow("a colour") << of1997(true, true, DayColour::Verde)
                              << select + " and color=" +
                                     QString::number(DayColours::code(DayColour::Verde)) + order
                              << false;
    QTest::newRow("a word, trimmed and quoted")
        << of1997(true, true, {}, QStringLiteral(" o'brien "))
        << select + " AND nota LIKE '*o''brien*'" + order << false;
    QTest::newRow("everything at once")
        << of1997(false, true, DayColour::Azul, QStringLiteral("?"))
        << select + " and Festivo = False and color=" +
               QString::number(DayColours::code(DayColour::Azul)) + " AND nota LIKE '*?*'" + order
        << false;
}

void TestNoteQueries::textOfEveryRequest()
{
    QFETCH(ListingRequest, request);
    QFETCH(QString, text);
    QFETCH(bool, wholeRange);
    QCOMPARE(NoteQueries::text(request), text);
    // Without its order, the same rows: what the listing counts and gathers.
    const QString unordered = NoteQueries::unordered(request);
    QCOMPARE(text.left(unordered.size()), unordered);
    QCOMPARE(text.mid(unordered.size()).toLower(), QStringLiteral(" order by fecha"));
    QCOMPARE(request.wholeRange(), wholeRange);
}

QTEST_GUILESS_MAIN(TestNoteQueries)
#include "tst_notequeries.moc"
