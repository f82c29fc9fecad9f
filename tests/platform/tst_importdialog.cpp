#include "platform/ImportDialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

// The questions asked once a calendar file is chosen for import.
class TestImportDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void offersTheYearWithoutDays();
    void daysGivenReplaceTheYear();
    void daysOfferedFollowTheYear();
    void daysBackwardsCannotBeImported();
    void enterImportsEscapeCancels_data();
    void enterImportsEscapeCancels();

private:
    template <typename T> T* child(const char* name) const
    {
        auto* found = dialog_->findChild<T*>(QString::fromUtf8(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QPushButton* importButton() const
    {
        return dialog_->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    }

    std::unique_ptr<ImportDialog> dialog_;
};

void TestImportDialog::init()
{
    dialog_ = std::make_unique<ImportDialog>(QStringLiteral("Importar de iCalendar"),
                                             QStringLiteral("/tmp/fiestas.ics"), 2027);
}

void TestImportDialog::cleanup()
{
    dialog_.reset();
}

void TestImportDialog::offersTheYearWithoutDays()
{
    const ImportChoice choice = dialog_->choice();
    QCOMPARE(choice.everyEventIsHoliday, false);
    QCOMPARE(choice.recurringYear, 2027);
    QVERIFY(!choice.from.isValid() && !choice.to.isValid());
    QVERIFY(!child<QDateEdit>("fechaDesde")->isEnabled());
    QVERIFY(importButton()->isEnabled());

    child<QCheckBox>("chkFestivos")->setChecked(true);
    QVERIFY(dialog_->choice().everyEventIsHoliday);
}

void TestImportDialog::daysGivenReplaceTheYear()
{
    child<QCheckBox>("chkDias")->setChecked(true);
    QVERIFY(!child<QSpinBox>("spinAnno")->isEnabled());
    child<QDateEdit>("fechaDesde")->setDate(QDate(2027, 3, 1));
    child<QDateEdit>("fechaHasta")->setDate(QDate(2028, 2, 29));
    const ImportChoice choice = dialog_->choice();
    QCOMPARE(choice.from, QDate(2027, 3, 1));
    QCOMPARE(choice.to, QDate(2028, 2, 29));
}

void TestImportDialog::daysOfferedFollowTheYear()
{
    child<QSpinBox>("spinAnno")->setValue(2030);
    child<QCheckBox>("chkDias")->setChecked(true);
    QCOMPARE(dialog_->choice().from, QDate(2030, 1, 1));
    QCOMPARE(dialog_->choice().to, QDate(2030, 12, 31));
}

void TestImportDialog::daysBackwardsCannotBeImported()
{
    child<QCheckBox>("chkDias")->setChecked(true);
    child<QDateEdit>("fechaDesde")->setDate(QDate(2027, 6, 1));
    child<QDateEdit>("fechaHasta")->setDate(QDate(2027, 5, 31));
    QVERIFY(!importButton()->isEnabled());
    child<QCheckBox>("chkDias")->setChecked(false); // days no longer asked for
    QVERIFY(importButton()->isEnabled());
}

void TestImportDialog::enterImportsEscapeCancels_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter imports") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestImportDialog::enterImportsEscapeCancels()
{
    QFETCH(int, key);
    QFETCH(int, result);
    QCOMPARE(importButton()->text(), QStringLiteral("&Importar"));
    QTimer::singleShot(0, dialog_.get(),
                       [&] { QTest::keyClick(child<QCheckBox>("chkFestivos"), Qt::Key(key)); });
    QCOMPARE(dialog_->exec(), result);
}

QTEST_MAIN(TestImportDialog)

#include "tst_importdialog.moc"
