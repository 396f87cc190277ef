// Price-list records, the category table and page-by-page loading of the choice lists.
#include "catalogue.h"
#include "categorytable.h"
#include "error.h"
#include "pricelist.h"
#include "testshop.h"

#include <QSet>
#include <QTemporaryDir>
#include "failure.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// Records named "<prefix> 1" ... "<prefix> n".
QList<QStringList> records(const QString& prefix, int n)
{
    QList<QStringList> out;
    for (int i = 1; i <= n; ++i)
        out.append(record(QStringLiteral("%1 %2").arg(prefix).arg(i), QString::number(10 * i), QStringLiteral("5")));
    return out;
}

QStringList names(const QString& prefix, int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out.append(QStringLiteral("%1 %2").arg(prefix).arg(i));
    return out;
}

// A shop with every price list: the file of each category holds two records named after the
// file ("Proc_int 1", "Proc_int 2").
struct Shop : TestShop {
    Shop() : TestShop(Files::Every, [](const QString& file) { return records(stem(file), 2); }) {}
    using TestShop::write;
    void write(const QString& file, int n) const { write(file, records(stem(file), n)); }
    QStringList listed(const QString& file, int n) const { return names(stem(file), n); }
};

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void recordCountRoundsToNearest_data();
    void recordCountRoundsToNearest();
    void recordLineReadsSevenLineRecords();

    void tableHasAllCategories();
    void tableFileNames();
    void tableFddTextsCarryTheInchSign();
    void tableControlNamesFollowTheKey();
    void tablePagesAndWarnings();
    void tableOrders();

    void fillChoiceListAppendsNames();
    void replacedRecordsAreListed();
    void pageEntryListsNames();
    void pageEntryLeavesWarningPictureAndSiblingPages();
    void reentryChangesNothing();
    void reentryAfterResetReloads();
    void procPageWithoutPlatformListsFansOnly();
    void platformSwitchRelistsFromMemory();
    void missingPlatformFileEmptiesAllThreeLists();
    void missingFileStopsLoadingInOrder();
    void failedReloadAfterResetDropsOldLists();
    void emptyAndShortFilesGiveNoItems();
    void partialTrailingRecordIsListed();
    void recordsAndFileFollowPlatform();
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
    QCOMPARE(QStringList({b.name(), b.price(), b.stock(), b.description()}),
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
    QCOMPARE(WarningText, QStringLiteral("ВНИМАНИЕ! На складе отсутствует!"));
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
    QCOMPARE(category(Cat::Proc).hiddenLists, (QStringList{"Proc1Box1", "Proc2Box1"}));
    QCOMPARE(category(Cat::Mat).hiddenLists, (QStringList{"Mat1Box1", "Mat2Box1"}));
    QCOMPARE(category(Cat::Proc).variant, Variant::Platform);
    QCOMPARE(category(Cat::Mat).variant, Variant::Platform);
    QCOMPARE(category(Cat::RAM).variant, Variant::Quantity);
    QCOMPARE(category(Cat::Fun1).variant, Variant::Quantity);
    QCOMPARE(category(Cat::RAM).quantityList, QStringLiteral("NumBox"));
    QCOMPARE(category(Cat::Fun1).quantityList, QStringLiteral("Num1Box"));
    int plain = 0;
    for (Cat c : allCategories())
        plain += category(c).variant == Variant::Plain ? 1 : 0;
    QCOMPARE(plain, 24);
}

void TestCatalogue::tableFddTextsCarryTheInchSign()
{
    const CategoryInfo& fdd = category(Cat::Fdd);
    QCOMPARE(fdd.placeholder, QStringLiteral("3.5\" дисководы"));
    QCOMPARE(fdd.priceCaption, QStringLiteral("Цена 3.5\" дисковода:"));
    QCOMPARE(fdd.hint, QStringLiteral("Выберите 3.5\" дисковод..."));
    QCOMPARE(category(Cat::CD).placeholder, QStringLiteral("CD,DVD-Rom"));
    QCOMPARE(category(Cat::CD).priceCaption, QStringLiteral("Цена CD,DVD-Rom:"));
    QCOMPARE(category(Cat::UPS).placeholder, QStringLiteral("Источники бесперебойного питания"));
    QCOMPARE(category(Cat::Disk).placeholder, QStringLiteral("Дисководы, картридеры"));
    QCOMPARE(category(Cat::Fun).placeholder, QStringLiteral("Вентиляторы ЦПУ"));
    QCOMPARE(category(Cat::Fun1).placeholder, QStringLiteral("Вентиляторы шасси"));
    QCOMPARE(category(Cat::Dop1).placeholder, QStringLiteral("Дополнительно"));
    QCOMPARE(category(Cat::Dop2).hint, QStringLiteral("Выберите..."));
}

