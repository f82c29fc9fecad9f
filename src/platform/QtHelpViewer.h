#pragma once

#include "platform/HelpViewer.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class MessageBoxes;
class QTextBrowser;

// The help window of the program: the help file, an HTML document, shown in a browser of its
// own, looked for in the working directory, beside the program and in the data folder.
class QtHelpViewer : public QWidget, public HelpViewer
{
    Q_OBJECT
public:
    // Moves the help window, about to open, to its place beside the window it is asked from.
    using Placement = std::function<void(QWidget& help, const QRect& beside)>;

    explicit QtHelpViewer(MessageBoxes& boxes, QWidget* parent = nullptr);

    // Shows helpFile from its top and brings the window forward, placed beside `beside` when
    // it opens (an open one stays where the user left it); when no folder holds the file, says
    // so, naming the file and the folders, and shows nothing.
    void showContents(const QString& helpFile, const QRect& beside) override;
    // Without a placement the desktop places the window.
    void setPlacement(Placement placement) { placement_ = std::move(placement); }

    // The folders looked in, in order; the standard ones until others are set.
    void setFolders(const QStringList& folders) { folders_ = folders; }
    QStringList folders() const;

    // The browser the help is shown in, made on first use: the program starts without it.
    QTextBrowser* browser();

private:
    MessageBoxes& boxes_;
    QStringList folders_;
    Placement placement_;
    QTextBrowser* browser_ = nullptr;
};
