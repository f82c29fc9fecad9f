#include "platform/ImportDialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The years the store keeps a day for.
constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

QDateEdit* dateEdit(const QDate& date, const char* name, const QString& spoken, QWidget* parent)
{
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(QString::fromUtf8(name));
    edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edit->setDateRange(QDate(kFirstYear, 1, 1), QDate(kLastYear, 12, 31));
    edit->setCalendarPopup(true);
    edit->setAccessibleName(spoken);
    return edit;
}

} // namespace

ImportDialog::ImportDialog(const QString& caption, const QString& file, int year, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setObjectName(QStringLiteral("ImportDialog"));

    auto* archivo = new QLabel(
        QStringLiteral("Archivo: «%1»").arg(QDir::toNativeSeparators(QFileInfo(file).fileName())),
        this);
    archivo->setToolTip(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()));

    chkFestivos_ = new QCheckBox(QStringLiteral("&Marcar todos los eventos como festivos"), this);
    chkFestivos_->setObjectName(QStringLiteral("chkFestivos"));
    chkFestivos_->setAccessibleDescription(
        QStringLiteral("Sin marcar, solo los eventos de la categoría Festivo marcan su día como "
                       "festivo"));

    spinAnno_ = new QSpinBox(this);
    spinAnno_->setObjectName(QStringLiteral("spinAnno"));
    spinAnno_->setRange(kFirstYear, kLastYear);
    spinAnno_->setValue(qBound(kFirstYear, year, kLastYear));
    auto* anno = new QLabel(QStringLiteral("Repetir los eventos periódicos en el &año:"), this);
    anno->setBuddy(spinAnno_);

    chkDias_ = new QCheckBox(QStringLiteral("&Solo los días del"), this);
    chkDias_->setObjectName(QStringLiteral("chkDias"));
    chkDias_->setAccessibleName(QStringLiteral("Importar solo los eventos de unos días"));
    const int shownYear = spinAnno_->value();
    fechaDesde_ =
        dateEdit(QDate(shownYear, 1, 1), "fechaDesde", QStringLiteral("Primer día"), this);
    fechaHasta_ =
        dateEdit(QDate(shownYear, 12, 31), "fechaHasta", QStringLiteral("Último día"), this);
    auto* al = new QLabel(QStringLiteral("al"), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    aceptar_ = buttons->button(QDialogButtonBox::Ok);
    aceptar_->setText(QStringLiteral("&Importar"));
    aceptar_->setDefault(true);

    auto* dias = new QHBoxLayout;
    dias->addWidget(chkDias_);
    dias->addWidget(fechaDesde_);
    dias->addWidget(al);
    dias->addWidget(fechaHasta_);
    dias->addStretch();

    auto* form = new QFormLayout;
    form->addRow(anno, spinAnno_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(archivo);
    layout->addWidget(chkFestivos_);
    layout->addLayout(form);
    layout->addLayout(dias);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(chkDias_, &QCheckBox::toggled, this, &ImportDialog::rangeToggled);
    connect(fechaDesde_, &QDateEdit::dateChanged, this, &ImportDialog::datesChanged);
    connect(fechaHasta_, &QDateEdit::dateChanged, this, &ImportDialog::datesChanged);
    // Days given replace the year: the recurring events repeat over those days.
    connect(chkDias_, &QCheckBox::toggled, spinAnno_, &QSpinBox::setDisabled);
    connect(spinAnno_, &QSpinBox::valueChanged, this, &ImportDialog::yearChanged);

    rangeToggled(false);
}

void ImportDialog::rangeToggled(bool on)
{
    fechaDesde_->setEnabled(on);
    fechaHasta_->setEnabled(on);
    datesChanged();
}

void ImportDialog::yearChanged(int year)
{
    // The days offered follow the year until the user asks for days of their own.
    if (chkDias_->isChecked())
        return;
    fechaDesde_->setDate(QDate(year, 1, 1));
    fechaHasta_->setDate(QDate(year, 12, 31));
}

void ImportDialog::datesChanged()
{
    aceptar_->setEnabled(!chkDias_->isChecked() || fechaDesde_->date() <= fechaHasta_->date());
}

ImportChoice ImportDialog::choice() const
{
    ImportChoice choice;
    choice.everyEventIsHoliday = chkFestivos_->isChecked();
    choice.recurringYear = spinAnno_->value();
    if (chkDias_->isChecked()) {
        choice.from = fechaDesde_->date();
        choice.to = fechaHasta_->date();
    }
    return choice;
}
