// Price-list records and the category table.
#include "base/error.h"
#include "catalogue/catalogue.h"
#include "catalogue/categorytable.h"
#include "catalogue/pricelist.h"
#include "common/testshop.h"

#include "common/failure.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void recordCountRoundsToNearest_data();
    void recordCountRoundsToNearest();
    void recordLineReadsSevenLineRecords();

    void keysFindTheirCategories();
    void sampleShopHoldsEveryListOfTheTable();
    void everyCategoryBelongsToOnePage();
};

void TestCatalogue::recordCountRoundsToNearest_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("expected");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("3") << 3 << 0;
    QTest::newRow("4") << 4 << 1;
    QTest::newRow("6") << 6 << 1;
    QTest::newRow("7") << 7 << 1;
    QTest::newRow("10") << 10 << 1;
    QTest::newRow("11") << 11 << 2;
    QTest::newRow("14") << 14 << 2;
    QTest::newRow("17") << 17 << 2;
    QTest::newRow("18") << 18 << 3;
}

void TestCatalogue::recordCountRoundsToNearest()
{
    QFETCH(int, lines);
    QFETCH(int, expected);
    QTemporaryDir dir;
    QStringList content;
    for (int i = 0; i < lines; ++i)
        content.append(QStringLiteral("line %1").arg(i));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("Key.dat"));
    writeBytes(path, crlf(content));
    const PriceList list = loadPriceList(path);
    QCOMPARE(list.count(), lines);
    QCOMPARE(recordCount(list), expected);
}

void TestCatalogue::recordLineReadsSevenLineRecords()
{
    QStringList lines =
        record(QStringLiteral("A"), QStringLiteral("10"), QStringLiteral("1"), QStringLiteral("desc A"));
    lines += record(QStringLiteral("B"), QStringLiteral("20,5"), QStringLiteral("-3"), QStringLiteral("desc B"));
    lines += {QStringLiteral("C"), QStringLiteral("30"), QString(), QString()}; // a 4-line tail
    const PriceList list = TextLines::fromStrings(lines);
    QCOMPARE(recordCount(list), 3);
    QCOMPARE(recordLine(list, 1, NameLine), QStringLiteral("B"));
    QCOMPARE(recordLine(list, 1, PriceLine), QStringLiteral("20,5"));
    QCOMPARE(recordLine(list, 1, StockLine), QStringLiteral("-3"));
    QCOMPARE(recordLine(list, 1, DescriptionLine), QStringLiteral("desc B"));
    QCOMPARE(recordLine(list, 2, PriceLine), QStringLiteral("30"));
    QCOMPARE(failureOf([&] { recordLine(list, 2, StockLine); }), QStringLiteral("List index out of bounds (18)"));
    QCOMPARE(failureOf([&] { recordLine(list, 2, DescriptionLine); }), QStringLiteral("List index out of bounds (19)"));

    // The same fields through a record, which exists while its name line does.
    const PriceRecord b(list, 1);
    QCOMPARE(
        QStringList({b.name(), b.price(), b.stock(), b.description()}),
        QStringList({QStringLiteral("B"), QStringLiteral("20,5"), QStringLiteral("-3"), QStringLiteral("desc B")}));
    QVERIFY(PriceRecord(list, 2).exists());
    QVERIFY(!PriceRecord(list, 3).exists());
    QVERIFY(!PriceRecord(list, -1).exists());
    QCOMPARE(failureOf([&] { PriceRecord(list, 2).stock(); }), QStringLiteral("List index out of bounds (18)"));
    PriceList changed = list;
    setRecordStock(changed, 1, QStringLiteral("7"));
    QCOMPARE(PriceRecord(changed, 1).stock(), QStringLiteral("7"));
    QCOMPARE(PriceRecord(changed, 0).stock(), QStringLiteral("1"));
}

// Every category is found by its own key, and by no other spelling.
void TestCatalogue::keysFindTheirCategories()
{
    QCOMPARE(int(allCategories().size()), CategoryCount);
    for (int i = 0; i < CategoryCount; ++i) {
        const Cat c = allCategories()[size_t(i)];
        QCOMPARE(idx(c), i);
        QCOMPARE(category(c).cat, c);
        Cat found;
        QVERIFY(categoryByKey(category(c).key, found));
        QCOMPARE(found, c);
    }
    Cat unused;
    QVERIFY(!categoryByKey(QStringLiteral("proc"), unused));
    QVERIFY(!categoryByKey(QStringLiteral("Fdd1"), unused));
}

// The shop delivered with the program holds exactly the price lists the table names, and each
// of them has items.
void TestCatalogue::sampleShopHoldsEveryListOfTheTable()
{
    const TestShop shop(TestShop::Files::Sample);
    QStringList named;
    for (Cat c : allCategories())
        named += category(c).files;
    named.sort();
    QStringList lists = shop.dir.entryList({QStringLiteral("*.dat")}, QDir::Files);
    lists.removeOne(QStringLiteral("clients.dat"));
    lists.sort();
    QCOMPARE(lists, named);
    for (const QString& file : named)
        QVERIFY2(recordCount(shop.list(file)) > 0, qPrintable(file));
}

// Each category is loaded by exactly one page, the page that lists it.
void TestCatalogue::everyCategoryBelongsToOnePage()
{
    QList<Cat> listed;
    for (Page p : allPages())
        for (Cat c : page(p).categories) {
            QCOMPARE(category(c).page, p);
            listed.append(c);
        }
    std::sort(listed.begin(), listed.end());
    QCOMPARE(listed, QList<Cat>(allCategories().begin(), allCategories().end()));
}

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
