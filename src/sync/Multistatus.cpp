#include "sync/Multistatus.h"

#include "sync/SyncError.h"

#include <QXmlStreamReader>

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

int statusOf(const QString& line)
{
    // "HTTP/1.1 404 Not Found"
    return line.section(u' ', 1, 1, QString::SectionSkipEmpty).toInt();
}

struct Reader
{
    QXmlStreamReader xml;
    QUrl from;
    QString host;
    int depth = 0;

    [[noreturn]] void refuse(const QString& why) const
    {
        throw SyncError(
            QStringLiteral("La respuesta del servidor «%1» no se puede leer: %2.").arg(host, why));
    }

    // The next token, with the limits kept.
    QXmlStreamReader::TokenType next()
    {
        const QXmlStreamReader::TokenType token = xml.readNext();
        switch (token) {
        case QXmlStreamReader::DTD:
            refuse(QStringLiteral("trae una DTD, que no se admite"));
        case QXmlStreamReader::EntityReference:
            refuse(QStringLiteral("trae entidades, que no se admiten"));
        case QXmlStreamReader::StartElement:
            if (++depth > Multistatus::kMaxDepth)
                refuse(QStringLiteral("anida más de %1 niveles").arg(Multistatus::kMaxDepth));
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Invalid:
            // Qt's own words for what is wrong are English: the kind of fault is said instead.
            refuse(
                xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                    ? QStringLiteral("se acaba antes de terminar (línea %1)").arg(xml.lineNumber())
                    : QStringLiteral("no es XML válido (línea %1)").arg(xml.lineNumber()));
        default:
            break;
        }
        return token;
    }

    bool is(const QString& ns, const char* name) const
    {
        return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
    }

    // The text of the element just begun, up to its end.
    QString text()
    {
        QString out;
        const int at = depth;
        while (true) {
            const QXmlStreamReader::TokenType token = next();
            if (token == QXmlStreamReader::Characters)
                out += xml.text();
            else if (token == QXmlStreamReader::EndElement && depth < at)
                return out;
            else if (token == QXmlStreamReader::EndDocument)
                refuse(QStringLiteral("termina a medias"));
        }
    }

    // The href inside the element just begun (current-user-principal, calendar-home-set), as a
    // whole address: these may name another server, which the caller decides on.
    QString hrefInside()
    {
        QString href;
        const int at = depth;
        while (true) {
            const QXmlStreamReader::TokenType token = next();
            if (token == QXmlStreamReader::StartElement && is(kDav, "href") && href.isEmpty())
                href = from.resolved(QUrl(text().trimmed())).toString(QUrl::FullyEncoded);
            else if (token == QXmlStreamReader::EndElement && depth < at)
                return href;
            else if (token == QXmlStreamReader::EndDocument)
                refuse(QStringLiteral("termina a medias"));
        }
    }

    QString path(const QString& href) const
    {
        const QUrl url = from.resolved(QUrl(href.trimmed()));
        if (url.host().compare(from.host(), Qt::CaseInsensitive) != 0 || url.port() != from.port())
            refuse(QStringLiteral("remite a otro servidor («%1»)").arg(url.host()));
        return url.path(QUrl::FullyDecoded);
    }

    void readProp(Multistatus::Response& r)
    {
        const int at = depth;
        while (true) {
            const QXmlStreamReader::TokenType token = next();
            if (token == QXmlStreamReader::EndElement && depth < at)
                return;
            if (token == QXmlStreamReader::EndDocument)
                refuse(QStringLiteral("termina a medias"));
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (is(kDav, "getetag")) {
                r.etag = text().trimmed().toUtf8();
            } else if (is(kCalDav, "calendar-data")) {
                r.calendarData = text();
            } else if (is(kDav, "displayname")) {
                r.displayName = text().trimmed();
            } else if (is(kDav, "current-user-principal")) {
                r.principal = hrefInside();
            } else if (is(kCalDav, "calendar-home-set")) {
                r.home = hrefInside();
            } else if (is(kDav, "resourcetype")) {
                readInside([&] {
                    if (is(kCalDav, "calendar"))
                        r.isCalendar = true;
                });
            } else if (is(kCalDav, "supported-calendar-component-set")) {
                bool events = false;
                bool journals = false;
                readInside([&] {
                    if (!is(kCalDav, "comp"))
                        return;
                    const auto name = xml.attributes().value(QLatin1String("name"));
                    events = events || name == QLatin1String("VEVENT");
                    journals = journals || name == QLatin1String("VJOURNAL");
                });
                r.takesEvents = events;
                r.takesJournals = journals;
            } else if (is(kDav, "supported-report-set")) {
                readInside([&] {
                    if (is(kDav, "sync-collection"))
                        r.syncCollection = true;
                });
            } else {
                readInside([] {});
            }
        }
    }

