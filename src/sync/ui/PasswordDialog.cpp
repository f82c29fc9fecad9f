#include "sync/ui/PasswordDialog.h"

#include "sync/ui/ServerDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PasswordDialog::PasswordDialog(const QString& user, const QString& host, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(ServerDialog::kTitle);
    auto* label = new QLabel(
        QStringLiteral("&Contraseña de «%1» en el servidor «%2» (se recuerda hasta que se cierre "
                       "Tarvelo):")
            .arg(user, host),
        this);
    label->setWordWrap(true);
    txtContrasena_ = new QLineEdit(this);
    txtContrasena_->setObjectName(QStringLiteral("txtContrasena"));
    txtContrasena_->setEchoMode(QLineEdit::Password);
    label->setBuddy(txtContrasena_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Ca&ncelar"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(txtContrasena_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString PasswordDialog::password() const
{
    return txtContrasena_->text();
}
