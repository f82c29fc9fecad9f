#include "platform/QtHelpViewer.h"

#include "platform/Fonts.h"
#include "platform/HelpLocator.h"
#include "platform/MessageBoxes.h"

#include <QDir>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QtHelpViewer::QtHelpViewer(MessageBoxes& boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), boxes_(boxes)
{
    setObjectName(QStringLiteral("QtHelpViewer"));
    setWindowTitle(QStringLiteral("Ayuda de Tarvelo"));
    // 9600 by 8400 twips, the size the help window has always had.
    resize(640, 560);
}

QTextBrowser* QtHelpViewer::browser()
{
    if (!browser_) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        browser_ = new QTextBrowser(this);
        browser_->setObjectName(QStringLiteral("browser"));
        browser_->setFont(Fonts::sansSerif(10, false));
        layout->addWidget(browser_);
    }
    return browser_;
}

QStringList QtHelpViewer::folders() const
{
    return folders_.isEmpty() ? HelpLocator::standardFolders() : folders_;
}

void QtHelpViewer::showContents(const QString& helpFile, const QRect& beside)
{
    const QStringList looked = folders();
    const QString path = HelpLocator::find(helpFile, looked);
    if (path.isEmpty()) {
        QStringList shown;
        for (const QString& folder : looked)
            shown << QStringLiteral("  ") + QDir::toNativeSeparators(folder);
        boxes_.show(QStringLiteral("No se encuentra el archivo de ayuda «%1».\n\n"
                                   "Se ha buscado en:\n%2")
                        .arg(helpFile, shown.join(QLatin1Char('\n'))),
                    MessageBoxes::Exclamation);
        return;
    }

    const QUrl url = QUrl::fromLocalFile(path);
    // The same file again is read again, so that an edited help file shows as it now is.
    browser();
    if (browser_->source().adjusted(QUrl::RemoveFragment) == url)
        browser_->reload();
    else
        browser_->setSource(url, QTextDocument::HtmlResource);
    browser_->moveCursor(QTextCursor::Start);
    browser_->verticalScrollBar()->setValue(0);
    browser_->horizontalScrollBar()->setValue(0);

    if (!isVisible() && placement_)
        placement_(*this, beside);
    show();
    raise();
    activateWindow();
}
