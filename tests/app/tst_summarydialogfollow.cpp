// The summary window "Итого..." shows the order with its lists as they are when it opens, and
// tells what changed in the order.
#include "app/summarydialog.h"
#include "common/ordershop.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestSummaryDialogFollow : public QObject {
    Q_OBJECT

private slots:
    void showingTakesTheListsIn_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("orderLine");
        QTest::addColumn<int>("told");
        QTest::addColumn<int>("reported");
        QTest::newRow("unchanged") << QString() << QStringLiteral("DDR3 4Gb Hynix - 2шт.:  30,00 у.е.") << 0 << 0;
        QTest::newRow("price raised") << "price" << QStringLiteral("DDR3 4Gb Hynix - 2шт.:  38,00 у.е.") << 1 << 0;
        // The order as it stands is shown, and the failure reported.
        QTest::newRow("list unreadable") << "folder" << QStringLiteral("DDR3 4Gb Hynix - 2шт.:  30,00 у.е.") << 0 << 1;
    }
    void showingTakesTheListsIn()
    {
        QFETCH(QString, change);
        QFETCH(QString, orderLine);
        QFETCH(int, told);
        QFETCH(int, reported);
        OrderShop shop;
        SummaryDialog form(shop.state, shop.fakes.facilities());
        if (change == QLatin1String("price")) {
            shop.replaceRam(ramRecords(QStringLiteral("19")));
        } else if (change == QLatin1String("folder")) {
            shop.remove(QStringLiteral("Ram.dat"));
            QVERIFY(shop.dir.mkdir(QStringLiteral("Ram.dat")));
        }
        form.show();
        QCOMPARE(form.lines().filter(QStringLiteral("Hynix")), QStringList{orderLine});
        QTRY_COMPARE(shop.fakes.messageBox.shown.size() + shop.fakes.errorReport.reported.size(), told + reported);
        QCOMPARE(shop.fakes.messageBox.shown.size(), told);
        QCOMPARE(shop.fakes.errorReport.reported.size(), reported);
        if (reported)
            QVERIFY(shop.fakes.errorReport.reported.first().startsWith(QStringLiteral("Cannot open file")));
    }
};

QTEST_MAIN(TestSummaryDialogFollow)
#include "tst_summarydialogfollow.moc"
