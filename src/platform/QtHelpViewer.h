#pragma once

#include "platform/HelpViewer.h"

#include <QStringList>
#include <QWidget>

class MessageBoxes;
class QTextBrowser;

// The help window of the program: the help file, an HTML document, shown in a browser of its
// own, looked for in the working directory, beside the program and in the data folder.
class QtHelpViewer : public QWidget, public HelpViewer
{
    Q_OBJECT
public:
    explicit QtHelpViewer(MessageBoxes& boxes, QWidget* parent = nullptr);

    // Shows helpFile from its top and brings the window forward; when no folder holds the
    // file, says so, naming the file and the folders, and shows nothing.
    void showContents(const QString& helpFile) override;

    // The folders looked in, in order; the standard ones until others are set.
    void setFolders(const QStringList& folders) { folders_ = folders; }
    QStringList folders() const;

    // The browser the help is shown in, made on first use: the program starts without it.
    QTextBrowser* browser();

private:
    MessageBoxes& boxes_;
    QStringList folders_;
    QTextBrowser* browser_ = nullptr;
};
