#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QMessageBox;
class QWidget;

// What the program says while another program keeps the store busy: a small window, said
// once, that neither takes the keyboard nor waits for an answer, so that the user goes on
// typing; it goes by itself once what was kept is written.
class StoreBusyNotice : public QObject
{
    Q_OBJECT
public:
    StoreBusyNotice(const QString& storePath, QWidget* parent);

    // holder: who holds the store, in words (empty when unknown); nullopt: the store is free
    // and everything kept is written. unsaved: what was not done, when kept is false.
    void tell(const std::optional<QString>& holder, const QString& unsaved, bool kept);
    // The window, while it shows; null otherwise.
    QMessageBox* box() const;

    static QString text(const QString& storePath, const QString& holder);

private:
    QString storePath_;
    QWidget* parent_;
    QMessageBox* box_ = nullptr;
    QStringList notDone_;
    bool told_ = false;
};
