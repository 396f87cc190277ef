// Accepting a file's count found by the reconciliation when the file changed after the look: the
// owner accepts only the count that was shown.
#include "common/failure.h"
#include "common/stockshop.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

class TestReconcileChanged : public QObject {
    Q_OBJECT

private slots:
    void acceptsOnlyTheShownCount_data()
    {
        QTest::addColumn<QString>("stockSince"); // the file's count when the owner accepts; empty: as shown
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("rows"); // journal rows afterwards

        QTest::newRow("unchanged") << QString() << QString() << true << 2;
        QTest::newRow("hand edit since the look")
            << "12"
            << QStringLiteral("Остаток товара \"Ups A\" в файле \"Ups.dat\" изменился после сверки: было 10, теперь "
                              "12. Количество не принято; сверка показана заново.")
            << false << 1;
        QTest::newRow("difference gone since") << "7" << QString() << false << 1;
    }
    void acceptsOnlyTheShownCount()
    {
        QFETCH(QString, stockSince);
        QFETCH(QString, failure);
        QFETCH(bool, accepted);
        QFETCH(int, rows);
        StockShop shop;
        const Actor owner{QStringLiteral("owner@shop"), QString()};
        receiveGoods(shop.journal, {QStringLiteral("Ups.dat"), 1, QStringLiteral("Ups A")}, 2, owner);
        // A hand edit the journal does not know: 7 journaled, 10 in the file.
        writeList(shop.dir, QStringLiteral("Ups.dat"), {record("нет", "0", "0"), record("Ups A", "10", "10")});
        const std::vector<Discrepancy> found = reconcile(shop.journal);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found[0].fileStock, QStringLiteral("10"));
        if (!stockSince.isEmpty())
            writeList(shop.dir, QStringLiteral("Ups.dat"),
                      {record("нет", "0", "0"), record("Ups A", "10", stockSince)});
        bool result = false;
        QCOMPARE(failureOf([&] { result = acceptFileCount(shop.journal, found[0], owner); }), failure);
        QCOMPARE(result, accepted);
        QCOMPARE(shop.reader().size(), rows);
        if (accepted)
            QCOMPARE(shop.reader().row(1)->stockAfter, 10LL);
    }
};

QTEST_GUILESS_MAIN(TestReconcileChanged)
#include "tst_reconcilechanged.moc"
