// The seller's copy while others change the shop's price lists: pages and the order follow the
// files, the salesperson is told what changed in the order, and printing never carries a price or
// an item the lists no longer hold.
#include "common/ordershop.h"
#include "quotation/summary.h"
#include "stock/journalreader.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestFollowShop : public QObject {
    Q_OBJECT

private slots:
    void orderFollowsChangedList_data()
    {
        QTest::addColumn<QList<QStringList>>("records");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("price");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QString>("second"); // what the list shows at the second place

        const QString item = QStringLiteral("DDR3 4Gb Hynix - 2шт.");
        QTest::newRow("price raised") << ramRecords(QStringLiteral("19")) << item << QStringLiteral("38,00") << false
                                      << QStringList{QStringLiteral("Цена товара \"DDR3 4Gb Hynix - 2шт.\" изменилась: "
                                                                    "была 30,00 у.е., теперь 38,00 у.е.")}
                                      << QStringLiteral("DDR3 4Gb Hynix");
        QTest::newRow("stock below the count")
            << ramRecords(QStringLiteral("15"), QStringLiteral("DDR3 4Gb Hynix"), QStringLiteral("1")) << item
            << QStringLiteral("30,00") << true << QStringList() << QStringLiteral("DDR3 4Gb Hynix");
        QList<QStringList> otherRenamed = ramRecords();
        otherRenamed[2][0] = QStringLiteral("DDR4 16Gb Crucial");
        QTest::newRow("another item renamed") << otherRenamed << item << QStringLiteral("30,00") << false
                                              << QStringList() << QStringLiteral("DDR3 4Gb Hynix");
        QTest::newRow("renamed") << ramRecords(QStringLiteral("15"), QStringLiteral("DDR3 4Gb Samsung")) << QString()
                                 << QString() << false
                                 << QStringList{QStringLiteral("Прайс-лист \"Ram.dat\" изменён: на месте товара \"DDR3 "
                                                               "4Gb Hynix\" теперь другая запись. Товар исключён из "
                                                               "заказа; выберите его заново.")}
                                 << QStringLiteral("DDR3 4Gb Samsung");
        QList<QStringList> inserted = ramRecords();
        inserted.insert(1, record(QStringLiteral("DDR2 2Gb"), QStringLiteral("5"), QStringLiteral("3")));
        QTest::newRow("item moved down") << inserted << QString() << QString() << false
                                         << QStringList{QStringLiteral(
                                                "Прайс-лист \"Ram.dat\" изменён: на месте товара "
                                                "\"DDR3 4Gb Hynix\" теперь другая запись. Товар "
                                                "исключён из заказа; выберите его заново.")}
                                         << QStringLiteral("DDR2 2Gb");
        QList<QStringList> unreadable = ramRecords(QStringLiteral("19.5"));
        QTest::newRow("price unreadable")
            << unreadable << QString() << QString() << false
            << QStringList{QStringLiteral("Прайс-лист \"Ram.dat\" изменён, и товар \"DDR3 4Gb Hynix\" в нём "
                                          "прочитать нельзя ('19.5' is not a valid floating point value). Товар "
                                          "исключён из заказа; выберите его заново.")}
            << QStringLiteral("DDR3 4Gb Hynix");
    }
    // The page of the chosen item shown, or another page: the order follows either way.
    void orderFollowsChangedList()
    {
        QFETCH(QList<QStringList>, records);
        QFETCH(QString, item);
        QFETCH(QString, price);
        QFETCH(bool, warning);
        QFETCH(QStringList, told);
        QFETCH(QString, second);
        for (const std::optional<Page> shown :
             {std::optional<Page>(Page::RAM), std::optional<Page>(Page::Mon), std::optional<Page>()}) {
            OrderShop shop;
            QCOMPARE(shop.memory().price, QStringLiteral("30,00"));
            shop.replaceRam(records);
            QCOMPARE(shop.state.followShop(shown), told);
            QCOMPARE(shop.memory().item, item);
            QCOMPARE(shop.memory().price, price);
            QCOMPARE(shop.state.order.computer.isChosen(Cat::RAM), !item.isEmpty());
            QCOMPARE(shop.state.pages.pageView(Page::RAM).warningVisible, warning);
            QCOMPARE(shop.state.pages.view(Cat::RAM).box.items.at(1), second);
            // Told once: the next look finds nothing new.
            QCOMPARE(shop.state.followShop(shown), QStringList());
            QCOMPARE(shop.memory().price, price);
        }
    }

    void changeCostsNothingUntilUsed_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Page>("page");
        QTest::addColumn<int>("readsAtNotice");
        QTest::addColumn<int>("readsAtEntry");
        // A list never opened is read at its page's first entry, as before.
        QTest::newRow("list never opened") << QStringLiteral("Monitor.dat") << Page::Mon << 0 << 1;
        // A list read before but neither shown nor in the order waits for its page.
        QTest::newRow("opened page not shown") << QStringLiteral("Vint.dat") << Page::Disk << 0 << 1;
        // The order's own list is read at once.
        QTest::newRow("list of the order") << QStringLiteral("Ram.dat") << Page::RAM << 1 << 0;
    }
    void changeCostsNothingUntilUsed()
    {
        QFETCH(QString, file);
        QFETCH(Page, page);
        QFETCH(int, readsAtNotice);
        QFETCH(int, readsAtEntry);
        OrderShop shop;
        shop.state.enterPage(Page::Disk);
        shop.state.enterPage(Page::Base);
        const int before = shop.state.catalogue.reads();
        shop.write(file, {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                          record(QStringLiteral("Новый товар"), QStringLiteral("99"), QStringLiteral("1"))});
        shop.state.followShop(Page::Base);
        QCOMPARE(shop.state.catalogue.reads() - before, readsAtNotice);
        shop.state.enterPage(page);
        QCOMPARE(shop.state.catalogue.reads() - before, readsAtNotice + readsAtEntry);
        Cat shownCat = page == Page::Mon ? Cat::Mon : page == Page::Disk ? Cat::Vint : Cat::RAM;
        QCOMPARE(shop.state.pages.view(shownCat).box.items.at(1), QStringLiteral("Новый товар"));
        // Unchanged files are not read again.
        shop.state.enterPage(page);
        shop.state.followShop(page);
        QCOMPARE(shop.state.catalogue.reads() - before, readsAtNotice + readsAtEntry);
    }

    void printCarriesOnlyWhatTheListsHold_data()
    {
        QTest::addColumn<QList<QStringList>>("records");
        QTest::addColumn<bool>("followedBeforePrint"); // the main window took the change in first
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("printedLine");
        QTest::addColumn<QString>("stockAfter");

        QTest::newRow("unchanged") << ramRecords() << false << false
                                   << QStringLiteral("DDR3 4Gb Hynix - 2шт.:  30,00 у.е.") << QStringLiteral("8");
        QTest::newRow("stock changed") << ramRecords(QStringLiteral("15"), QStringLiteral("DDR3 4Gb Hynix"),
                                                     QStringLiteral("7"))
                                       << false << false << QStringLiteral("DDR3 4Gb Hynix - 2шт.:  30,00 у.е.")
                                       << QStringLiteral("5");
        QTest::newRow("price raised") << ramRecords(QStringLiteral("19")) << false << true
                                      << QStringLiteral("DDR3 4Gb Hynix - 2шт.:  38,00 у.е.") << QStringLiteral("8");
        QTest::newRow("price raised, window followed")
            << ramRecords(QStringLiteral("19")) << true << true << QStringLiteral("DDR3 4Gb Hynix - 2шт.:  38,00 у.е.")
            << QStringLiteral("8");
        QTest::newRow("renamed") << ramRecords(QStringLiteral("15"), QStringLiteral("DDR3 4Gb Samsung")) << false
                                 << true << QString() << QStringLiteral("10");
    }
    // The summary is composed, then the list changes, then "Печатать": a change of what the summary
    // shows refuses the print; the refreshed summary then prints and ships as the journal records.
    void printCarriesOnlyWhatTheListsHold()
    {
        QFETCH(QList<QStringList>, records);
        QFETCH(bool, followedBeforePrint);
        QFETCH(bool, refused);
        QFETCH(QString, printedLine);
        QFETCH(QString, stockAfter);
        OrderShop shop;
        QStringList lines = composeSummary(shop.state.order);
        shop.replaceRam(records);
        if (followedBeforePrint)
            shop.state.followShop(Page::RAM);
        const QByteArray changedBytes = shop.bytes(QStringLiteral("Ram.dat"));
        const QString journal = shop.path(QStringLiteral("journal.csv"));

        bool wasRefused = false;
        try {
            printSummary(shop.state, lines, &shop.fakes.printer, &shop.fakes.messageBox);
        } catch (const OrderChangedError& e) {
            wasRefused = true;
            QVERIFY(e.message().contains(QStringLiteral("Заказ не напечатан и не отгружен")));
        }
        QCOMPARE(wasRefused, refused);
        if (refused) {
            QCOMPARE(shop.fakes.printer.printed.size(), 0);
            QCOMPARE(shop.bytes(QStringLiteral("Ram.dat")), changedBytes);
            QVERIFY(!QFile::exists(journal));
            // The salesperson sees the refreshed summary and prints again.
            lines = composeSummary(shop.state.order);
            printSummary(shop.state, lines, &shop.fakes.printer, &shop.fakes.messageBox);
        }
        QCOMPARE(shop.fakes.printer.printed.size(), 1);
        const QStringList printed = shop.fakes.printer.printed.first();
        QCOMPARE(printed.contains(printedLine), !printedLine.isEmpty());
        QCOMPARE(printed.filter(QStringLiteral("DDR3 4Gb")).size(), printedLine.isEmpty() ? 0 : 1);
        QCOMPARE(recordLine(shop.list(QStringLiteral("Ram.dat")), 1, StockLine), stockAfter);
        // The journal records what was printed.
        const stock::JournalReader rows = stock::JournalReader::load(journal);
        if (printedLine.isEmpty()) {
            QCOMPARE(rows.size(), 0);
        } else {
            QCOMPARE(rows.size(), 1);
            QVERIFY(printedLine.contains(rows.row(0)->priceText + QStringLiteral(" у.е.")));
        }
    }
};

QTEST_GUILESS_MAIN(TestFollowShop)
#include "tst_followshop.moc"
