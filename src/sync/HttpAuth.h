#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <map>

// How the password goes with each request: Basic until the server asks for Digest (Baïkal's
// default, and any sabre/dav so set up), then Digest, answering each of its nonces. The
// password itself never leaves in the clear to a server that asked for Digest.
class HttpAuth
{
public:
    struct Challenge
    {
        QByteArray scheme;                       // as the server spells it: "Basic", "Digest"...
        std::map<QByteArray, QByteArray> params; // names in lower case, values unquoted
    };
    // The challenges of a WWW-Authenticate value, several headers joined by commas as they come.
    static QList<Challenge> challenges(const QByteArray& header);

    HttpAuth(const QString& user, const QString& password);

    // The Authorization header for one request.
    QByteArray header(const QByteArray& verb, const QUrl& url);

    // A 401 to a request sent with the Authorization sent, and the server's WWW-Authenticate:
    // true when the request is worth making again (Digest asked for where Basic was sent, a
    // nonce the server calls stale, or a newer nonce taken since); false when the user or the
    // password is what the server refuses, or nothing it offers can be answered.
    bool answer(const QByteArray& sent, const QByteArray& wwwAuthenticate);

    // The schemes the server offered that cannot be answered (NTLM, Negotiate, Bearer...), as
    // it named them: what to tell the user when nothing could be answered.
    QString unknownSchemes() const { return unknown_; }

    // For tests: the client nonce of the next Digest answer.
    void setClientNonce(const QByteArray& cnonce) { cnonce_ = cnonce; }

private:
    QString user_;
    QString password_;
    bool digest_ = false;
    QByteArray realm_;
    QByteArray nonce_;
    QByteArray opaque_;
    QByteArray algorithm_; // "MD5", "MD5-sess", "SHA-256", "SHA-256-sess"
    QByteArray qop_;       // "auth" or empty (RFC 2069's answer)
    unsigned count_ = 0;   // the nc of the last answer to this nonce
    QByteArray cnonce_;
    QString unknown_;
};