void TestCatalogue::tableControlNamesFollowTheKey()
{
    for (Cat c : allCategories()) {
        const CategoryInfo& info = category(c);
        QCOMPARE(info.choiceList, info.key + QStringLiteral("Box"));
        QCOMPARE(info.priceLabel, QStringLiteral("Price") + info.key + QStringLiteral("Label"));
        if (info.variant != Variant::Platform)
            QCOMPARE(info.hiddenLists, QStringList{info.key + QStringLiteral("Box1")});
        QVERIFY(!info.placeholder.isEmpty());
        QVERIFY(!info.priceCaption.isEmpty());
        QVERIFY(!info.hint.isEmpty());
    }
    // The one item label that does not follow its key.
    QCOMPARE(category(Cat::RAM).itemLabel, QStringLiteral("RamLabel"));
    QCOMPARE(category(Cat::Proc).itemLabel, QStringLiteral("ProcLabel"));
    // Pictures: the fan picture serves both fan categories; some categories keep the page's.
    QCOMPARE(category(Cat::Fun1).picture, QStringLiteral("Image33"));
    QCOMPARE(category(Cat::Fun).picture, QStringLiteral("Image33"));
    QCOMPARE(category(Cat::Scan).picture, QStringLiteral("Image41"));
    QCOMPARE(category(Cat::Prn).picture, QStringLiteral("Image42"));
    for (Cat c : {Cat::Base, Cat::Nout, Cat::Disk, Cat::Mon, Cat::OS, Cat::PO, Cat::Dop1, Cat::Dop2})
        QVERIFY2(category(c).picture.isEmpty(), qPrintable(category(c).key));
}

void TestCatalogue::tablePagesAndWarnings()
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
    const QStringList warnings = {"BaseL", "ProcL", "RamL", "DiskL", "VideoL", "NetL", "MonL", "PrnL", "DopL", "NoutL"};
    int counted = 0;
    for (int i = 0; i < loading.size(); ++i) {
        const auto& [p, cats] = loading.at(i);
        QCOMPARE(allPages()[size_t(i)], p);
        const PageInfo& info = page(p);
        QCOMPARE(QList<Cat>(info.categories.begin(), info.categories.end()), cats);
        QCOMPARE(info.warning, warnings.at(i));
        for (Cat c : cats) {
            QCOMPARE(category(c).page, p);
            QCOMPARE(category(c).warning, warnings.at(i));
            ++counted;
        }
    }
    QCOMPARE(counted, CategoryCount);
    QCOMPARE(page(Page::Proc).sheet, QStringLiteral("ProcSheet"));
    QCOMPARE(page(Page::Other).caption, QStringLiteral("Ввод"));
    QCOMPARE(page(Page::RAM).picture, QStringLiteral("Image8"));
    QCOMPARE(page(Page::Dop).picture, QStringLiteral("Image10"));
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

void TestCatalogue::fillChoiceListAppendsNames()
{
    PriceList list;
    for (const QStringList& r : {record("нет", "0", "0"), record("X", "1", "1"), record("X", "2", "1")})
        for (const QString& l : r)
            list.append(l);
    ChoiceList box;
    box.items = {QStringLiteral("old")};
    box.index = 0;
    fillChoiceList(list, box);
    QCOMPARE(box.items, (QStringList{"old", "нет", "X", "X"}));
    QCOMPARE(box.index, 0); // appending does not move the choice
}

void TestCatalogue::replacedRecordsAreListed()
{
    Shop shop;
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Prn);
    cat.view(Cat::Scan).box.choose(1);
    // Read anew with a third record: the choice list shows it and keeps the choice.
    shop.write(QStringLiteral("Scan.dat"), 3);
    cat.replaceRecords(Cat::Scan, loadPriceList(cat.pathOf(QStringLiteral("Scan.dat"))));
    QCOMPARE(cat.view(Cat::Scan).box.items, shop.listed("Scan.dat", 3));
    QCOMPARE(cat.view(Cat::Scan).box.index, 1);
    QCOMPARE(recordLine(*cat.records(Cat::Scan), 2, NameLine), QStringLiteral("Scan 3"));
    // Read anew with one record: the chosen second record is gone.
    shop.write(QStringLiteral("Scan.dat"), 1);
    cat.replaceRecords(Cat::Scan, loadPriceList(cat.pathOf(QStringLiteral("Scan.dat"))));
    QCOMPARE(cat.view(Cat::Scan).box.items, shop.listed("Scan.dat", 1));
    QCOMPARE(cat.view(Cat::Scan).box.index, -1);
}

