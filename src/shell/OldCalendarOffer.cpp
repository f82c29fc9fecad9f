#include "shell/OldCalendarOffer.h"

#include "access/ConversionFiles.h"
#include "access/JetSignature.h"
#include "access/MdbError.h"
#include "access/MdbImport.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

// The changes a message box lists; the rest are counted.
constexpr int kChangesShown = 15;

void refuse(MessageBoxes& boxes, const QString& message)
{
    std::fprintf(stderr, "tarvelo: %s\n", message.toLocal8Bit().constData());
    boxes.show(message, MessageBoxes::Critical);
}

} // namespace

bool OldCalendarOffer::run(MessageBoxes& boxes, const QString& folder)
{
    ConversionFiles::recover(folder);
    const QString path = CalendarStore::pathIn(folder);
    const JetSignature::Kind kind = JetSignature::of(path);
    if (kind == JetSignature::Kind::NotAccess)
        return true;
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (kind == JetSignature::Kind::Ace) {
        refuse(boxes, QStringLiteral("El archivo «%1» es una base de datos de Access 2007 o "
                                     "posterior, que Tarvelo no lee. Guárdelo desde Access en el "
                                     "formato de Access 2000 (.mdb) y vuelva a abrir Tarvelo.")
                          .arg(shown));
        return false;
    }
    const QString question =
        QStringLiteral("El archivo «%1» es un calendario de la versión anterior (Access). ¿Desea "
                       "convertirlo? El original se guardará como «%2» en la misma carpeta.")
            .arg(shown, ConversionFiles::keptName(folder));
    if (boxes.show(question, MessageBoxes::YesNo | MessageBoxes::Question) != MessageBoxes::Yes) {
        std::fprintf(stderr, "tarvelo: %s no se ha convertido.\n", shown.toLocal8Bit().constData());
        // The program ends here: the user is told it was their answer, and how to come back.
        boxes.show(QStringLiteral("No se ha cambiado nada: «%1» sigue como estaba, y Tarvelo no "
                                  "se abre sobre un calendario sin convertir.\n\n"
                                  "Para convertirlo más adelante, abra Tarvelo de nuevo en esta "
                                  "carpeta y responda «Sí»; o, con Tarvelo abierto en otra "
                                  "carpeta, use «Archivo → Traer el calendario de la versión "
                                  "anterior…».")
                       .arg(shown),
                   MessageBoxes::Information);
        return false;
    }
    try {
        QString kept;
        const ConversionReport report = MdbImport::convertInPlace(folder, &kept);
        boxes.show(report.html(kChangesShown, {},
                               {QStringLiteral("El original se ha guardado como «%1».").arg(kept)}),
                   MessageBoxes::Information);
    } catch (const MdbError& error) {
        refuse(boxes, error.message() + QStringLiteral("\n\nEl archivo se ha dejado como estaba."));
        return false;
    }
    return true;
}
