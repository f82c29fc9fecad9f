#include "shell/TrayIcon.h"

#include "shell/WindowIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent), icon_(new QSystemTrayIcon(WindowIcon::icon(), this)), menu_(new QMenu)
{
    icon_->setToolTip(QStringLiteral("Tarvelo"));
    mostrar_ = menu_->addAction(QStringLiteral("Mostrar calendario"));
    salir_ = menu_->addAction(QStringLiteral("Salir"));
    icon_->setContextMenu(menu_);
    connect(mostrar_, &QAction::triggered, this, &TrayIcon::showRequested);
    connect(salir_, &QAction::triggered, this, &TrayIcon::quitRequested);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit showRequested();
            });
}

TrayIcon::~TrayIcon()
{
    delete menu_; // a context menu has no parent of its own
}

bool TrayIcon::desktopHasTray()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show()
{
    icon_->show();
}

void TrayIcon::hide()
{
    icon_->hide();
}

bool TrayIcon::isShown() const
{
    return icon_->isVisible();
}

void TrayIcon::setStatus(const QString& line)
{
    icon_->setToolTip(line.isEmpty() ? QStringLiteral("Tarvelo")
                                     : QStringLiteral("Tarvelo\n") + line);
}

QString TrayIcon::toolTip() const
{
    return icon_->toolTip();
}