void TestCatalogue::pageEntryListsNames()
{
    Shop shop;
    QList<QStringList> disks = {record("WD 1TB", "45", "3"), record("нет", "0", "0"), record("WD 1TB", "47", "0"),
                                record("Нет", "1", "1")};
    shop.write(QStringLiteral("Vint.dat"), disks);
    Catalogue cat(shop.folder);
    for (Cat c : page(Page::Disk).categories) {
        cat.view(c).priceLabel = QStringLiteral("old price");
        cat.view(c).itemLabel = QStringLiteral("old item");
    }
    QVERIFY(!cat.anyPageLoaded());
    cat.enterPage(Page::Disk);

    QVERIFY(cat.pageView(Page::Disk).loaded);
    QVERIFY(cat.anyPageLoaded());
    QCOMPARE(cat.view(Cat::Vint).box.items, (QStringList{"WD 1TB", "нет", "WD 1TB", "Нет"}));
    QCOMPARE(cat.view(Cat::CD).box.items, shop.listed("Cd.dat", 2));
    QCOMPARE(cat.view(Cat::Disk).box.items, shop.listed("Disk.dat", 2));
    QCOMPARE(cat.view(Cat::Fdd).box.items, shop.listed("Fdd.dat", 2));
    for (Cat c : page(Page::Disk).categories) {
        const CategoryView& v = cat.view(c);
        QCOMPARE(v.box.index, -1);
        QCOMPARE(v.box.editText, category(c).placeholder);
        QCOMPARE(v.box.currentText(), category(c).placeholder);
        QVERIFY(v.priceLabel.isEmpty());
        QVERIFY(v.itemLabel.isEmpty());
    }
    // The hidden list holds every line of the file.
    QCOMPARE(cat.view(Cat::Vint).hidden[0].count(), 28);
    QCOMPARE(recordLine(cat.view(Cat::Vint).hidden[0], 2, PriceLine), QStringLiteral("47"));
    // Other pages are not read.
    QVERIFY(!cat.pageView(Page::Video).loaded);
    QVERIFY(cat.view(Cat::Video).box.items.isEmpty());
    QCOMPARE(cat.view(Cat::Video).hidden[0].count(), 0);
}

void TestCatalogue::pageEntryLeavesWarningPictureAndSiblingPages()
{
    Shop shop;
    Catalogue cat(shop.folder);
    QCOMPARE(cat.pageView(Page::Prn).picture, QStringLiteral("Image4"));
    cat.pageView(Page::Prn).warningVisible = true;
    cat.pageView(Page::Prn).picture = QStringLiteral("Image41");
    cat.enterPage(Page::Prn);
    QVERIFY(cat.pageView(Page::Prn).warningVisible);
    QCOMPARE(cat.pageView(Page::Prn).picture, QStringLiteral("Image41"));
    QCOMPARE(cat.view(Cat::UPS).box.items, shop.listed("Ups.dat", 2));
}

void TestCatalogue::reentryChangesNothing()
{
    Shop shop;
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Video);
    CategoryView& video = cat.view(Cat::Video);
    video.box.choose(1);
    video.itemLabel = QStringLiteral("описание");
    video.priceLabel = QStringLiteral("20 у.е.");
    cat.pageView(Page::Video).warningVisible = true;
    const quint64 revision = video.box.revision;

    shop.write(QStringLiteral("Video.dat"), 5);
    shop.remove(QStringLiteral("Game.dat"));
    cat.enterPage(Page::Video); // no failure: nothing is read
    QCOMPARE(video.box.items, shop.listed("Video.dat", 2));
    QCOMPARE(video.box.index, 1);
    QCOMPARE(video.box.currentText(), QStringLiteral("Video 2"));
    QCOMPARE(video.itemLabel, QStringLiteral("описание"));
    QCOMPARE(video.priceLabel, QStringLiteral("20 у.е."));
    QCOMPARE(video.box.revision, revision);
    QCOMPARE(video.hidden[0].count(), 14);
    QVERIFY(cat.pageView(Page::Video).warningVisible);
    QCOMPARE(cat.view(Cat::Game).box.items, shop.listed("Game.dat", 2));
}

