#include "listings/NotesPanel.h"

#include "platform/Fonts.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

NotesPanel::NotesPanel(QWidget* client, QObject* parent) : QObject(parent)
{
    DBGridCalendar = new QFrame(client);
    DBGridCalendar->setObjectName(QStringLiteral("DBGridCalendar"));
    DBGridCalendar->setFrameShape(QFrame::Panel);
    DBGridCalendar->setFrameShadow(QFrame::Sunken);
    DBGridCalendar->setGeometry(Twips::rect(3480, 0, 3930, gridHeight_));

    auto* layout = new QVBoxLayout(DBGridCalendar);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    caption = new QLabel(QStringLiteral("Notas Seleccionadas"), DBGridCalendar);
    caption->setObjectName(QStringLiteral("caption"));
    caption->setAlignment(Qt::AlignCenter);
    caption->setFont(Fonts::sansSerif(8.25, true));
    caption->setAutoFillBackground(true);
    {
        QPalette palette = caption->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Button));
        caption->setPalette(palette);
    }
    layout->addWidget(caption);

    table = new QTableView(DBGridCalendar);
    table->setObjectName(QStringLiteral("table"));
    table->setFont(Fonts::sansSerif(8.25, true));
    table->horizontalHeader()->setFont(Fonts::sansSerif(8.25, true));
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    {
        QPalette palette = table->palette();
        palette.setColor(QPalette::Base, QColor(128, 255, 255));
        table->setPalette(palette);
    }
    table->setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(64, 64, 64); }"));
    layout->addWidget(table, 1);
}

void NotesPanel::setGridHeight(int twips)
{
    gridHeight_ = twips;
    const QRect geometry = DBGridCalendar->geometry();
    DBGridCalendar->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                                Twips::toPixels(twips));
}
