// The owner's journal view while counters append rows: the rows show up by themselves, under the
// filter, in the order and with the selected row the owner had.
#include "common/stockshop.h"
#include "owner/ownerwindow.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

// Another copy receives goods: one journal row per time.
void receiveElsewhere(const QString& folder, const QString& file, int quantity, int times)
{
    QProcess counter;
    counter.start(QStringLiteral(KORVANTA_COUNTER), {QStringLiteral("receive"), folder, file, QStringLiteral("1"),
                                                     QString::number(quantity), QString::number(times)});
    if (!counter.waitForFinished(60000) || counter.exitCode() != 0)
        qFatal("the other copy failed: %s", counter.readAllStandardError().constData());
}

} // namespace

class TestJournalFollow : public QObject {
    Q_OBJECT

private slots:
    void appendedRowsShowUp_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<int>("rows");
        QTest::newRow("all, newest first") << QString() << -1 << 7;
        QTest::newRow("filtered by item") << QStringLiteral("key") << -1 << 3;
        QTest::newRow("filtered, by quantity") << QStringLiteral("key") << int(QuantityColumn) << 3;
        QTest::newRow("all, by quantity") << QString() << int(QuantityColumn) << 7;
    }
    void appendedRowsShowUp()
    {
        QFETCH(QString, item);
        QFETCH(int, sortColumn);
        QFETCH(int, rows);
        StockShop shop;
        ShipmentJournal order(shop.folder, QStringLiteral("Иванов"));
        shop.ship(order, QStringLiteral("Ram.dat"), 1, 2);
        shop.ship(order, QStringLiteral("Case.dat"), 1, 1);
        shop.ship(order, QStringLiteral("Net.dat"), 1, 1);
        receiveGoods(shop.journal, {QStringLiteral("Key.dat"), 1, QStringLiteral("Key A")}, 6, Actor{});

        OwnerWindow window(shop.folder);
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("ItemEdit"))->setText(item);
        window.applyFilter();
        if (sortColumn >= 0)
            window.view()->sortByColumn(sortColumn, Qt::AscendingOrder);
        JournalModel& model = window.model();
        // The owner selects the receipt of six.
        int receipt = -1;
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.journalRow(r)->quantity == 6)
                receipt = r;
        QVERIFY(receipt >= 0);
        window.view()->selectRow(receipt);
        const QStringList selected = model.journalRow(receipt)->fields();

        receiveElsewhere(shop.folder, QStringLiteral("Key.dat"), 3, 2);
        receiveElsewhere(shop.folder, QStringLiteral("Mouse.dat"), 5, 1);
        QTRY_COMPARE(model.totalRows(), 7);
        QCOMPARE(model.rowCount(), rows);
        for (int r = 0; r < model.rowCount(); ++r)
            QVERIFY(model.journalRow(r)->name.contains(item, Qt::CaseInsensitive));
        const QModelIndex current = window.view()->currentIndex();
        QVERIFY(current.isValid());
        QCOMPARE(model.journalRow(current.row())->fields(), selected);
        QCOMPARE(window.view()->selectionModel()->selectedRows().size(), 1);
        if (sortColumn >= 0) {
            QCOMPARE(window.view()->horizontalHeader()->sortIndicatorSection(), sortColumn);
            for (int r = 1; r < model.rowCount(); ++r)
                QVERIFY(model.journalRow(r - 1)->quantity <= model.journalRow(r)->quantity);
        } else {
            // Newest first: the last row appended leads.
            QCOMPARE(model.journalRow(0)->quantity, item.isEmpty() ? 5 : 3);
        }
    }
};

QTEST_MAIN(TestJournalFollow)
#include "tst_journalfollow.moc"
