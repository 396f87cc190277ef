// Appending to the journal where the share's client may drop a write without saying so.
#include "common/failure.h"
#include "common/fakefilesystem.h"
#include "common/stockshop.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

JournalRow sale()
{
    JournalRow row;
    row.workplace = QStringLiteral("anna@shop");
    row.operation = ShipmentOp;
    row.fileName = QStringLiteral("Ram.dat");
    row.record = 1;
    row.name = QStringLiteral("Ram A");
    row.quantity = 1;
    row.priceText = QStringLiteral("10");
    row.stockBefore = 5;
    row.stockAfter = 4;
    return row;
}

} // namespace

class TestJournalAppend : public QObject {
    Q_OBJECT
private slots:
    void appendThatDoesNotArrive_data()
    {
        QTest::addColumn<qint64>("arriving");
        QTest::newRow("nothing arrives") << qint64(0);
        QTest::newRow("a part arrives") << qint64(17);
    }
    // An append the file did not get whole is reported, not taken for done; the journal is left
    // as it was and the next append numbers on from it.
    void appendThatDoesNotArrive()
    {
        QFETCH(qint64, arriving);
        StockShop shop;
        QCOMPARE(shop.journal.append({sale()}), 1);
        const QByteArray before = readBytes(shop.journal.path());
        {
            FakeFileSystem fs;
            fs.arrivingBytes = arriving;
            const QString failure = failureOf([&] { shop.journal.append({sale(), sale()}); });
            QVERIFY2(failure.startsWith(QStringLiteral("Не удалось записать журнал \"%1\".").arg(shop.journal.path())),
                     qPrintable(failure));
        }
        QCOMPARE(readBytes(shop.journal.path()), before);
        QCOMPARE(shop.journal.append({sale()}), 2);
        QCOMPARE(shop.reader().size(), 2);
    }

    // A torn last row is set aside by writing at the end of the torn file, checked the same way.
    void tornRowSetAsideWithoutAppendMode()
    {
        StockShop shop;
        QCOMPARE(shop.journal.append({sale()}), 1);
        const QByteArray whole = readBytes(shop.journal.path());
        writeBytes(shop.journal.tornPath(), "earlier\r\n");
        writeBytes(shop.journal.path(), whole + "7;01.12");
        QCOMPARE(shop.journal.append({sale()}), 2);
        QCOMPARE(readBytes(shop.journal.tornPath()), QByteArray("earlier\r\n7;01.12\r\n"));
        QCOMPARE(shop.reader().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestJournalAppend)
#include "tst_journalappend.moc"
