#include "sync/HttpAuth.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace {

bool isTokenChar(char c)
{
    return c > ' ' && c < 127 && !QByteArrayView("()<>@,;:\\\"/[]?={}").contains(c);
}

QByteArray hashed(const QByteArray& algorithm, const QByteArray& data)
{
    const bool sha = algorithm.toUpper().startsWith("SHA-256");
    return QCryptographicHash::hash(data,
                                    sha ? QCryptographicHash::Sha256 : QCryptographicHash::Md5)
        .toHex();
}

QByteArray quoted(const QByteArray& value)
{
    QByteArray out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

} // namespace

QList<HttpAuth::Challenge> HttpAuth::challenges(const QByteArray& header)
{
    QList<Challenge> found;
    const qsizetype n = header.size();
    qsizetype i = 0;
    const auto skipSpaces = [&] {
        while (i < n && (header[i] == ' ' || header[i] == '\t'))
            ++i;
    };
    while (i < n) {
        skipSpaces();
        if (i < n && header[i] == ',') {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n && isTokenChar(header[i]))
            ++i;
        if (i == start) {
            ++i; // a character no grammar allows here: passed over
            continue;
        }
        const QByteArray token = header.mid(start, i - start);
        skipSpaces();
        if (i < n && header[i] == '=' && !found.isEmpty()) {
            ++i;
            skipSpaces();
            QByteArray value;
            if (i < n && header[i] == '"') {
                for (++i; i < n && header[i] != '"'; ++i) {
                    if (header[i] == '\\' && i + 1 < n)
                        ++i;
                    value += header[i];
                }
                ++i;
            } else {
                while (i < n && header[i] != ',' && header[i] != ' ')
                    value += header[i++];
            }
            found.last().params[token.toLower()] = value;
        } else if (i < n && header[i] == '=') {
            // A parameter before any scheme: not a challenge.
            while (i < n && header[i] != ',')
                ++i;
        } else {
            // A scheme; a token68 after it (Negotiate's blob) reads as a parameter of no use.
            found.append({token, {}});
        }
    }
    return found;
}

HttpAuth::HttpAuth(const QString& user, const QString& password) : user_(user), password_(password)
{
}

QByteArray HttpAuth::header(const QByteArray& verb, const QUrl& url)
{
    if (!digest_)
        return "Basic " + (user_ + u':' + password_).toUtf8().toBase64();
    const QByteArray uri =
        url.path(QUrl::FullyEncoded).toUtf8() +
        (url.hasQuery() ? "?" + url.query(QUrl::FullyEncoded).toUtf8() : QByteArray());
    QByteArray cnonce = cnonce_;
    if (cnonce.isEmpty()) {
        const quint64 random = QRandomGenerator::system()->generate64();
        cnonce = QByteArray::number(random, 16);
    }
    ++count_;
    const QByteArray nc = QByteArray::number(count_, 16).rightJustified(8, '0');
    QByteArray ha1 = hashed(algorithm_, user_.toUtf8() + ':' + realm_ + ':' + password_.toUtf8());
    if (algorithm_.toLower().endsWith("-sess"))
        ha1 = hashed(algorithm_, ha1 + ':' + nonce_ + ':' + cnonce);
    const QByteArray ha2 = hashed(algorithm_, verb + ':' + uri);
    const QByteArray response = qop_.isEmpty()
                                    ? hashed(algorithm_, ha1 + ':' + nonce_ + ':' + ha2)
                                    : hashed(algorithm_, ha1 + ':' + nonce_ + ':' + nc + ':' +
                                                             cnonce + ':' + qop_ + ':' + ha2);
    QByteArray out = "Digest username=" + quoted(user_.toUtf8()) + ", realm=" + quoted(realm_) +
                     ", nonce=" + quoted(nonce_) + ", uri=" + quoted(uri) +
                     ", algorithm=" + algorithm_ + ", response=" + quoted(response);
    if (!opaque_.isEmpty())
        out += ", opaque=" + quoted(opaque_);
    if (!qop_.isEmpty())
        out += ", qop=" + qop_ + ", nc=" + nc + ", cnonce=" + quoted(cnonce);
    return out;
}

bool HttpAuth::answer(const QByteArray& sent, const QByteArray& wwwAuthenticate)
{
    unknown_.clear();
    const Challenge* digest = nullptr;
    bool basic = false;
    const QList<Challenge> offered = challenges(wwwAuthenticate);
    for (const Challenge& challenge : offered) {
        const QByteArray scheme = challenge.scheme.toLower();
        if (scheme == "basic") {
            basic = true;
            continue;
        }
        if (scheme != "digest") {
            if (!unknown_.isEmpty())
                unknown_ += QStringLiteral(", ");
            unknown_ += QString::fromLatin1(challenge.scheme);
            continue;
        }
        const auto algorithm = challenge.params.find("algorithm");
        const QByteArray name =
            algorithm == challenge.params.end() ? QByteArray("md5") : algorithm->second.toLower();
        if (name != "md5" && name != "md5-sess" && name != "sha-256" && name != "sha-256-sess")
            continue;
        const auto qop = challenge.params.find("qop");
        if (qop != challenge.params.end() &&
            !QByteArray(qop->second).replace(" ", "").split(',').contains(QByteArray("auth")))
            continue; // auth-int alone would mean hashing every body
        if (!digest || name.startsWith("sha-256"))
            digest = &challenge;
    }
    if (basic || digest)
        unknown_.clear();
    if (!digest)
        return false;
    const auto param = [&](const char* name) {
        const auto it = digest->params.find(name);
        return it == digest->params.end() ? QByteArray() : it->second;
    };
    const QList<Challenge> answered = challenges(sent);
    if (!answered.isEmpty() && answered.first().scheme.toLower() == "digest") {
        const auto it = answered.first().params.find("nonce");
        const QByteArray sentNonce =
            it == answered.first().params.end() ? QByteArray() : it->second;
        // Sent before another answer brought a newer nonce: sent again with that one.
        if (sentNonce != nonce_)
            return true;
        // The nonce answered as it should, and not called stale: the password is refused.
        if (param("stale").toLower() != "true")
            return false;
    }
    digest_ = true;
    realm_ = param("realm");
    nonce_ = param("nonce");
    opaque_ = param("opaque");
    algorithm_ = param("algorithm").isEmpty() ? QByteArray("MD5") : param("algorithm");
    qop_ = param("qop").isEmpty() ? QByteArray() : QByteArray("auth");
    count_ = 0;
    return true;
}
