#include "platform/QtMessageBoxes.h"

#include "platform/KeyGuard.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

void setIcon(QMessageBox& box, int style)
{
    switch (style & 0x70) {
    case MessageBoxes::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageBoxes::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageBoxes::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageBoxes::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
}

} // namespace

int QtMessageBoxes::choose(const QString& prompt, const QStringList& buttons, int defaultButton,
                           int style, const QString& title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(prompt);
    setIcon(box, style);
    QList<QPushButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        added << box.addButton(buttons[i],
                               last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    if (!added.isEmpty()) {
        box.setEscapeButton(added.last());
        box.setDefaultButton(added.value(defaultButton, added.first()));
    }
    box.exec();
    const qsizetype pressed = added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return pressed < 0 ? int(buttons.size()) - 1 : int(pressed);
}

int QtMessageBoxes::show(const QString& prompt, int style, const QString& title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(prompt);
    setIcon(box, style);
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
