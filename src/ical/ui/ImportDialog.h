#pragma once

#include "ical/ImportOptions.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;

// Asks, once a calendar file has been read and checked, whether all its events are holidays
// and which days it may bring in; says over which days its recurring events will be repeated.
class ImportDialog : public QDialog
{
    Q_OBJECT

public:
    // shownYear: the year the calendar shows; earliestSingle: the file's earliest event that
    // does not repeat, if any.
    ImportDialog(const QString& caption, const QString& file, int shownYear,
                 std::optional<QDate> earliestSingle, QWidget* parent = nullptr);

    ImportOptions options() const;

private:
    void rangeToggled(bool on);
    void yearChanged(int year);
    void datesChanged();
    void describeRepetition();

    std::optional<QDate> earliestSingle_;
    QCheckBox* chkFestivos_;
    QSpinBox* spinAnno_;
    QLabel* lblRepeticion_;
    QCheckBox* chkDias_;
    QDateEdit* fechaDesde_;
    QDateEdit* fechaHasta_;
    QPushButton* aceptar_;
};