void TestCatalogue::reentryAfterResetReloads()
{
    Shop shop;
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Other);
    cat.enterPage(Page::Mon);
    CategoryView& mouse = cat.view(Cat::Mouse);
    mouse.box.choose(0);
    mouse.itemLabel = QStringLiteral("Мышь 1");
    mouse.priceLabel = QStringLiteral("10 у.е.");

    shop.write(QStringLiteral("Mouse.dat"), 3);
    shop.write(QStringLiteral("Net.dat"), {record("Сетевая", "7", "1")});
    cat.clearLoadedFlags();
    QVERIFY(!cat.anyPageLoaded());
    QVERIFY(!cat.pageView(Page::Mon).loaded);
    // Until the page is entered, the old lists stay on show.
    QCOMPARE(mouse.box.items, shop.listed("Mouse.dat", 2));
    QCOMPARE(mouse.box.index, 0);

    cat.enterPage(Page::Other);
    QVERIFY(cat.pageView(Page::Other).loaded);
    QVERIFY(!cat.pageView(Page::Mon).loaded);
    QCOMPARE(mouse.box.items, shop.listed("Mouse.dat", 3));
    QCOMPARE(mouse.box.index, -1);
    QCOMPARE(mouse.box.editText, QStringLiteral("Мышь"));
    QVERIFY(mouse.itemLabel.isEmpty());
    QVERIFY(mouse.priceLabel.isEmpty());
    QCOMPARE(cat.view(Cat::Net).box.items, QStringList{QStringLiteral("Сетевая")});
    QCOMPARE(mouse.hidden[0].count(), 21);
}

void TestCatalogue::procPageWithoutPlatformListsFansOnly()
{
    Shop shop;
    Catalogue cat(shop.folder);
    QCOMPARE(cat.procGroup, -1);
    cat.enterPage(Page::Proc);
    QVERIFY(cat.pageView(Page::Proc).loaded);
    QVERIFY(cat.view(Cat::Proc).box.items.isEmpty());
    QVERIFY(cat.view(Cat::Mat).box.items.isEmpty());
    QCOMPARE(cat.view(Cat::Proc).box.editText, QStringLiteral("Процессоры"));
    QCOMPARE(cat.view(Cat::Mat).box.editText, QStringLiteral("Материнские платы"));
    QCOMPARE(cat.view(Cat::Fun).box.items, shop.listed("Fun.dat", 2));
    QCOMPARE(cat.view(Cat::Fun).box.editText, QStringLiteral("Вентиляторы ЦПУ"));
    // All four platform files are held anyway.
    for (Cat c : {Cat::Proc, Cat::Mat})
        for (int list = 0; list < 2; ++list)
            QCOMPARE(cat.view(c).hidden[size_t(list)].count(), 14);
    QCOMPARE(cat.records(Cat::Proc), nullptr);
}

void TestCatalogue::platformSwitchRelistsFromMemory()
{
    Shop shop;
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Proc);
    cat.view(Cat::Fun).box.choose(1);
    cat.view(Cat::Fun).itemLabel = QStringLiteral("fan");

    // The files are gone: the switch lists what the page entry read.
    for (const char* f : {"Proc_int.dat", "Proc_amd.dat", "Mat_int.dat", "Mat_amd.dat", "Fun.dat"})
        shop.remove(QString::fromLatin1(f));
    cat.procGroup = 0;
    cat.relistPlatform();
    QCOMPARE(cat.view(Cat::Proc).box.items, shop.listed("Proc_int.dat", 2));
    QCOMPARE(cat.view(Cat::Mat).box.items, shop.listed("Mat_int.dat", 2));

    cat.view(Cat::Proc).box.choose(1);
    cat.view(Cat::Proc).itemLabel = QStringLiteral("proc");
    cat.view(Cat::Proc).priceLabel = QStringLiteral("89,50 у.е.");
    cat.view(Cat::Mat).priceLabel = QStringLiteral("60 у.е.");
    cat.procGroup = 1;
    cat.relistPlatform();
    QCOMPARE(cat.view(Cat::Proc).box.items, shop.listed("Proc_amd.dat", 2));
    QCOMPARE(cat.view(Cat::Mat).box.items, shop.listed("Mat_amd.dat", 2));
    for (Cat c : {Cat::Proc, Cat::Mat}) {
        QCOMPARE(cat.view(c).box.index, -1);
        QCOMPARE(cat.view(c).box.editText, category(c).placeholder);
        QVERIFY(cat.view(c).itemLabel.isEmpty());
        QVERIFY(cat.view(c).priceLabel.isEmpty());
    }
    // The fan and the flag are left alone.
    QCOMPARE(cat.view(Cat::Fun).box.index, 1);
    QCOMPARE(cat.view(Cat::Fun).itemLabel, QStringLiteral("fan"));
    QVERIFY(cat.pageView(Page::Proc).loaded);

    cat.procGroup = -1;
    cat.relistPlatform();
    QVERIFY(cat.view(Cat::Proc).box.items.isEmpty());
    QVERIFY(cat.view(Cat::Mat).box.items.isEmpty());
}

