#include "widgets/MnemonicStyle.h"

#include <QStyleFactory>
#include <QtTest>

// The menu bar's overflow arrows are made only when first drawn, and then look as the base
// style draws them.
class TestMnemonicStyle : public QObject
{
    Q_OBJECT
private slots:
    void overflowArrows_data();
    void overflowArrows();
};

void TestMnemonicStyle::overflowArrows_data()
{
    QTest::addColumn<int>("arrow");
    QTest::newRow("beside the menus") << int(QStyle::SP_ToolBarHorizontalExtensionButton);
    QTest::newRow("below the menus") << int(QStyle::SP_ToolBarVerticalExtensionButton);
}

void TestMnemonicStyle::overflowArrows()
{
    QFETCH(int, arrow);
    const auto which = QStyle::StandardPixmap(arrow);
    MnemonicStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
    const QIcon deferred = style.standardIcon(which);
    const QIcon base = style.baseStyle()->standardIcon(which);
    QVERIFY(!deferred.isNull());
    for (const QSize size : {QSize(16, 16), QSize(32, 32)})
        QCOMPARE(deferred.pixmap(size).toImage(), base.pixmap(size).toImage());
    QCOMPARE(deferred.availableSizes(), base.availableSizes());
}

QTEST_MAIN(TestMnemonicStyle)
#include "tst_mnemonicstyle.moc"
