#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the server's password once in a run where the keyring has none (or there is no
// keyring): it is kept in memory only, until the program ends.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    PasswordDialog(const QString& user, const QString& host, QWidget* parent = nullptr);

    QString password() const;

private:
    QLineEdit* txtContrasena_;
};