void TestCatalogue::missingPlatformFileEmptiesAllThreeLists()
{
    Shop shop;
    Catalogue cat(shop.folder);
    cat.procGroup = 0;
    cat.enterPage(Page::Proc);
    QCOMPARE(cat.view(Cat::Proc).box.items, shop.listed("Proc_int.dat", 2));
    cat.view(Cat::Proc).box.choose(0);

    shop.remove(QStringLiteral("Mat_amd.dat"));
    cat.clearLoadedFlags();
    const QString message = failureOf([&] { cat.enterPage(Page::Proc); });
    const QString prefix =
        QStringLiteral("Cannot open file \"%1\". ").arg(shop.dir.absoluteFilePath(QStringLiteral("Mat_amd.dat")));
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    for (Cat c : {Cat::Proc, Cat::Mat, Cat::Fun}) {
        QVERIFY2(cat.view(c).box.items.isEmpty(), qPrintable(category(c).key));
        QCOMPARE(cat.view(c).box.index, -1);
        QCOMPARE(cat.view(c).box.editText, category(c).placeholder);
    }
    QCOMPARE(cat.view(Cat::Mat).hidden[1].count(), 0);
    QCOMPARE(cat.view(Cat::Fun).hidden[0].count(), 0);
    QVERIFY(!cat.pageView(Page::Proc).loaded);
    QVERIFY(!cat.anyPageLoaded());

    // The next entry tries again, and succeeds once the file is back.
    QVERIFY(!failureOf([&] { cat.enterPage(Page::Proc); }).isEmpty());
    shop.write(QStringLiteral("Mat_amd.dat"), 1);
    cat.enterPage(Page::Proc);
    QVERIFY(cat.pageView(Page::Proc).loaded);
    QCOMPARE(cat.view(Cat::Proc).box.items, shop.listed("Proc_int.dat", 2));
    QCOMPARE(cat.view(Cat::Fun).box.items, shop.listed("Fun.dat", 2));
    QCOMPARE(cat.view(Cat::Mat).hidden[1].count(), 7);
}

void TestCatalogue::missingFileStopsLoadingInOrder()
{
    Shop shop;
    Catalogue cat(shop.folder);
    shop.remove(QStringLiteral("Sound.dat"));
    const QString message = failureOf([&] { cat.enterPage(Page::Video); });
    QVERIFY2(
        message.startsWith(
            QStringLiteral("Cannot open file \"%1\". ").arg(shop.dir.absoluteFilePath(QStringLiteral("Sound.dat")))),
        qPrintable(message));
    QCOMPARE(cat.view(Cat::Video).box.items, shop.listed("Video.dat", 2));
    for (Cat c : {Cat::Sound, Cat::Speak, Cat::Game}) {
        QVERIFY(cat.view(c).box.items.isEmpty());
        QCOMPARE(cat.view(c).box.editText, category(c).placeholder);
        QCOMPARE(cat.view(c).hidden[0].count(), 0);
    }
    QVERIFY(!cat.pageView(Page::Video).loaded);

    // The next entry reloads all four, the video list included.
    shop.write(QStringLiteral("Sound.dat"), 3);
    shop.write(QStringLiteral("Video.dat"), 4);
    cat.enterPage(Page::Video);
    QVERIFY(cat.pageView(Page::Video).loaded);
    QCOMPARE(cat.view(Cat::Video).box.items, shop.listed("Video.dat", 4));
    QCOMPARE(cat.view(Cat::Sound).box.items, shop.listed("Sound.dat", 3));
    QCOMPARE(cat.view(Cat::Speak).box.items, shop.listed("Speak.dat", 2));
    QCOMPARE(cat.view(Cat::Game).box.items, shop.listed("Game.dat", 2));
}

