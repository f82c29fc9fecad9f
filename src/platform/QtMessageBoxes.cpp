#include "platform/QtMessageBoxes.h"

#include "platform/KeyGuard.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

int QtMessageBoxes::show(const QString& prompt, int style, const QString& title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(prompt);
    switch (style & 0x70) {
    case Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if ((style & 0x0f) == YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        box.setDefaultButton(style & DefaultButton2 ? no : yes);
        box.exec();
        return box.clickedButton() == yes ? Yes : No;
    }
    QPushButton* ok = box.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if ((style & 0x0f) == OkCancel) {
        cancel = box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
    }
    box.setDefaultButton(cancel && (style & DefaultButton2) ? cancel : ok);
    std::unique_ptr<KeyGuard> guard;
    if (style & Fatal)
        guard = std::make_unique<KeyGuard>(&box, kFatalKeyDelayMs);
    box.exec();
    return box.clickedButton() == ok ? Ok : Cancel;
}
