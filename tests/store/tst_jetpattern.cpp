#include "store/jet/JetFunctions.h"
#include "store/jet/JetPattern.h"

#include <QString>
#include <QTest>
#include <QVariant>

#include <sqlite3.h>

#include <optional>

class TestJetPattern : public QObject
{
    Q_OBJECT

private slots:
    void letters_data();
    void letters() { checkRow(); }
    void wildcards_data();
    void wildcards() { checkRow(); }
    void lists_data();
    void lists() { checkRow(); }
    void plainCharacters_data();
    void plainCharacters() { checkRow(); }
    void escape_data();
    void escape() { checkRow(); }
    void backtrackingStaysLinearPerStar();

    void init();
    void cleanup();
    void sqlResults_data();
    void sqlResults();
    void sqlCountsNotes();
    void sqlPatternsPerRow();
    void sqlRejectsLongEscape();

private:
    static void columns();
    static void row(const char* name, const QString& pattern, const QString& text, bool expected,
                    const QString& escape = {});
    static void checkRow();
    // The value of a one-row, one-column query; an invalid QVariant stands for NULL.
    QVariant scalar(const char* sql);

    sqlite3* db_ = nullptr;
};

void TestJetPattern::columns()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escape"); // empty: no escape character
    QTest::addColumn<bool>("expected");
}

void TestJetPattern::row(const char* name, const QString& pattern, const QString& text,
                         bool expected, const QString& escape)
{
    QTest::newRow(name) << pattern << text << escape << expected;
}

void TestJetPattern::checkRow()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(QString, escape);
    QFETCH(bool, expected);
    const std::optional<QChar> escapeChar =
        escape.isEmpty() ? std::nullopt : std::optional<QChar>(escape.front());
    QCOMPARE(JetPattern(pattern, escapeChar).matches(text), expected);
}

void TestJetPattern::letters_data()
{
    columns();
    row("literal equal", "reunión", "reunión", true);
    row("literal differs", "reunión", "reunion", false);
    row("literal longer text", "cita", "citas", false);
    row("ascii case ignored", "CiTa", "cItA", true);
    row("enye any case", "ñandú", "ÑANDÚ", true);
    row("e acute any case", "café", "CAFÉ", true);
    row("acute distinct from plain", "cafe", "café", false);
    row("plain distinct from acute", "café", "cafe", false);
    row("empty pattern empty text", "", "", true);
    row("empty pattern some text", "", "a", false);
    row("pattern on empty text", "a", "", false);
}

void TestJetPattern::wildcards_data()
{
    columns();
    row("star at start", "*mañana", "pasado mañana", true);
    row("star in middle", "re*ón", "reunión", true);
    row("star at end", "reu*", "reunión", true);
    row("star takes none", "a*b", "ab", true);
    row("star alone on empty", "*", "", true);
    row("stars in a row", "a**b", "axyb", true);
    row("star still anchored", "*a", "ab", false);
    row("question takes one", "a?c", "abc", true);
    row("question needs one", "a?c", "ac", false);
    row("question takes only one", "a?c", "abbc", false);
    row("hash takes digit", "sala #", "sala 3", true);
    row("hash rejects letter", "sala #", "sala B", false);
    row("hash rejects other digits", "#", QStringLiteral("\u0663"), false);
    row("emoji is one character", "a?b", QStringLiteral("a\U0001F600b"), true);
    row("emoji literal then star", QStringLiteral("\U0001F600*"), QStringLiteral("\U0001F600X"),
        true);
}