void TestCatalogue::failedReloadAfterResetDropsOldLists()
{
    Shop shop;
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Dop);
    cat.view(Cat::Dop2).box.choose(1);
    cat.view(Cat::Dop2).itemLabel = QStringLiteral("x");
    shop.remove(QStringLiteral("Dop1.dat"));
    cat.clearLoadedFlags();
    QVERIFY(!failureOf([&] { cat.enterPage(Page::Dop); }).isEmpty());
    QCOMPARE(cat.view(Cat::OS).box.items, shop.listed("Os.dat", 2));
    QCOMPARE(cat.view(Cat::PO).box.items, shop.listed("Po.dat", 2));
    for (Cat c : {Cat::Dop1, Cat::Dop2}) {
        QVERIFY(cat.view(c).box.items.isEmpty());
        QCOMPARE(cat.view(c).box.index, -1);
        QCOMPARE(cat.view(c).hidden[0].count(), 0);
        QVERIFY(cat.view(c).itemLabel.isEmpty());
    }
}

void TestCatalogue::emptyAndShortFilesGiveNoItems()
{
    Shop shop;
    writeBytes(shop.path(QStringLiteral("Base.dat")), QByteArray());
    writeBytes(shop.path(QStringLiteral("Nout.dat")), crlf({"Ноутбук", "500", "r2"}));
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Base);
    cat.enterPage(Page::Nout);
    for (Cat c : {Cat::Base, Cat::Nout}) {
        QVERIFY(cat.pageView(category(c).page).loaded);
        QVERIFY(cat.view(c).box.items.isEmpty());
        QCOMPARE(cat.view(c).box.editText, category(c).placeholder);
    }
    QCOMPARE(cat.view(Cat::Nout).hidden[0].count(), 3);
}

void TestCatalogue::partialTrailingRecordIsListed()
{
    Shop shop;
    QStringList lines = record("Монитор 1", "150", "2");
    lines += {QStringLiteral("Монитор 2"), QStringLiteral("170"), QStringLiteral("r2"), QStringLiteral("r3")};
    writeBytes(shop.path(QStringLiteral("Monitor.dat")), crlf(lines));
    QStringList printers = record("Принтер", "80", "1");
    printers += {QStringLiteral("Обрывок"), QStringLiteral("1"), QStringLiteral("r2")};
    writeBytes(shop.path(QStringLiteral("Printer.dat")), crlf(printers));
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Mon);
    cat.enterPage(Page::Prn);
    QCOMPARE(cat.view(Cat::Mon).box.items, (QStringList{"Монитор 1", "Монитор 2"}));
    QCOMPARE(cat.view(Cat::Prn).box.items, QStringList{QStringLiteral("Принтер")});
}

void TestCatalogue::recordsAndFileFollowPlatform()
{
    Shop shop;
    Catalogue cat(shop.folder);
    cat.enterPage(Page::Proc);
    cat.enterPage(Page::RAM);
    QCOMPARE(cat.records(Cat::RAM), &cat.view(Cat::RAM).hidden[0]);
    QCOMPARE(cat.fileFor(Cat::RAM), QStringLiteral("Ram.dat"));
    QCOMPARE(cat.records(Cat::Fun), &cat.view(Cat::Fun).hidden[0]);
    QCOMPARE(cat.records(Cat::Mat), nullptr);
    QVERIFY(cat.fileFor(Cat::Mat).isEmpty());
    cat.procGroup = 1;
    QCOMPARE(cat.records(Cat::Mat), &cat.view(Cat::Mat).hidden[1]);
    QCOMPARE(cat.fileFor(Cat::Mat), QStringLiteral("Mat_amd.dat"));
    QCOMPARE(cat.fileFor(Cat::Proc), QStringLiteral("Proc_amd.dat"));
    cat.procGroup = 0;
    QCOMPARE(cat.records(Cat::Proc), &cat.view(Cat::Proc).hidden[0]);
    QCOMPARE(cat.fileFor(Cat::Proc), QStringLiteral("Proc_int.dat"));
    QCOMPARE(cat.pathOf(QStringLiteral("Ram.dat")), shop.path(QStringLiteral("Ram.dat")));
    QCOMPARE(Catalogue().pathOf(QStringLiteral("Ram.dat")), QStringLiteral("Ram.dat"));
    // The memory page's quantity lists offer 1 to 4.
    QCOMPARE(cat.numBox.items, (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(cat.num1Box.items, (QStringList{"1", "2", "3", "4"}));
}

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
