// The owner's window on a small shop: the journal table with its filters, and the receiving,
// return and reconciliation dialogs driven as the owner would.
#include "fakes.h"
#include "ownerwindow.h"
#include "stockdialogs.h"
#include "stockshop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

// Two printed orders and a delivery.
struct OwnerShop : StockShop {
    FakeErrorReport errors;
    OwnerShop()
    {
        ShipmentJournal first(tmp.path(), QStringLiteral("Иванов"));
        ship(first, QStringLiteral("Ram.dat"), 1, 2);
        ship(first, QStringLiteral("Case.dat"), 1, 1);
        ShipmentJournal second(tmp.path(), QStringLiteral("Петрова"));
        ship(second, QStringLiteral("Net.dat"), 1, 1);
        receiveGoods(journal, {QStringLiteral("Key.dat"), 1, QStringLiteral("Key A")}, 6, Actor{});
    }
};

QList<long long> shownOrders(OwnerWindow& window)
{
    QList<long long> orders;
    for (int r = 0; r < window.model().rowCount(); ++r)
        orders << window.model().journalRow(r)->order;
    return orders;
}

} // namespace

class TestOwnerWindow : public QObject {
    Q_OBJECT
private slots:
    void journalTable_data()
    {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<int>("operation"); // index in the operation list
        QTest::addColumn<QList<long long>>("orders");
        QTest::newRow("everything, newest first") << QString() << 0 << QList<long long>{3, 2, 1, 1};
        QTest::newRow("customer") << QStringLiteral("иван") << 0 << QList<long long>{1, 1};
        QTest::newRow("receiving") << QString() << 3 << QList<long long>{3};
        QTest::newRow("nothing") << QStringLiteral("Сидоров") << 1 << QList<long long>{};
    }
    void journalTable()
    {
        QFETCH(QString, customer);
        QFETCH(int, operation);
        QFETCH(QList<long long>, orders);
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        window.findChild<QLineEdit*>(QStringLiteral("CustomerEdit"))->setText(customer);
        window.findChild<QComboBox*>(QStringLiteral("OperationBox"))->setCurrentIndex(operation);
        window.applyFilter();
        QCOMPARE(shownOrders(window), orders);
        window.resetFilter();
        QCOMPARE(window.model().rowCount(), 4);
        QVERIFY(shop.errors.reported.isEmpty());
    }

    void sortByClickingAColumn()
    {
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        window.view()->sortByColumn(QuantityColumn, Qt::DescendingOrder);
        QCOMPARE(window.model().journalRow(0)->quantity, 6LL);
        QCOMPARE(window.model().index(0, NameColumn).data().toString(), QStringLiteral("Key A"));
    }

    void dialogs()
    {
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);

        ReceiveDialog receive(window.journal(), &shop.errors);
        receive.chooseList(QStringLiteral("Video.dat"));
        receive.chooseItem(2);
        receive.setQuantity(4);
        receive.receive();
        QCOMPARE(shop.stockOf(QStringLiteral("Video.dat"), 2), QStringLiteral("4"));

        ReturnDialog giveBack(window.journal(), &shop.errors);
        giveBack.showOrder(1);
        QCOMPARE(giveBack.lines()->rowCount(), 2);
        giveBack.lines()->item(1, 0)->setCheckState(Qt::Checked);
        giveBack.returnChecked();
        QCOMPARE(shop.stockOf(QStringLiteral("Case.dat"), 1), QStringLiteral("5"));
        QCOMPARE(shop.stockOf(QStringLiteral("Ram.dat"), 1), QStringLiteral("3"));
        QVERIFY(!(giveBack.lines()->item(1, 0)->flags() & Qt::ItemIsUserCheckable));

        writeList(shop.dir, QStringLiteral("Net.dat"), {record("нет", "0", "0"), record("Net A", "10", "11")});
        ReconcileDialog reconcile(window.journal(), &shop.errors);
        reconcile.check();
        QCOMPARE(reconcile.table()->rowCount(), 1);
        QCOMPARE(reconcile.table()->item(0, 4)->text(), QStringLiteral("11"));
        reconcile.acceptSelected();
        QCOMPARE(reconcile.table()->rowCount(), 0);

        window.refresh();
        QCOMPARE(window.model().rowCount(), 7);
        QCOMPARE(window.model().journalRow(0)->operation, CorrectionOp);
        QCOMPARE(window.model().journalRow(1)->operation, ReturnOp); // newest first, whatever its number
        QVERIFY(shop.errors.reported.isEmpty());
    }
};

QTEST_MAIN(TestOwnerWindow)
#include "tst_ownerwindow.moc"
