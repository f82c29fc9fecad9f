#include "platform/QtFileDialogs.h"

#include "platform/ImportDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

QString QtFileDialogs::saveFile(const QString& caption, const QString& suggested,
                                const QString& filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, suggested, filter);
}

QString QtFileDialogs::openFile(const QString& caption, const QString& filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QDir::homePath(),
                                        filter);
}

std::optional<ImportChoice> QtFileDialogs::askImport(const QString& caption, const QString& file,
                                                     int year)
{
    ImportDialog dialog(caption, file, year, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}
