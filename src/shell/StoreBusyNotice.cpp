#include "shell/StoreBusyNotice.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

StoreBusyNotice::StoreBusyNotice(const QString& storePath, QWidget* parent)
    : QObject(parent), storePath_(storePath), parent_(parent)
{
}

QString StoreBusyNotice::text(const QString& storePath, const QString& holder)
{
    const QString path = QDir::toNativeSeparators(QFileInfo(storePath).absoluteFilePath());
    const QString who = holder.isEmpty() ? QStringLiteral("otro programa") : holder;
    return QStringLiteral("El archivo de datos «%1» está en uso por %2. Lo que escriba se "
                          "guardará en cuanto quede libre.")
        .arg(path, who);
}

void StoreBusyNotice::tell(const std::optional<QString>& holder, const QString& unsaved, bool kept)
{
    if (!holder) {
        if (box_)
            box_->deleteLater();
        box_ = nullptr;
        notDone_.clear();
        told_ = false;
        return;
    }
    const bool news = !kept && !unsaved.isEmpty() && !notDone_.contains(unsaved);
    if (news)
        notDone_ << unsaved;
    if (told_ && !box_ && !news)
        return; // said once, and put away by the user
    QString message = text(storePath_, *holder);
    if (!notDone_.isEmpty()) {
        message += QStringLiteral("\n\nNo se ha guardado %1: vuelva a intentarlo entonces.")
                       .arg(notDone_.join(QStringLiteral(", ")));
    }
    if (box_) {
        box_->setText(message); // said once: only what it says grows
        return;
    }
    box_ = new QMessageBox(QMessageBox::Information, QStringLiteral("Tarvelo"), message,
                           QMessageBox::NoButton, parent_);
    box_->setObjectName(QStringLiteral("storeBusy"));
    box_->addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
    box_->setWindowModality(Qt::NonModal);
    box_->setAttribute(Qt::WA_ShowWithoutActivating);
    box_->setAttribute(Qt::WA_DeleteOnClose);
    connect(box_, &QObject::destroyed, this, [this](QObject* gone) {
        if (gone == box_)
            box_ = nullptr;
    });
    box_->show();
    told_ = true;
}

QMessageBox* StoreBusyNotice::box() const
{
    return box_;
}
