// Price-list records and the category table.
#include "catalogue.h"
#include "categorytable.h"
#include "error.h"
#include "pricelist.h"
#include "testshop.h"

#include "failure.h"
#include <QSet>
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

    void tableHasAllCategories();
    void tableFileNames();
    void tableTitles();
    void tablePages();
    void tableOrders();
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

void TestCatalogue::tableHasAllCategories()
{
    QCOMPARE(int(allCategories().size()), 28);
    QSet<QString> keys;
    for (int i = 0; i < CategoryCount; ++i) {
        const Cat c = allCategories()[size_t(i)];
        QCOMPARE(idx(c), i);
        QCOMPARE(category(c).cat, c);
        keys.insert(category(c).key);
        Cat found;
        QVERIFY(categoryByKey(category(c).key, found));
        QCOMPARE(found, c);
    }
    QCOMPARE(keys, (QSet<QString>{"Base", "Nout", "Proc",  "Mat",   "Fun",   "RAM",  "Fun1", "Case", "Vint", "CD",
                                  "Disk", "Fdd",  "Video", "Sound", "Speak", "Game", "Net",  "Mod",  "Key",  "Mouse",
                                  "Mon",  "Prn",  "Scan",  "UPS",   "OS",    "PO",   "Dop1", "Dop2"}));
    Cat unused;
    QVERIFY(!categoryByKey(QStringLiteral("proc"), unused));
    QVERIFY(!categoryByKey(QStringLiteral("Fdd1"), unused));
    QCOMPARE(NoneEntry, QStringLiteral("нет"));
}

void TestCatalogue::tableFileNames()
{
    const QList<QPair<Cat, QStringList>> expected = {
        {Cat::Base, {"Base.dat"}},
        {Cat::Nout, {"Nout.dat"}},
        {Cat::Proc, {"Proc_int.dat", "Proc_amd.dat"}},
        {Cat::Mat, {"Mat_int.dat", "Mat_amd.dat"}},
        {Cat::Fun, {"Fun.dat"}},
        {Cat::RAM, {"Ram.dat"}},
        {Cat::Fun1, {"Fun1.dat"}},
        {Cat::Case, {"Case.dat"}},
        {Cat::Vint, {"Vint.dat"}},
        {Cat::CD, {"Cd.dat"}},
        {Cat::Disk, {"Disk.dat"}},
        {Cat::Fdd, {"Fdd.dat"}},
        {Cat::Video, {"Video.dat"}},
        {Cat::Sound, {"Sound.dat"}},
        {Cat::Speak, {"Speak.dat"}},
        {Cat::Game, {"Game.dat"}},
        {Cat::Net, {"Net.dat"}},
        {Cat::Mod, {"Modem.dat"}},
        {Cat::Key, {"Key.dat"}},
        {Cat::Mouse, {"Mouse.dat"}},
        {Cat::Mon, {"Monitor.dat"}},
        {Cat::Prn, {"Printer.dat"}},
        {Cat::Scan, {"Scan.dat"}},
        {Cat::UPS, {"Ups.dat"}},
        {Cat::OS, {"Os.dat"}},
        {Cat::PO, {"Po.dat"}},
        {Cat::Dop1, {"Dop1.dat"}},
        {Cat::Dop2, {"Dop2.dat"}},
    };
    QCOMPARE(expected.size(), CategoryCount);
    QSet<QString> all;
    for (const auto& [c, files] : expected) {
        QCOMPARE(category(c).files, files);
        for (const QString& f : files)
            all.insert(f);
    }
    QCOMPARE(all.size(), 30);
    QCOMPARE(category(Cat::Proc).variant, Variant::Platform);
    QCOMPARE(category(Cat::Mat).variant, Variant::Platform);
    QCOMPARE(category(Cat::RAM).variant, Variant::Quantity);
    QCOMPARE(category(Cat::Fun1).variant, Variant::Quantity);
    int plain = 0;
    for (Cat c : allCategories())
        plain += category(c).variant == Variant::Plain ? 1 : 0;
    QCOMPARE(plain, 24);
}