void TestJetPattern::lists_data()
{
    columns();
    row("set member", "[abc]", "b", true);
    row("set member other case", "[abc]", "B", true);
    row("set non member", "[abc]", "d", false);
    row("negated set non member", "[!abc]", "d", true);
    row("negated set member", "[!abc]", "a", false);
    row("negated set needs a char", "x[!abc]", "x", false);
    row("range inside", "[a-f]", "c", true);
    row("range other case", "[a-f]", "C", true);
    row("range outside", "[a-f]", "g", false);
    row("range excludes accented", "[a-z]", "é", false);
    row("range accented any case", "[à-ö]", "É", true);
    row("range mixed with member", "[a-cx]", "x", true);
    row("range mixed outside", "[a-cx]", "d", false);
    row("negated range", "[!0-9]", "5", false);
    row("dash first literal", "[-a]", "-", true);
    row("dash after bang literal", "[!-a]", "-", false);
    row("dash last literal", "[a-]", "-", true);
    row("dash last keeps member", "[a-]", "b", false);
    row("bang alone in list", "[!]", "!", true);
    row("star in list literal", "[*]", "*", true);
    row("star in list not wild", "[*]", "x", false);
    row("question in list literal", "[?]", "?", true);
    row("question in list not wild", "[?]", "x", false);
    row("hash in list literal", "[#]", "#", true);
    row("hash in list not digit", "[#]", "1", false);
    row("bracket in list literal", "[[]", "[", true);
    row("empty list matches nothing", "a[]b", "ab", true);
    row("empty list takes no char", "a[]b", "axb", false);
    row("reversed range holds nothing", "[z-a]", "m", false);
}

void TestJetPattern::plainCharacters_data()
{
    columns();
    row("bang outside list", "¡hola!", "¡HOLA!", true);
    row("percent plain", "50%", "50%", true);
    row("percent not wild", "a%", "abc", false);
    row("underscore plain", "a_b", "a_b", true);
    row("underscore not wild", "a_b", "axb", false);
    row("apostrophe plain", "O'Neill*", "o'neill lunes", true);
    row("unclosed bracket literal", "[abc", "[abc", true);
    row("unclosed bracket not a set", "[abc", "a", false);
    row("unclosed bracket rest is pattern", "[a*", "[abc", true);
    row("closing bracket literal", "a]", "a]", true);
}

void TestJetPattern::escape_data()
{
    columns();
    row("escaped star literal", "100\\*", "100*", true, "\\");
    row("escaped star not wild", "100\\*", "1000", false, "\\");
    row("escaped question literal", "\\?", "?", true, "\\");
    row("escaped hash literal", "\\#1", "#1", true, "\\");
    row("escaped hash not digit", "\\#", "5", false, "\\");
    row("escaped bracket literal", "\\[a]", "[a]", true, "\\");
    row("escaped escape", "a\\\\b", "a\\b", true, "\\");
    row("escape last is literal", "a\\", "a\\", true, "\\");
    row("escaped in list", "[\\]]", "]", true, "\\");
    row("escaped letter any case", "!a*", "A1", true, "!");
    row("without escape backslash plain", "a\\*", "a\\xyz", true);
}

void TestJetPattern::backtrackingStaysLinearPerStar()
{
    const QString pattern = QStringLiteral("*a*a*a*a*a*a*a*a*a*a*b");
    const QString allA(10000, QLatin1Char('a'));
    QVERIFY(!JetPattern(pattern).matches(allA));
    QVERIFY(JetPattern(pattern).matches(allA + QLatin1Char('b')));
    QVERIFY(!JetPattern(QStringLiteral("*?*?*?*?*?*#")).matches(allA));
}

void TestJetPattern::init()
{
    QCOMPARE(sqlite3_open(":memory:", &db_), SQLITE_OK);
    QCOMPARE(JetFunctions::registerOn(db_), SQLITE_OK);
}

void TestJetPattern::cleanup()
{
    sqlite3_close(db_);
    db_ = nullptr;
}

QVariant TestJetPattern::scalar(const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
        qWarning("%s", sqlite3_errmsg(db_));
        return QStringLiteral("prepare failed");
    }
    QVariant value = QStringLiteral("no row");
    if (sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_type(statement, 0) == SQLITE_NULL
                    ? QVariant()
                    : QVariant(sqlite3_column_int64(statement, 0));
    }
    sqlite3_finalize(statement);
    return value;
}

