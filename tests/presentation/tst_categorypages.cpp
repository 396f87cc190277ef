// Page-by-page loading of the price lists into the pages' choice lists.
#include "catalogue/categorytable.h"
#include "catalogue/pricelist.h"
#include "common/failure.h"
#include "common/testshop.h"
#include "presentation/categorypages.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

QStringList names(const QString& prefix, int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out.append(QStringLiteral("%1 %2").arg(prefix).arg(i));
    return out;
}

// Records of those names at 10, 20, ... with 5 in stock.
QList<QStringList> records(const QString& prefix, int n)
{
    QList<QStringList> out;
    for (const QString& name : names(prefix, n))
        out.append(record(name, QString::number(10 * (out.size() + 1)), "5"));
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

// The price lists and the pages that show them, as the main window holds them.
struct Shelf : Catalogue, CategoryPages {
    using Catalogue::Catalogue;
    void enterPage(Page p) { CategoryPages::enterPage(p, *this); }
    void relistPlatform() { CategoryPages::relistPlatform(*this); }
    void replaceRecords(Cat c, PriceList content)
    {
        Catalogue::replaceRecords(c, std::move(content));
        relist(c, *this);
    }
};

} // namespace

class TestCategoryPages : public QObject {
    Q_OBJECT

private slots:
    void fillChoiceListAppendsNames()
    {
        const PriceList list =
            TextLines::fromStrings(record("нет", "0", "0") + record("X", "1", "1") + record("X", "2", "1"));
        ChoiceList box;
        box.items = {QStringLiteral("old")};
        box.index = 0;
        fillChoiceList(list, box);
        QCOMPARE(box.items, (QStringList{"old", "нет", "X", "X"}));
        QCOMPARE(box.index, 0); // appending does not move the choice
    }

    void replacedRecordsAreListed()
    {
        Shop shop;
        Shelf cat(shop.folder);
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

    void pageEntryListsNames()
    {
        Shop shop;
        QList<QStringList> disks = {record("WD 1TB", "45", "3"), record("нет", "0", "0"), record("WD 1TB", "47", "0"),
                                    record("Нет", "1", "1")};
        shop.write(QStringLiteral("Vint.dat"), disks);
        Shelf cat(shop.folder);
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
            QCOMPARE(v.box.editText, category(c).title);
            QCOMPARE(v.box.currentText(), category(c).title);
            QVERIFY(v.priceLabel.isEmpty());
            QVERIFY(v.itemLabel.isEmpty());
        }
        // The catalogue holds every line of the file.
        QCOMPARE(cat.list(Cat::Vint, 0).count(), 28);
        QCOMPARE(recordLine(cat.list(Cat::Vint, 0), 2, PriceLine), QStringLiteral("47"));
        // Other pages are not read.
        QVERIFY(!cat.pageView(Page::Video).loaded);
        QVERIFY(cat.view(Cat::Video).box.items.isEmpty());
        QCOMPARE(cat.list(Cat::Video, 0).count(), 0);
    }

    void pageEntryLeavesWarningPictureAndSiblingPages()
    {
        Shop shop;
        Shelf cat(shop.folder);
        QCOMPARE(cat.pageView(Page::Prn).picture, QStringLiteral("Image4"));
        cat.pageView(Page::Prn).warningVisible = true;
        cat.pageView(Page::Prn).picture = QStringLiteral("Image41");
        cat.enterPage(Page::Prn);
        QVERIFY(cat.pageView(Page::Prn).warningVisible);
        QCOMPARE(cat.pageView(Page::Prn).picture, QStringLiteral("Image41"));
        QCOMPARE(cat.view(Cat::UPS).box.items, shop.listed("Ups.dat", 2));
    }

    void reentryChangesNothing()
    {
        Shop shop;
        Shelf cat(shop.folder);
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
        QCOMPARE(cat.list(Cat::Video, 0).count(), 14);
        QVERIFY(cat.pageView(Page::Video).warningVisible);
        QCOMPARE(cat.view(Cat::Game).box.items, shop.listed("Game.dat", 2));
    }

    void reentryAfterResetReloads()
    {
        Shop shop;
        Shelf cat(shop.folder);
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
        QCOMPARE(cat.list(Cat::Mouse, 0).count(), 21);
    }

    void procPageWithoutPlatformListsFansOnly()
    {
        Shop shop;
        Shelf cat(shop.folder);
        QCOMPARE(cat.platform, ProcessorPlatform::None);
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
                QCOMPARE(cat.list(c, list).count(), 14);
        QCOMPARE(cat.records(Cat::Proc), nullptr);
    }

