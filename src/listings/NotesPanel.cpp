#include "listings/NotesPanel.h"

#include "listings/ListingModel.h"
#include "listings/NotesGrid.h"
#include "store/CalendarStore.h"

#include "platform/Fonts.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
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

    model = new ListingModel(this);
    table = new NotesGrid(DBGridCalendar);
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setHighlightSections(false);
    table->setObjectName(QStringLiteral("table"));
    table->setFont(Fonts::sansSerif(8.25, true));
    table->horizontalHeader()->setFont(Fonts::sansSerif(8.25, true));
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(Twips::toPixels(255));
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    {
        QPalette palette = table->palette();
        palette.setColor(QPalette::Base, QColor(128, 255, 255));
        table->setPalette(palette);
    }
    table->setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(64, 64, 64); }"));
    layout->addWidget(table, 1);
    table->setColumnWidth(0, Twips::toPixels(kFechaWidth));
    table->setColumnWidth(1, Twips::toPixels(kNotaWidth));

    // A note typed into a cell is written when the user leaves its row.
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (previous.isValid() && previous.row() != current.row())
                    model->commitRow(previous.row());
            });
}

void NotesPanel::setStore(CalendarStore* store)
{
    store_ = store;
    model->setStore(store);
}

int NotesPanel::recordCount() const
{
    return store_ ? store_->rsLista.recordCount() : 0;
}

void NotesPanel::commitPendingEdit()
{
    table->commitOpenEditor();
    model->commitPending();
}

void NotesPanel::MostrarListado(const QString& query, const QString& suffix)
{
    commitPendingEdit();
    store_->runListing(query);
    if (!store_->rsLista.eof())
        store_->rsLista.moveLast();
    model->reload();
    caption->setText(QString::number(store_->rsLista.recordCount()) + suffix);
    emit shown();
}

void NotesPanel::mVerNotas_Click()
{
    MostrarListado(CalendarStore::allNotesQuery(), QStringLiteral(" Notas halladas"));
}

void NotesPanel::mOcultarNotas_Click()
{
    commitPendingEdit();
    emit hidden();
}

void NotesPanel::setGridHeight(int twips)
{
    gridHeight_ = twips;
    const QRect geometry = DBGridCalendar->geometry();
    DBGridCalendar->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                                Twips::toPixels(twips));
}