void TestJetPattern::sqlResults_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("expected"); // invalid: NULL

    const QVariant null;
    QTest::newRow("len of null") << "SELECT len(NULL)" << null;
    QTest::newRow("len counts characters") << "SELECT len('ñandú')" << QVariant(5LL);
    QTest::newRow("len of emoji") << "SELECT len(char(128512))" << QVariant(1LL);
    QTest::newRow("len of number text") << "SELECT len(12.5)" << QVariant(4LL);
    QTest::newRow("len stops at a NUL, as length does")
        << "SELECT len(CAST(x'41004142' AS TEXT))" << QVariant(1LL);
    QTest::newRow("null text") << "SELECT NULL LIKE '*'" << null;
    QTest::newRow("null pattern") << "SELECT 'x' LIKE NULL" << null;
    QTest::newRow("percent plain") << "SELECT 'a%b' LIKE 'a%b'" << QVariant(1LL);
    QTest::newRow("percent not wild") << "SELECT 'axb' LIKE 'a%b'" << QVariant(0LL);
    QTest::newRow("underscore plain") << "SELECT 'a_' LIKE 'a?'" << QVariant(1LL);
    QTest::newRow("number as text") << "SELECT 2024 LIKE '20##'" << QVariant(1LL);
    QTest::newRow("replaces ascii like") << "SELECT 'ÑANDU' LIKE 'ñandu'" << QVariant(1LL);
    QTest::newRow("escape literal star") << "SELECT '5*' LIKE '5\\*' ESCAPE '\\'" << QVariant(1LL);
    QTest::newRow("escape star not wild") << "SELECT '55' LIKE '5\\*' ESCAPE '\\'" << QVariant(0LL);
    QTest::newRow("escape beyond bmp")
        << "SELECT '*' LIKE char(128512) || '*' ESCAPE char(128512)" << QVariant(1LL);
    QTest::newRow("escape null") << "SELECT 'a' LIKE 'a' ESCAPE NULL" << null;
    QTest::newRow("not like") << "SELECT 'lunes' NOT LIKE 'mar*'" << QVariant(1LL);
}

void TestJetPattern::sqlResults()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, expected);
    const QVariant actual = scalar(sql.toUtf8().constData());
    QCOMPARE(actual.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(actual.toLongLong(), expected.toLongLong());
}

void TestJetPattern::sqlCountsNotes()
{
    QCOMPARE(sqlite3_exec(db_,
                          "CREATE TABLE t(nota TEXT);"
                          "INSERT INTO t VALUES ('Reunión de equipo'), ('REUNION anual'),"
                          " ('reunion'), ('comida'), ('preReunionx'), (''), (NULL);",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    // "reunión" keeps its accent apart from "reunion"; the rows differ only in case otherwise.
    QCOMPARE(scalar("SELECT count(*) FROM t WHERE nota LIKE '*reunion*'"), QVariant(3LL));
    QCOMPARE(scalar("SELECT count(*) FROM t WHERE nota LIKE '*reuni?n*'"), QVariant(4LL));
    QCOMPARE(scalar("SELECT count(*) FROM t WHERE len(nota) > 0"), QVariant(5LL));
    QCOMPARE(scalar("SELECT count(*) FROM t WHERE nota LIKE '*'"), QVariant(6LL));
}

void TestJetPattern::sqlPatternsPerRow()
{
    QCOMPARE(sqlite3_exec(db_,
                          "CREATE TABLE p(patron TEXT, esc TEXT);"
                          "INSERT INTO p VALUES ('a!*', '!'), ('a!*', '?'), ('a?*', '!'),"
                          " ('b*', '!');",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    // A constant pattern is compiled once per statement, yet the escape may change row by row.
    QCOMPARE(scalar("SELECT count(*) FROM p WHERE 'a*' LIKE 'a!*' ESCAPE esc"), QVariant(3LL));
    QCOMPARE(scalar("SELECT count(*) FROM p WHERE 'a!x' LIKE 'a!*' ESCAPE esc"), QVariant(1LL));
    QCOMPARE(scalar("SELECT count(*) FROM p WHERE 'a*' LIKE patron"), QVariant(1LL));
}

void TestJetPattern::sqlRejectsLongEscape()
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db_, "SELECT 'a' LIKE 'a' ESCAPE 'ab'", -1, &statement, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    QCOMPARE(rc, SQLITE_ERROR);
    QCOMPARE(QString::fromUtf8(sqlite3_errmsg(db_)),
             QStringLiteral("ESCAPE expression must be a single character"));
    sqlite3_finalize(statement);
}

QTEST_GUILESS_MAIN(TestJetPattern)
#include "tst_jetpattern.moc"