    void platformSwitchRelistsFromMemory()
    {
        Shop shop;
        Shelf cat(shop.folder);
        cat.enterPage(Page::Proc);
        cat.view(Cat::Fun).box.choose(1);
        cat.view(Cat::Fun).itemLabel = QStringLiteral("fan");

        // The files are gone: the switch lists what the page entry read.
        for (const char* f : {"Proc_int.dat", "Proc_amd.dat", "Mat_int.dat", "Mat_amd.dat", "Fun.dat"})
            shop.remove(QString::fromLatin1(f));
        cat.platform = ProcessorPlatform::Intel;
        cat.relistPlatform();
        QCOMPARE(cat.view(Cat::Proc).box.items, shop.listed("Proc_int.dat", 2));
        QCOMPARE(cat.view(Cat::Mat).box.items, shop.listed("Mat_int.dat", 2));

        cat.view(Cat::Proc).box.choose(1);
        cat.view(Cat::Proc).itemLabel = QStringLiteral("proc");
        cat.view(Cat::Proc).priceLabel = QStringLiteral("89,50 у.е.");
        cat.view(Cat::Mat).priceLabel = QStringLiteral("60 у.е.");
        cat.platform = ProcessorPlatform::Amd;
        cat.relistPlatform();
        QCOMPARE(cat.view(Cat::Proc).box.items, shop.listed("Proc_amd.dat", 2));
        QCOMPARE(cat.view(Cat::Mat).box.items, shop.listed("Mat_amd.dat", 2));
        for (Cat c : {Cat::Proc, Cat::Mat}) {
            QCOMPARE(cat.view(c).box.index, -1);
            QCOMPARE(cat.view(c).box.editText, category(c).title);
            QVERIFY(cat.view(c).itemLabel.isEmpty());
            QVERIFY(cat.view(c).priceLabel.isEmpty());
        }
        // The fan and the flag are left alone.
        QCOMPARE(cat.view(Cat::Fun).box.index, 1);
        QCOMPARE(cat.view(Cat::Fun).itemLabel, QStringLiteral("fan"));
        QVERIFY(cat.pageView(Page::Proc).loaded);

        cat.platform = ProcessorPlatform::None;
        cat.relistPlatform();
        QVERIFY(cat.view(Cat::Proc).box.items.isEmpty());
        QVERIFY(cat.view(Cat::Mat).box.items.isEmpty());
    }

