#pragma once

#include "sync/CalendarSync.h"
#include "sync/SyncRunner.h"

#include <QDialog>

#include <optional>

class MessageBoxes;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Servidor de calendarios": the server's address, the user and the password; "Probar" finds
// the user's calendars there and offers them, with a new calendar «Tarvelo» first, and says in
// Spanish what is wrong when it cannot. A calendar that already holds other programs' events
// is taken only once the user has been told how many and agreed. The server is asked through
// the runner, away from the window, which goes on answering meanwhile.
class ServerDialog : public QDialog
{
    Q_OBJECT

public:
    static const QString kTitle; // "Servidor de calendarios"

    // before: the account set up so far, if any; password: the one this run knows, if any.
    ServerDialog(SyncRunner& runner, MessageBoxes& boxes,
                 const std::optional<CalendarSync::Account>& before, const QString& password,
                 QWidget* parent = nullptr);

    // What was chosen, once accepted: an empty calendar is the user's calendar «Tarvelo»,
    // made when there is none.
    CalendarSync::Account account() const;
    QString password() const;
    // Whether the keyring is to keep the password.
    bool remember() const;

    void accept() override;

private:
    SyncRunner::Login login() const;
    void probe();
    void probed(const SyncRunner::Calendars& calendars, const QString& failure);
    void edited();
    void setBusy(bool busy, const QString& doing = {});
    // The status under "Probar", whole, however many lines it takes.
    void setStatus(const QString& text);

    SyncRunner& runner_;
    MessageBoxes& boxes_;
    QUrl before_; // the calendar set up so far
    QUrl probedServer_;
    QLineEdit* txtServidor_;
    QLineEdit* txtUsuario_;
    QLineEdit* txtContrasena_;
    QCheckBox* chkRecordar_;
    QPushButton* cmdProbar_;
    QLabel* lblEstado_;
    QComboBox* cboCalendario_;
    QPushButton* cmdAceptar_;
    bool confirmed_ = false; // the calendar's other events agreed to, or none
};