void TestCatalogue::tableTitles()
{
    QCOMPARE(category(Cat::Fdd).title, QStringLiteral("3.5\" дисководы"));
    QCOMPARE(category(Cat::CD).title, QStringLiteral("CD,DVD-Rom"));
    QCOMPARE(category(Cat::UPS).title, QStringLiteral("Источники бесперебойного питания"));
    QCOMPARE(category(Cat::Disk).title, QStringLiteral("Дисководы, картридеры"));
    QCOMPARE(category(Cat::Fun).title, QStringLiteral("Вентиляторы ЦПУ"));
    QCOMPARE(category(Cat::Fun1).title, QStringLiteral("Вентиляторы шасси"));
    QCOMPARE(category(Cat::Dop1).title, QStringLiteral("Дополнительно"));
}

void TestCatalogue::tablePages()
{
    QCOMPARE(int(allPages().size()), 10);
    const QList<QPair<Page, QList<Cat>>> loading = {
        {Page::Base, {Cat::Base}},
        {Page::Proc, {Cat::Proc, Cat::Mat, Cat::Fun}},
        {Page::RAM, {Cat::RAM, Cat::Fun1, Cat::Case}},
        {Page::Disk, {Cat::Vint, Cat::CD, Cat::Disk, Cat::Fdd}},
        {Page::Video, {Cat::Video, Cat::Sound, Cat::Speak, Cat::Game}},
        {Page::Other, {Cat::Net, Cat::Mod, Cat::Key, Cat::Mouse}},
        {Page::Mon, {Cat::Mon}},
        {Page::Prn, {Cat::Prn, Cat::Scan, Cat::UPS}},
        {Page::Dop, {Cat::OS, Cat::PO, Cat::Dop1, Cat::Dop2}},
        {Page::Nout, {Cat::Nout}},
    };
    int counted = 0;
    for (int i = 0; i < loading.size(); ++i) {
        const auto& [p, cats] = loading.at(i);
        QCOMPARE(allPages()[size_t(i)], p);
        const PageInfo& info = page(p);
        QCOMPARE(QList<Cat>(info.categories.begin(), info.categories.end()), cats);
        for (Cat c : cats) {
            QCOMPARE(category(c).page, p);
            ++counted;
        }
    }
    QCOMPARE(counted, CategoryCount);
}

void TestCatalogue::tableOrders()
{
    const auto& summary = summaryOrder();
    const auto pos = [&](const std::array<Cat, CategoryCount>& order, Cat c) {
        return int(std::find(order.begin(), order.end(), c) - order.begin());
    };
    QSet<Cat> seen(summary.begin(), summary.end());
    QCOMPARE(seen.size(), CategoryCount);
    QVERIFY(pos(summary, Cat::Disk) < pos(summary, Cat::CD));
    QVERIFY(pos(summary, Cat::Vint) < pos(summary, Cat::Disk));
    QVERIFY(pos(summary, Cat::CD) < pos(summary, Cat::Fdd));
    QVERIFY(pos(summary, Cat::Scan) < pos(summary, Cat::Speak));
    QVERIFY(pos(summary, Cat::Prn) < pos(summary, Cat::Scan));
    QVERIFY(pos(summary, Cat::Speak) < pos(summary, Cat::UPS));
    QCOMPARE(summary.front(), Cat::Base);
    QCOMPARE(summary.back(), Cat::Dop2);

    const auto& fields = selectionOrder();
    QSet<Cat> fieldSet(fields.begin(), fields.end());
    QCOMPARE(fieldSet.size(), CategoryCount);
    // Game right after Sound, Speak between Prn and Scan.
    QCOMPARE(pos(fields, Cat::Game), pos(fields, Cat::Sound) + 1);
    QCOMPARE(pos(fields, Cat::Speak), pos(fields, Cat::Prn) + 1);
    QCOMPARE(pos(fields, Cat::Scan), pos(fields, Cat::Speak) + 1);
}

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