    // A file of the page cannot be read: the lists before it stay, but for a platform page, whose
    // lists go together; the rest are emptied, the page stays unloaded and every entry tries again.
    void missingFileStopsThePage_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<ProcessorPlatform>("platform");
        QTest::addColumn<bool>("reset"); // loaded, a choice made, then reset before the file went
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QList<Cat>>("kept");
        QTest::addRow("video page, second file")
            << Page::Video << ProcessorPlatform::None << false << "Sound.dat" << QList<Cat>{Cat::Video};
        QTest::addRow("processor page, other platform's boards")
            << Page::Proc << ProcessorPlatform::Intel << true << "Mat_amd.dat" << QList<Cat>{};
        QTest::addRow("extras page after a reset")
            << Page::Dop << ProcessorPlatform::None << true << "Dop1.dat" << QList<Cat>{Cat::OS, Cat::PO};
    }

    void missingFileStopsThePage()
    {
        QFETCH(Page, page);
        QFETCH(ProcessorPlatform, platform);
        QFETCH(bool, reset);
        QFETCH(QString, missing);
        QFETCH(QList<Cat>, kept);
        Shop shop;
        Shelf cat(shop.folder);
        cat.platform = platform;
        const auto& cats = korvanta::page(page).categories;
        if (reset) {
            cat.enterPage(page);
            for (Cat c : cats) {
                cat.view(c).box.choose(1);
                cat.view(c).itemLabel = QStringLiteral("x");
            }
            cat.clearLoadedFlags();
        }
        shop.remove(missing);
        const QString message = failureOf([&] { cat.enterPage(page); });
        const QString prefix = QStringLiteral("Cannot open file \"%1\". ").arg(shop.dir.absoluteFilePath(missing));
        QVERIFY2(message.startsWith(prefix), qPrintable(message));
        for (Cat c : cats) {
            const CategoryView& v = cat.view(c);
            if (kept.contains(c)) {
                QCOMPARE(v.box.items, shop.listed(category(c).files.first(), 2));
                continue;
            }
            QVERIFY2(v.box.items.isEmpty(), qPrintable(category(c).key));
            QCOMPARE(v.box.index, -1);
            QCOMPARE(v.box.editText, category(c).title);
            QVERIFY(v.itemLabel.isEmpty());
        }
        // The page's files are read in order: the missing one and those after it are not held.
        bool after = false;
        for (Cat c : cats)
            for (int list = 0; list < category(c).files.size(); ++list) {
                after = after || category(c).files.at(list) == missing;
                if (after)
                    QVERIFY2(cat.list(c, list).count() == 0, qPrintable(category(c).files.at(list)));
            }
        QVERIFY(!cat.anyPageLoaded());

        // The next entry fails again; once the file is back it reads every file of the page anew.
        QVERIFY(!failureOf([&] { cat.enterPage(page); }).isEmpty());
        shop.write(missing, 3);
        const QString first = cat.fileFor(cats.front());
        shop.write(first, 4);
        cat.enterPage(page);
        QVERIFY(cat.pageView(page).loaded);
        for (Cat c : cats) {
            const QString file = cat.fileFor(c);
            QCOMPARE(cat.view(c).box.items, shop.listed(file, file == first ? 4 : file == missing ? 3 : 2));
        }
        const Cat owner =
            *std::find_if(cats.begin(), cats.end(), [&](Cat c) { return category(c).files.contains(missing); });
        QCOMPARE(cat.list(owner, int(category(owner).files.indexOf(missing))).count(), 3 * RecordLines);
    }

    void emptyAndShortFilesGiveNoItems()
    {
        Shop shop;
        writeBytes(shop.path(QStringLiteral("Base.dat")), QByteArray());
        shop.writeLines(QStringLiteral("Nout.dat"), {"Ноутбук", "500", "r2"});
        Shelf cat(shop.folder);
        cat.enterPage(Page::Base);
        cat.enterPage(Page::Nout);
        for (Cat c : {Cat::Base, Cat::Nout}) {
            QVERIFY(cat.pageView(category(c).page).loaded);
            QVERIFY(cat.view(c).box.items.isEmpty());
            QCOMPARE(cat.view(c).box.editText, category(c).title);
        }
        QCOMPARE(cat.list(Cat::Nout, 0).count(), 3);
    }

    void partialTrailingRecordIsListed()
    {
        Shop shop;
        QStringList lines = record("Монитор 1", "150", "2");
        lines += {QStringLiteral("Монитор 2"), QStringLiteral("170"), QStringLiteral("r2"), QStringLiteral("r3")};
        shop.writeLines(QStringLiteral("Monitor.dat"), lines);
        QStringList printers = record("Принтер", "80", "1");
        printers += {QStringLiteral("Обрывок"), QStringLiteral("1"), QStringLiteral("r2")};
        shop.writeLines(QStringLiteral("Printer.dat"), printers);
        Shelf cat(shop.folder);
        cat.enterPage(Page::Mon);
        cat.enterPage(Page::Prn);
        QCOMPARE(cat.view(Cat::Mon).box.items, (QStringList{"Монитор 1", "Монитор 2"}));
        QCOMPARE(cat.view(Cat::Prn).box.items, QStringList{QStringLiteral("Принтер")});
    }

    void recordsAndFileFollowPlatform()
    {
        Shop shop;
        Shelf cat(shop.folder);
        cat.enterPage(Page::Proc);
        cat.enterPage(Page::RAM);
        QCOMPARE(cat.records(Cat::RAM), &cat.list(Cat::RAM, 0));
        QCOMPARE(cat.fileFor(Cat::RAM), QStringLiteral("Ram.dat"));
        QCOMPARE(cat.records(Cat::Fun), &cat.list(Cat::Fun, 0));
        QCOMPARE(cat.records(Cat::Mat), nullptr);
        QVERIFY(cat.fileFor(Cat::Mat).isEmpty());
        cat.platform = ProcessorPlatform::Amd;
        QCOMPARE(cat.records(Cat::Mat), &cat.list(Cat::Mat, 1));
        QCOMPARE(cat.fileFor(Cat::Mat), QStringLiteral("Mat_amd.dat"));
        QCOMPARE(cat.fileFor(Cat::Proc), QStringLiteral("Proc_amd.dat"));
        cat.platform = ProcessorPlatform::Intel;
        QCOMPARE(cat.records(Cat::Proc), &cat.list(Cat::Proc, 0));
        QCOMPARE(cat.fileFor(Cat::Proc), QStringLiteral("Proc_int.dat"));
        QCOMPARE(cat.pathOf(QStringLiteral("Ram.dat")), shop.path(QStringLiteral("Ram.dat")));
        QCOMPARE(Catalogue().pathOf(QStringLiteral("Ram.dat")), QStringLiteral("Ram.dat"));
        // The memory page's quantity lists offer 1 to 4.
        QCOMPARE(cat.memoryCounts.items, (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(cat.fanCounts.items, (QStringList{"1", "2", "3", "4"}));
    }
};

QTEST_APPLESS_MAIN(TestCategoryPages)
#include "tst_categorypages.moc"
