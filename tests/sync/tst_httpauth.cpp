// The password's way to the server: Basic until Digest is asked for, Digest's answers as the
// RFCs compute them, and a refused password told apart from a nonce to answer again.
#include "sync/HttpAuth.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestHttpAuth : public QObject
{
    Q_OBJECT

private slots:
    // Digest's answer to a challenge, against the RFCs' worked examples and Python's hashlib.
    void digestAnswer_data()
    {
        QTest::addColumn<QByteArray>("challenge");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("cnonce");
        QTest::addColumn<QByteArray>("response");

        const QByteArray rfc2617 = R"(Digest realm="testrealm@host.com", qop="auth,auth-int", )"
                                   R"(nonce="dcd98b7102dd2f0e8b11d0f600bfb0c093", )"
                                   R"(opaque="5ccc069c403ebaf9f0171e9517f40e41")";
        QTest::newRow("RFC 2617's example: MD5, qop auth")
            << rfc2617 << u"Circle Of Life"_s << QByteArray("GET")
            << u"https://host.com/dir/index.html"_s << QByteArray("0a4f113b")
            << QByteArray("6629fae49393a05397450978507c4ef1");
        const QByteArray rfc7616 = R"(realm="http-auth@example.org", qop="auth, auth-int", )"
                                   R"(nonce="7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v", )"
                                   R"(opaque="FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS")";
        const QByteArray cnonce = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";
        QTest::newRow("RFC 7616's example, MD5")
            << "Digest " + rfc7616 + ", algorithm=MD5" << u"Circle of Life"_s << QByteArray("GET")
            << u"https://example.org/dir/index.html"_s << cnonce
            << QByteArray("8ca523f5e9506fed4657c9700eebdbec");
        QTest::newRow("RFC 7616's example, SHA-256 offered beside MD5: SHA-256")
            << "Digest " + rfc7616 + ", algorithm=MD5, Digest " + rfc7616 + ", algorithm=SHA-256"
            << u"Circle of Life"_s << QByteArray("GET") << u"https://example.org/dir/index.html"_s
            << cnonce
            << QByteArray("753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1");
        QTest::newRow("no qop: RFC 2069's answer")
            << QByteArray(R"(Digest realm="testrealm@host.com", )"
                          R"(nonce="dcd98b7102dd2f0e8b11d0f600bfb0c093")")
            << u"Circle Of Life"_s << QByteArray("GET") << u"https://host.com/dir/index.html"_s
            << QByteArray() << QByteArray("670fd8c2df070c60b045671b8b24ff02");
        QTest::newRow("MD5-sess, a path with a query and a character outside ASCII")
            << QByteArray(R"(Digest realm="testrealm@host.com", qop=auth, algorithm=MD5-sess, )"
                          R"(nonce="dcd98b7102dd2f0e8b11d0f600bfb0c093")")
            << u"Circle Of Life"_s << QByteArray("REPORT") << u"https://host.com/cal/uño/?a=1"_s
            << QByteArray("0a4f113b") << QByteArray("f5d4624690c7a67b76ca825b70c8199f");
    }
    void digestAnswer()
    {
        QFETCH(QByteArray, challenge);
        QFETCH(QString, password);
        QFETCH(QByteArray, verb);
        QFETCH(QString, url);
        QFETCH(QByteArray, cnonce);
        QFETCH(QByteArray, response);
        HttpAuth auth(u"Mufasa"_s, password);
        const QUrl at(url);
        const QByteArray basic = auth.header(verb, at);
        QVERIFY(basic.startsWith("Basic "));
        QVERIFY(auth.answer(basic, challenge));
        auth.setClientNonce(cnonce);
        const QByteArray digest = auth.header(verb, at);
        const QList<HttpAuth::Challenge> sent = HttpAuth::challenges(digest);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.first().scheme, QByteArray("Digest"));
        QCOMPARE(sent.first().params.at("response"), response);
        QCOMPARE(sent.first().params.at("username"), QByteArray("Mufasa"));
        QCOMPARE(sent.first().params.at("uri"),
                 at.path(QUrl::FullyEncoded).toUtf8() +
                     (at.hasQuery() ? "?" + at.query().toUtf8() : QByteArray()));
        if (!cnonce.isEmpty())
            QCOMPARE(sent.first().params.at("nc"), QByteArray("00000001"));
    }

    // What a 401 means, step by step: each step the server's WWW-Authenticate to what was last
    // sent, and whether the request is sent again.
    void refusals_data()
    {
        QTest::addColumn<QList<QByteArray>>("steps");
        QTest::addColumn<QList<bool>>("again");
        QTest::addColumn<QByteArray>("lastScheme"); // of the next Authorization sent
        QTest::addColumn<QString>("unknown");

        const QByteArray digest = R"(Digest realm="SabreDAV", qop="auth", nonce="n1", opaque="o")";
        const QByteArray newNonce =
            R"(Digest realm="SabreDAV", qop="auth", nonce="n2", opaque="o")";
        const QByteArray stale =
            R"(Digest realm="SabreDAV", qop="auth", nonce="n2", opaque="o", stale=TRUE)";
        QTest::newRow("Basic refused: the password")
            << QList<QByteArray>{R"(Basic realm="Radicale")"} << QList<bool>{false}
            << QByteArray("Basic") << QString();
        QTest::newRow("Digest asked for where Basic was sent, then a new nonce: the password")
            << QList<QByteArray>{digest, newNonce} << QList<bool>{true, false}
            << QByteArray("Digest") << QString();
        QTest::newRow("a stale nonce is answered again")
            << QList<QByteArray>{digest, stale} << QList<bool>{true, true} << QByteArray("Digest")
            << QString();
        QTest::newRow("Basic and Digest in one joined header: Digest")
            << QList<QByteArray>{R"(Basic realm="x", )" + digest} << QList<bool>{true}
            << QByteArray("Digest") << QString();
        QTest::newRow("only schemes not known: named")
            << QList<QByteArray>{"NTLM, Negotiate YIIBhgYGKwYBBQUCoIIB=="} << QList<bool>{false}
            << QByteArray("Basic") << u"NTLM, Negotiate"_s;
        QTest::newRow("Digest with auth-int alone, or an algorithm not known: not answered")
            << QList<QByteArray>{R"(Digest realm="r", nonce="n", qop="auth-int", )"
                                 R"(Digest realm="r", nonce="n", algorithm=SHA-512-256)"}
            << QList<bool>{false} << QByteArray("Basic") << QString();
    }
    void refusals()
    {
        QFETCH(QList<QByteArray>, steps);
        QFETCH(QList<bool>, again);
        QFETCH(QByteArray, lastScheme);
        QFETCH(QString, unknown);
        HttpAuth auth(u"u0"_s, u"clave0"_s);
        const QUrl at(u"https://dav.example/cal/"_s);
        QList<bool> answered;
        for (const QByteArray& challenge : steps)
            answered << auth.answer(auth.header("PROPFIND", at), challenge);
        QCOMPARE(answered, again);
        QVERIFY(auth.header("PROPFIND", at).startsWith(lastScheme + ' '));
        QCOMPARE(auth.unknownSchemes(), unknown);
    }

    // Requests sent at once with the same nonce: one brings a new nonce, the others refused
    // with the old one are sent again with the new, not taken for a wrong password.
    void newerNonceMeanwhile()
    {
        HttpAuth auth(u"u0"_s, u"clave0"_s);
        const QUrl at(u"https://dav.example/cal/"_s);
        QVERIFY(auth.answer(auth.header("GET", at), R"(Digest realm="r", qop="auth", nonce="n1")"));
        const QByteArray first = auth.header("GET", at);
        const QByteArray second = auth.header("GET", at);
        const QByteArray renewed = R"(Digest realm="r", qop="auth", nonce="n2", stale=true)";
        QVERIFY(auth.answer(first, renewed));
        QVERIFY(auth.answer(second, renewed));
        QCOMPARE(HttpAuth::challenges(auth.header("GET", at)).first().params.at("nonce"),
                 QByteArray("n2"));
    }
};

QTEST_GUILESS_MAIN(TestHttpAuth)
#include "tst_httpauth.moc"
