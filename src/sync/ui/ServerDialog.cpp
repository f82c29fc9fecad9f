#include "sync/ui/ServerDialog.h"

#include "platform/MessageBoxes.h"
#include "sync/DavClient.h"
#include "sync/PasswordKeyring.h"
#include "sync/SyncError.h"
#include "sync/SyncState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString nameOf(const CalDavServer::Calendar& calendar)
{
    if (!calendar.name.trimmed().isEmpty())
        return calendar.name.trimmed();
    const QStringList parts = calendar.url.path().split(u'/', Qt::SkipEmptyParts);
    return parts.isEmpty() ? calendar.url.toString() : parts.last();
}

QLineEdit* lineEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

} // namespace

const QString ServerDialog::kTitle = QStringLiteral("Servidor de calendarios");

ServerDialog::ServerDialog(SyncRunner& runner, MessageBoxes& boxes,
                           const std::optional<CalendarSync::Account>& before,
                           const QString& password, QWidget* parent)
    : QDialog(parent), runner_(runner), boxes_(boxes)
{
    setObjectName(QStringLiteral("ServerDialog"));
    setWindowTitle(kTitle);

    txtServidor_ = lineEdit("txtServidor", this);
    txtServidor_->setPlaceholderText(QStringLiteral("https://servidor.example/"));
    txtUsuario_ = lineEdit("txtUsuario", this);
    txtContrasena_ = lineEdit("txtContrasena", this);
    txtContrasena_->setEchoMode(QLineEdit::Password);
    if (before) {
        txtServidor_->setText(before->server.toString(QUrl::RemoveUserInfo));
        txtUsuario_->setText(before->user);
        before_ = before->calendar;
    }
    txtContrasena_->setText(password);

    chkRecordar_ = new QCheckBox(QStringLiteral("&Recordar la contraseña"), this);
    chkRecordar_->setObjectName(QStringLiteral("chkRecordar"));
    chkRecordar_->setToolTip(QStringLiteral("La guarda el llavero del escritorio; si no, se pide "
                                            "una vez cada vez que se abre Tarvelo."));
    chkRecordar_->setChecked(PasswordKeyring::wanted());
    chkRecordar_->setEnabled(PasswordKeyring::wanted());

    cmdProbar_ = new QPushButton(QStringLiteral("&Probar"), this);
    cmdProbar_->setObjectName(QStringLiteral("cmdProbar"));
    lblEstado_ = new QLabel(QStringLiteral("Pulse «Probar» para buscar sus calendarios."), this);
    lblEstado_->setObjectName(QStringLiteral("lblEstado"));
    lblEstado_->setWordWrap(true);
    lblEstado_->setMinimumWidth(360);
    lblEstado_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cboCalendario_ = new QComboBox(this);
    cboCalendario_->setObjectName(QStringLiteral("cboCalendario"));
    cboCalendario_->setEnabled(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    cmdAceptar_ = buttons->button(QDialogButtonBox::Ok);
    cmdAceptar_->setObjectName(QStringLiteral("cmdAceptar"));
    cmdAceptar_->setText(QStringLiteral("&Aceptar"));
    cmdAceptar_->setEnabled(false);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Dirección del servidor:"), txtServidor_);
    form->addRow(QStringLiteral("&Usuario:"), txtUsuario_);
    form->addRow(QStringLiteral("C&ontraseña:"), txtContrasena_);
    form->addRow(QString(), chkRecordar_);
    auto* probar = new QHBoxLayout;
    probar->addWidget(cmdProbar_, 0, Qt::AlignTop);
    probar->addWidget(lblEstado_, 1);
    form->addRow(probar);
    form->addRow(QStringLiteral("Ca&lendario:"), cboCalendario_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(cmdProbar_, &QPushButton::clicked, this, &ServerDialog::probe);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit* edit : {txtServidor_, txtUsuario_, txtContrasena_})
        connect(edit, &QLineEdit::textEdited, this, &ServerDialog::edited);
    connect(cboCalendario_, &QComboBox::currentIndexChanged, this, [this] { confirmed_ = false; });
}

SyncRunner::Login ServerDialog::login() const
{
    return {DavClient::addressFrom(txtServidor_->text()), txtUsuario_->text().trimmed(),
            txtContrasena_->text()};
}

void ServerDialog::setBusy(bool busy, const QString& doing)
{
    for (QWidget* input :
         std::initializer_list<QWidget*>{txtServidor_, txtUsuario_, txtContrasena_, cmdProbar_})
        input->setEnabled(!busy);
    cboCalendario_->setEnabled(!busy && cboCalendario_->count() > 0);
    cmdAceptar_->setEnabled(!busy && cboCalendario_->count() > 0);
    if (!doing.isEmpty())
        setStatus(doing);
}

void ServerDialog::setStatus(const QString& text)
{
    lblEstado_->setText(text);
    // A status of more lines than the window has room for would be cut at its top and bottom:
    // the window grows to the height its layout asks for at its width.
    QLayout* box = layout();
    box->activate();
    const int wanted = box->totalHeightForWidth(width());
    if (wanted > height())
        resize(width(), wanted);
}

void ServerDialog::edited()
{
    // Calendars found with other answers are not these answers' calendars.
    if (cboCalendario_->count() == 0)
        return;
    cboCalendario_->clear();
    setBusy(false, QStringLiteral("Pulse «Probar» para buscar sus calendarios."));
}

void ServerDialog::probe()
{
    const SyncRunner::Login asked = login();
    try {
        DavClient::checkAddress(asked.server);
    } catch (const SyncError& error) {
        setStatus(error.message());
        return;
    }
    if (asked.user.isEmpty()) {
        setStatus(QStringLiteral("Falta el usuario."));
        txtUsuario_->setFocus();
        return;
    }
    cboCalendario_->clear();
    setBusy(true, QStringLiteral("Buscando sus calendarios en «%1»…").arg(asked.server.host()));
    probedServer_ = asked.server;
    runner_.look(asked, this,
                 [this](const SyncRunner::Calendars& calendars, const QString& failure) {
                     probed(calendars, failure);
                 });
}

void ServerDialog::probed(const SyncRunner::Calendars& calendars, const QString& failure)
{
    if (!failure.isEmpty()) {
        setBusy(false, failure);
        return;
    }
    cboCalendario_->addItem(
        QStringLiteral("Crear un calendario «%1»").arg(CalendarSync::kCalendarName), QString());
    int chosen = 0;
    int typed = 0;
    for (const CalDavServer::Calendar& calendar : calendars) {
        if (!calendar.takesEvents)
            continue;
        cboCalendario_->addItem(nameOf(calendar), calendar.url.toString());
        const bool before = !before_.isEmpty() && calendar.url.path() == before_.path();
        const bool ours =
            nameOf(calendar).compare(CalendarSync::kCalendarName, Qt::CaseInsensitive) == 0;
        if (CalendarSync::samePlace(calendar.url, probedServer_))
            typed = cboCalendario_->count() - 1; // the address typed is this calendar's own
        if (before || (ours && chosen == 0))
            chosen = cboCalendario_->count() - 1;
    }
    if (typed > 0)
        chosen = typed;
    cboCalendario_->setCurrentIndex(chosen);
    const int found = cboCalendario_->count() - 1;
    QString status = found == 0 ? QStringLiteral("«%1» responde; aún no tiene ningún calendario.")
                                      .arg(probedServer_.host())
                     : found == 1
                         ? QStringLiteral("«%1» responde: 1 calendario.").arg(probedServer_.host())
                         : QStringLiteral("«%1» responde: %2 calendarios.")
                               .arg(probedServer_.host(), SyncState::count(found));
    // A server that keeps its calendars on another host of its domain (iCloud): the user sees
    // where the password and the days go.
    for (const CalDavServer::Calendar& calendar : calendars) {
        if (calendar.url.host().compare(probedServer_.host(), Qt::CaseInsensitive) != 0) {
            status += QStringLiteral(" Los calendarios están en «%1».").arg(calendar.url.host());
            break;
        }
    }
    setBusy(false, status);
    cmdAceptar_->setDefault(true);
}

void ServerDialog::accept()
{
    if (cboCalendario_->count() == 0)
        return;
    const QUrl calendar(cboCalendario_->currentData().toString());
    if (calendar.isEmpty() || confirmed_) {
        QDialog::accept();
        return;
    }
    // Another calendar of the user's: its events of other programs would be taken into the
    // days and replaced there, which the user agrees to first.
    const QString name = cboCalendario_->currentText();
    setBusy(true, QStringLiteral("Mirando los eventos de «%1»…").arg(name));
    runner_.countOthers(login(), calendar, this, [this, name](int others, const QString& failure) {
        setBusy(false, failure);
        if (!failure.isEmpty())
            return;
        if (others > 0) {
            const QString prompt =
                QStringLiteral("El calendario «%1» ya tiene %2 de otros programas.\n\nTarvelo "
                               "llevará cada uno a la nota de su día y lo sustituirá por el "
                               "evento del día, de modo que el calendario quede con un evento "
                               "por día. ¿Usar este calendario?")
                    .arg(name, others == 1
                                   ? QStringLiteral("1 evento")
                                   : QStringLiteral("%1 eventos").arg(SyncState::count(others)));
            if (boxes_.show(prompt,
                            MessageBoxes::YesNo | MessageBoxes::Question |
                                MessageBoxes::DefaultButton2,
                            kTitle) != MessageBoxes::Yes) {
                setStatus(QStringLiteral("Elija otro calendario, o cree uno."));
                return;
            }
        }
        confirmed_ = true;
        accept();
    });
}

CalendarSync::Account ServerDialog::account() const
{
    const SyncRunner::Login chosen = login();
    return {chosen.server, chosen.user, QUrl(cboCalendario_->currentData().toString())};
}

QString ServerDialog::password() const
{
    return txtContrasena_->text();
}

bool ServerDialog::remember() const
{
    return chkRecordar_->isChecked();
}
