#include "listings/NotesPanel.h"

#include "listings/ListingModel.h"
#include "listings/NotesGrid.h"
#include "platform/Fonts.h"
#include "store/CalendarStore.h"
#include "store/domain/StoreGuard.h"
#include "widgets/Controls.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

NotesPanel::NotesPanel(CalendarStore& store, const StoreGuard& guard, QWidget* parent)
    : QFrame(parent), store_(store), guard_(guard)
{
    setObjectName(QStringLiteral("DBGridCalendar"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setGeometry(Twips::rect(3480, 0, 3930, 5835));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    caption_ = new QLabel(QStringLiteral("Notas Seleccionadas"), this);
    caption_->setObjectName(QStringLiteral("caption"));
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFont(Fonts::sansSerif(8.25, true));
    caption_->setAutoFillBackground(true);
    QPalette captionPalette = caption_->palette();
    captionPalette.setColor(QPalette::Window, captionPalette.color(QPalette::Button));
    caption_->setPalette(captionPalette);
    layout->addWidget(caption_);

    model_ = new ListingModel(store_.listing(), store_.days(), guard_, this);
    table_ = new NotesGrid(this);
    table_->setObjectName(QStringLiteral("table"));
    table_->setAccessibleName(QStringLiteral("Lista de notas"));
    table_->setModel(model_);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->setFont(Fonts::sansSerif(8.25, true));
    table_->horizontalHeader()->setFont(Fonts::sansSerif(8.25, true));
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(Twips::toPixels(255));
    table_->setTabKeyNavigation(false);
    table_->setWordWrap(false);
    Controls::setBase(table_, QColor(128, 255, 255));
    table_->setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(64, 64, 64); }"));
    layout->addWidget(table_, 1);
    table_->setColumnWidth(0, Twips::toPixels(kFechaWidth));
    table_->setColumnWidth(1, Twips::toPixels(kNotaWidth));

    // A long listing's days go on being gathered while the user looks at its first rows.
    gather_ = new QTimer(this);
    gather_->setSingleShot(true);
    connect(gather_, &QTimer::timeout, this, [this] {
        bool done = true;
        if (guard_.run([&] { done = store_.listing().gatherSome(); }) && !done)
            gather_->start();
    });

    // A note typed into a cell is written when the user leaves its row.
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (previous.isValid() && previous.row() != current.row()) {
                    model_->leave(previous.row());
                    guard_.write(
                        model_, [this] { model_->commitLeft(); },
                        QStringLiteral("la nota escrita en la lista"));
                }
            });
}

int NotesPanel::recordCount() const
{
    return store_.listing().recordCount();
}

const NoteListing& NotesPanel::listing() const
{
    return store_.listing();
}

void NotesPanel::commitPendingEdit()
{
    table_->commitOpenEditor();
    guard_.write(
        model_, [this] { model_->commitPending(); }, QStringLiteral("la nota escrita en la lista"));
}

void NotesPanel::showStoredNotes()
{
    // A list the user is typing into is left as it is, so that the keyboard stays where it
    // is: the edit, once written, keeps both notes.
    if (model_->hasPendingEdit() || table_->isEditing())
        return;
    refresh();
}

bool NotesPanel::MostrarListado(const ListingRequest& request, const QString& suffix)
{
    commitPendingEdit();
    if (!guard_.run([&] { store_.runListing(request); }))
        return false;
    model_->reload();
    request_ = request;
    suffix_ = suffix;
    caption_->setText(QString::number(store_.listing().recordCount()) + suffix);
    if (!store_.listing().gathered())
        gather_->start();
    emit shown();
    return true;
}

void NotesPanel::mVerNotas_Click()
{
    MostrarListado(ListingRequest::allNotes(), QStringLiteral(" Notas halladas"));
}

void NotesPanel::refresh()
{
    if (request_ && isVisible())
        MostrarListado(*request_, suffix_);
}

void NotesPanel::mOcultarNotas_Click()
{
    commitPendingEdit();
    emit hidden();
}

void NotesPanel::setGridHeight(int twips)
{
    const QRect geometry = this->geometry();
    setGeometry(geometry.x(), geometry.y(), geometry.width(), Twips::toPixels(twips));
}
