#pragma once

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;

// The way back to a hidden main window: an icon in the system tray with "Mostrar calendario"
// and "Salir", shown only while the main window is hidden and only where the desktop has a tray.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    static bool desktopHasTray();

    void show();
    void hide();
    bool isShown() const;
    // The sync's state line under the program's name, or the name alone when it is empty.
    void setStatus(const QString& line);
    QString toolTip() const;

    QAction* mostrarCalendario() const { return mostrar_; }
    QAction* salir() const { return salir_; }

signals:
    void showRequested();
    void quitRequested();

private:
    QSystemTrayIcon* icon_;
    QMenu* menu_;
    QAction* mostrar_;
    QAction* salir_;
};
