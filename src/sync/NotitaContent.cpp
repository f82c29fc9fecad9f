#include "sync/NotitaContent.h"

#include "ical/IcalPtr.h"
#include "ical/IcsError.h"
#include "ical/IcsExporter.h"
#include "sync/SyncError.h"

#include <QRegularExpression>

namespace {

const QString kOwnSuffix = QStringLiteral("@tarvelo");

QString fromIcal(const char* text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

QString NotitaContent::canonical(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    return lines.trimmed();
}

QByteArray NotitaContent::body(const QString& uid, const QString& text)
{
    Notita notita;
    notita.text = text;
    try {
        return IcsExporter::render({}, {notita}, {{notita.row, uid}});
    } catch (const IcsError& error) {
        throw SyncError(QStringLiteral("No se ha podido preparar la notita «%1»: %2")
                            .arg(text.section(u'\n', 0, 0), error.message()));
    }
}

QString NotitaContent::fileName(const QString& uid)
{
    return QStringLiteral("notita-%1.ics").arg(uid.chopped(kOwnSuffix.size()));
}

std::optional<NotitaContent::Read> NotitaContent::read(const QByteArray& body, const QString& where)
{
    icalerror_set_errors_are_fatal(0);
    const IcalComponentPtr root(icalparser_parse_string(body.constData()));
    if (!root || icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT)
        throw SyncError(QStringLiteral("«%1» no es un evento de calendario legible.").arg(where));
    icalcomponent* journal = icalcomponent_get_first_component(root.get(), ICAL_VJOURNAL_COMPONENT);
    if (!journal)
        return std::nullopt;
    // A notita's identity is a UUID of its own; a day's event is dia-…@tarvelo.
    static const QRegularExpression own(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}@tarvelo$"));
    const QString uid = fromIcal(icalcomponent_get_uid(journal));
    if (!own.match(uid).hasMatch())
        return std::nullopt;
    QString text = fromIcal(icalcomponent_get_description(journal));
    if (text.isEmpty())
        text = fromIcal(icalcomponent_get_summary(journal));
    return Read{uid, canonical(text)};
}