    // Every element inside the one just begun, shown to seen as it starts.
    template <typename Seen> void readInside(const Seen& seen)
    {
        const int at = depth;
        while (true) {
            const QXmlStreamReader::TokenType token = next();
            if (token == QXmlStreamReader::StartElement)
                seen();
            else if (token == QXmlStreamReader::EndElement && depth < at)
                return;
            else if (token == QXmlStreamReader::EndDocument)
                refuse(QStringLiteral("termina a medias"));
        }
    }

    Multistatus::Response readResponse()
    {
        Multistatus::Response r;
        const int at = depth;
        while (true) {
            const QXmlStreamReader::TokenType token = next();
            if (token == QXmlStreamReader::EndElement && depth < at)
                break;
            if (token == QXmlStreamReader::EndDocument)
                refuse(QStringLiteral("termina a medias"));
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (is(kDav, "href")) {
                r.href = path(text());
            } else if (is(kDav, "status")) {
                r.status = statusOf(text());
            } else if (is(kDav, "propstat")) {
                Multistatus::Response props;
                int status = 0;
                const int inside = depth;
                while (true) {
                    const QXmlStreamReader::TokenType t = next();
                    if (t == QXmlStreamReader::EndElement && depth < inside)
                        break;
                    if (t == QXmlStreamReader::EndDocument)
                        refuse(QStringLiteral("termina a medias"));
                    if (t != QXmlStreamReader::StartElement)
                        continue;
                    if (is(kDav, "prop"))
                        readProp(props);
                    else if (is(kDav, "status"))
                        status = statusOf(text());
                    else
                        readInside([] {});
                }
                if (status == 200) {
                    const QString href = r.href;
                    const int own = r.status;
                    r = props;
                    r.href = href;
                    r.status = own;
                }
            } else {
                readInside([] {});
            }
        }
        if (r.href.isEmpty())
            refuse(QStringLiteral("una respuesta no dice de qué dirección es (falta href)"));
        return r;
    }
};

} // namespace

Multistatus Multistatus::read(const QByteArray& body, const QUrl& from, const QString& host)
{
    Reader reader;
    reader.xml.addData(body);
    reader.xml.setNamespaceProcessing(true);
    reader.from = from;
    reader.host = host;
    Multistatus out;
    bool found = false;
    while (true) {
        const QXmlStreamReader::TokenType token = reader.next();
        if (token == QXmlStreamReader::EndDocument)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (reader.depth == 1) {
            if (!reader.is(kDav, "multistatus"))
                reader.refuse(QStringLiteral("no es una respuesta WebDAV (multistatus)"));
            found = true;
            continue;
        }
        if (reader.depth == 2 && reader.is(kDav, "response")) {
            Multistatus::Response response = reader.readResponse();
            // The server's mark that it stopped before the end (RFC 6578, 3.6): a response for
            // the listed folder itself with 507.
            if (response.status == 507)
                out.truncated = true;
            else
                out.responses.push_back(std::move(response));
        } else if (reader.depth == 2 && reader.is(kDav, "sync-token"))
            out.syncToken = reader.text().trimmed();
        else
            reader.readInside([] {});
    }
    if (!found)
        reader.refuse(QStringLiteral("está vacía"));
    return out;
}
