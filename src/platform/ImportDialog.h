#pragma once

#include "platform/ImportChoice.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QPushButton;
class QSpinBox;

// Asks, once a calendar file is chosen, whether all its events are holidays and which days
// it may bring in.
class ImportDialog : public QDialog
{
    Q_OBJECT

public:
    ImportDialog(const QString& caption, const QString& file, int year, QWidget* parent = nullptr);

    ImportChoice choice() const;

private:
    void rangeToggled(bool on);
    void yearChanged(int year);
    void datesChanged();

    QCheckBox* chkFestivos_;
    QSpinBox* spinAnno_;
    QCheckBox* chkDias_;
    QDateEdit* fechaDesde_;
    QDateEdit* fechaHasta_;
    QPushButton* aceptar_;
};
