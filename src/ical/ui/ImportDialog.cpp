#include "ical/ui/ImportDialog.h"

#include "store/jet/DatePattern.h"

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

constexpr int kFirstYear = DatePattern::kFirstYear;
constexpr int kLastYear = DatePattern::kLastYear;

QString shown(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

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

ImportDialog::ImportDialog(const QString& caption, const QString& file, int shownYear,
                           std::optional<QDate> earliestSingle, QWidget* parent)
    : QDialog(parent), earliestSingle_(earliestSingle)
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
    spinAnno_->setValue(qBound(kFirstYear, shownYear, kLastYear));
    auto* anno = new QLabel(
        QStringLiteral("Repetir los eventos periódicos hasta el &año siguiente a:"), this);
    anno->setBuddy(spinAnno_);
    lblRepeticion_ = new QLabel(this);
    lblRepeticion_->setObjectName(QStringLiteral("lblRepeticion"));

    chkDias_ = new QCheckBox(QStringLiteral("&Solo los días del"), this);
    chkDias_->setObjectName(QStringLiteral("chkDias"));
    chkDias_->setAccessibleName(QStringLiteral("Importar solo los eventos de unos días"));
    const int offered = spinAnno_->value();
    fechaDesde_ = dateEdit(QDate(offered, 1, 1), "fechaDesde", QStringLiteral("Primer día"), this);
    fechaHasta_ =
        dateEdit(QDate(offered, 12, 31), "fechaHasta", QStringLiteral("Último día"), this);
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
    form->addRow(lblRepeticion_);

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

void ImportDialog::describeRepetition()
{
    const ImportOptions chosen = options();
    lblRepeticion_->setText(
        QStringLiteral("Los eventos periódicos se repiten del %1 al %2.")
            .arg(shown(chosen.firstDay(earliestSingle_)), shown(chosen.lastDay())));
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
    describeRepetition();
    fechaDesde_->setDate(QDate(year, 1, 1));
    fechaHasta_->setDate(QDate(year, 12, 31));
}

void ImportDialog::datesChanged()
{
    aceptar_->setEnabled(!chkDias_->isChecked() || fechaDesde_->date() <= fechaHasta_->date());
    describeRepetition();
}

ImportOptions ImportDialog::options() const
{
    ImportOptions options;
    options.everyEventIsHoliday = chkFestivos_->isChecked();
    options.shownYear = spinAnno_->value();
    if (chkDias_->isChecked()) {
        options.from = fechaDesde_->date();
        options.to = fechaHasta_->date();
    }
    return options;
}
