// Choosing items: description, price in у.е. or converted, stock warning, picture, quantities and
// the selection state, driven through the main window's handlers.
#include "common/failure.h"
#include "common/fakes.h"
#include "common/testshop.h"
#include "presentation/mainstate.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// Writes the price with the separator of the shop's locale.
QString money(const char* pointText, QChar decimal)
{
    QString s = QString::fromLatin1(pointText);
    s.replace(QLatin1Char('.'), decimal);
    return s;
}

// A shop in a temporary folder: every file holds the none entry, an item in stock and one out of
// stock ("<stem> A", "<stem> B"); tests rewrite the files they are about.
struct Shop : TestShop {
    Fakes fakes;
    QChar decimal;
    MainState state;

    explicit Shop(QChar dec = QLatin1Char(',')) : decimal(dec), state(fakes.facilities(), dec, folder) {}
    void currency(const char* rate, const QString& name)
    {
        state.setPricesInLocalCurrency(true);
        state.setExchangeRateText(money(rate, decimal));
        state.setCurrencyName(name);
    }
    const SelectionPair& pair(Cat c) const { return state.order.computer[c]; }
    const CategoryView& view(Cat c) const { return state.pages.view(c); }
    const PageView& page(Page p) const { return state.pages.pageView(p); }
    // The item as the order holds it, its price, and whether its page warns of no stock.
    QStringList chosen(Cat c) const
    {
        return {pair(c).item, pair(c).price, page(category(c).page).warningVisible ? "warning" : "in stock"};
    }
};

// What a category shows and stores: a failed choice must leave all of it as it was.
QStringList shown(const Shop& shop, Cat c)
{
    const CategoryView& v = shop.view(c);
    const PageView& p = shop.page(category(c).page);
    return {shop.pair(c).item,
            shop.pair(c).price,
            v.itemLabel,
            v.priceLabel,
            p.picture,
            v.box.currentText(),
            QString::number(v.box.index),
            QString::number(p.warningVisible),
            QString::number(shop.state.order.computer.memoryCount),
            QString::number(shop.state.order.computer.fanCount)};
}

// The two decimal separators a shop's locale may use, as rows.
void decimals()
{
    QTest::addColumn<QChar>("decimal");
    QTest::newRow("comma") << QChar(QLatin1Char(','));
    QTest::newRow("point") << QChar(QLatin1Char('.'));
}

} // namespace

class TestSelection : public QObject {
    Q_OBJECT

private slots:
    void plainPriceIsKeptAsWritten_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QString>("price");
        for (QChar dec : {QLatin1Char(','), QLatin1Char('.')}) {
            const char* tag = dec == QLatin1Char(',') ? "comma" : "point";
            QTest::addRow("%s: whole", tag) << dec << QStringLiteral("125");
            QTest::addRow("%s: comma fraction", tag) << dec << QStringLiteral("125,5");
            QTest::addRow("%s: point fraction", tag) << dec << QStringLiteral("125.5");
            QTest::addRow("%s: not a number", tag) << dec << QStringLiteral("по запросу");
        }
    }

    void plainPriceIsKeptAsWritten()
    {
        QFETCH(QChar, decimal);
        QFETCH(QString, price);
        Shop shop(decimal);
        shop.write(QStringLiteral("Proc_int.dat"),
                   {record("нет", "0", "0"), record("Core i3", price, "4", "4 ядра / 8 потоков")});
        shop.state.choosePlatform(ProcessorPlatform::Intel);
        shop.state.enterPage(Page::Proc);
        shop.state.chooseItem(Cat::Proc, 1);
        QCOMPARE(shop.chosen(Cat::Proc), (QStringList{"Core i3", price, "in stock"}));
        QCOMPARE(shop.view(Cat::Proc).priceLabel, price + QStringLiteral(" у.е."));
        QCOMPARE(shop.view(Cat::Proc).itemLabel, QStringLiteral("4 ядра / 8 потоков"));
        QCOMPARE(shop.page(Page::Proc).picture, QStringLiteral("Image31"));
        QVERIFY(shop.state.order.computer.isChosen(Cat::Proc));
    }

    void convertedPrice_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("expected");
        for (QChar dec : {QLatin1Char(','), QLatin1Char('.')}) {
            const char* tag = dec == QLatin1Char(',') ? "comma" : "point";
            QTest::addRow("%s: 125 at 29.7", tag) << dec << "125" << money("29.7", dec) << money("3712.50", dec);
            QTest::addRow("%s: six integer digits", tag)
                << dec << money("12345.67", dec) << "10" << money("123456.70", dec);
            QTest::addRow("%s: seven significant digits", tag)
                << dec << money("4156.789", dec) << money("29.7", dec) << money("123456.60", dec);
            QTest::addRow("%s: eight integer digits", tag) << dec << "1234567"
                                                           << "10" << money("1.234567E07", dec);
            QTest::addRow("%s: half a kopeck up", tag) << dec << money("0.125", dec) << "1" << money("0.13", dec);
            QTest::addRow("%s: zero rate", tag) << dec << "125"
                                                << "0" << money("0.00", dec);
            QTest::addRow("%s: negative rate", tag) << dec << "2"
                                                    << "-1" << money("-2.00", dec);
        }
    }

    void convertedPrice()
    {
        QFETCH(QChar, decimal);
        QFETCH(QString, price);
        QFETCH(QString, rate);
        QFETCH(QString, expected);
        Shop shop(decimal);
        shop.write(QStringLiteral("Mat_amd.dat"), {record("нет", "0", "0"), record("B650", price, "2")});
        shop.state.setPricesInLocalCurrency(true);
        shop.state.setExchangeRateText(rate);
        shop.state.setCurrencyName(QStringLiteral("руб."));
        QVERIFY(shop.fakes.messageBox.shown.isEmpty());
        shop.state.choosePlatform(ProcessorPlatform::Amd);
        shop.state.enterPage(Page::Proc);
        shop.state.chooseItem(Cat::Mat, 1);
        QCOMPARE(shop.pair(Cat::Mat).item, QStringLiteral("B650"));
        QCOMPARE(shop.pair(Cat::Mat).price, expected);
        QCOMPARE(shop.view(Cat::Mat).priceLabel, expected + QStringLiteral(" руб."));
        QCOMPARE(shop.page(Page::Proc).picture, QStringLiteral("Image32"));
    }

    void noneEntry_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<bool>("rub");
        for (QChar dec : {QLatin1Char(','), QLatin1Char('.')}) {
            const char* tag = dec == QLatin1Char(',') ? "comma" : "point";
            QTest::addRow("%s: у.е.", tag) << dec << false;
            QTest::addRow("%s: currency", tag) << dec << true;
        }
    }

    void noneEntry()
    {
        QFETCH(QChar, decimal);
        QFETCH(bool, rub);
        Shop shop(decimal);
        // Only line 1 of the none entry is ever shown; its stock and price need not be numbers.
        shop.write(QStringLiteral("Monitor.dat"),
                   {record("24\" IPS", "150", "0"), record("нет", "—", "нет в наличии", "без монитора")});
        if (rub)
            shop.currency("29.7", QStringLiteral("руб."));
        shop.state.enterPage(Page::Mon);
        shop.state.chooseItem(Cat::Mon, 0);
        QVERIFY(shop.page(Page::Mon).warningVisible);
        QVERIFY(shop.state.order.computer.isChosen(Cat::Mon));

        shop.state.chooseItem(Cat::Mon, 1);
        QCOMPARE(shop.pair(Cat::Mon).item, QStringLiteral("нет"));
        QVERIFY(!shop.state.order.computer.isChosen(Cat::Mon));
        QVERIFY(!shop.page(Page::Mon).warningVisible);
        QCOMPARE(shop.view(Cat::Mon).itemLabel, QStringLiteral("без монитора"));
        if (rub) {
            QVERIFY(shop.pair(Cat::Mon).price.isEmpty());
            QCOMPARE(shop.view(Cat::Mon).priceLabel, QStringLiteral(" руб."));
        } else {
            QCOMPARE(shop.pair(Cat::Mon).price, QStringLiteral("—"));
            QCOMPARE(shop.view(Cat::Mon).priceLabel, QStringLiteral("— у.е."));
        }
    }

    void capitalisedNoneIsAnItem()
    {
        Shop shop;
        shop.write(QStringLiteral("Key.dat"), {record("Нет", "5", "0"), record("нет ", "6", "1")});
        shop.currency("2", QStringLiteral("руб."));
        shop.state.enterPage(Page::Other);
        shop.state.chooseItem(Cat::Key, 0);
        QVERIFY(shop.state.order.computer.isChosen(Cat::Key));
        QCOMPARE(shop.pair(Cat::Key).price, QStringLiteral("10,00"));
        QVERIFY(shop.page(Page::Other).warningVisible);
        shop.state.chooseItem(Cat::Key, 1);
        QVERIFY(shop.state.order.computer.isChosen(Cat::Key));
        QCOMPARE(shop.chosen(Cat::Key), (QStringList{"нет ", "12,00", "in stock"}));
    }

    void stockWarning_data()
    {
        QTest::addColumn<QString>("stock");
        QTest::addColumn<bool>("warning");
        QTest::newRow("1") << "1" << false;
        QTest::newRow("12") << "12" << false;
        QTest::newRow("0") << "0" << true;
        QTest::newRow("-3") << "-3" << true;
        QTest::newRow("leading blank") << " 2" << false;
        QTest::newRow("hex") << "$A" << false;
    }

    void stockWarning()
    {
        QFETCH(QString, stock);
        QFETCH(bool, warning);
        Shop shop;
        shop.write(QStringLiteral("Ups.dat"),
                   {record("In", "1", "3"), record("Out", "1", "0"), record("Test", "1", stock)});
        shop.state.enterPage(Page::Prn);
        // Start from the opposite state so that the choice must set the label.
        shop.state.chooseItem(Cat::UPS, warning ? 0 : 1);
        QCOMPARE(shop.page(Page::Prn).warningVisible, !warning);
        shop.state.chooseItem(Cat::UPS, 2);
        QCOMPARE(shop.page(Page::Prn).warningVisible, warning);
        QCOMPARE(shop.pair(Cat::UPS).item, QStringLiteral("Test"));
    }

    void failedChoiceKeepsThePreviousChoice_data()
    {
        QTest::addColumn<Cat>("cat");
        QTest::addColumn<bool>("rub");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("failure");
        const QString pointPrice = QStringLiteral("'45.5' is not a valid floating point value");
        const QString wordStock = QStringLiteral("'много' is not a valid integer value");
        for (Cat c : allCategories()) {
            const QByteArray key = category(c).key.toLatin1();
            QTest::addRow("%s: price in roubles", key.constData()) << c << true << "45.5"
                                                                   << "3" << pointPrice;
            QTest::addRow("%s: stock", key.constData()) << c << false << "45,5"
                                                        << "много" << wordStock;
            if (category(c).variant == Variant::Quantity)
                QTest::addRow("%s: price in у.е.", key.constData()) << c << false << "45.5"
                                                                    << "3" << pointPrice;
        }
    }

    void failedChoiceKeepsThePreviousChoice()
    {
        QFETCH(Cat, cat);
        QFETCH(bool, rub);
        QFETCH(QString, price);
        QFETCH(QString, stock);
        QFETCH(QString, failure);
        Shop shop;
        shop.write(category(cat).files.first(),
                   {record("нет", "0", "0"), record("Годный", "30", "0", "годное описание"),
                    record("Негодный", price, stock, "негодное описание")});
        if (rub)
            shop.currency("2", QStringLiteral("руб."));
        shop.state.choosePlatform(ProcessorPlatform::Intel);
        shop.state.enterPage(category(cat).page);

        // Nothing chosen yet: the list goes back to its placeholder.
        const QStringList empty = shown(shop, cat);
        QCOMPARE(failureOf([&] { shop.state.chooseItem(cat, 2); }), failure);
        QCOMPARE(shown(shop, cat), empty);

        shop.state.chooseItem(cat, 1);
        const QStringList chosen = shown(shop, cat);
        QVERIFY(shop.state.order.computer.isChosen(cat));
        QCOMPARE(failureOf([&] { shop.state.chooseItem(cat, 2); }), failure);
        QCOMPARE(shown(shop, cat), chosen);
    }

    void failedQuantityChangeKeepsTheCount_data()
    {
        QTest::addColumn<Cat>("cat");
        QTest::addColumn<bool>("rub");
        QTest::addRow("memory") << Cat::RAM << false;
        QTest::addRow("case fans in roubles") << Cat::Fun1 << true;
    }

    void failedQuantityChangeKeepsTheCount()
    {
        QFETCH(Cat, cat);
        QFETCH(bool, rub);
        Shop shop;
        if (rub)
            shop.currency("2", QStringLiteral("руб."));
        shop.state.enterPage(Page::RAM);
        shop.state.chooseItem(cat, 1);
        const QStringList chosen = shown(shop, cat);
        // The record's price line can no longer be read, as after an edit of the list in memory.
        PriceList edited = *shop.state.catalogue.records(cat);
        edited.replace(RecordLines + PriceLine, QStringLiteral("45.5"));
        shop.state.catalogue.replaceRecords(cat, edited);
        const auto change = [&](int index) {
            return failureOf(
                [&] { cat == Cat::RAM ? shop.state.chooseMemoryCount(index) : shop.state.chooseFanCount(index); });
        };
        QCOMPARE(change(2), QStringLiteral("'45.5' is not a valid floating point value"));
        QCOMPARE(shown(shop, cat), chosen);
        const ChoiceList& quantity = cat == Cat::RAM ? shop.state.pages.memoryCounts : shop.state.pages.fanCounts;
        QCOMPARE(quantity.index, 0);
        QCOMPARE(quantity.currentText(), QStringLiteral("1"));
    }

    void warningLabelIsSharedByThePage()
    {
        Shop shop;
        shop.state.enterPage(Page::Prn);
        shop.state.enterPage(Page::Disk);
        shop.state.chooseItem(Cat::Prn, 2); // "Printer B", stock 0
        QVERIFY(shop.page(Page::Prn).warningVisible);
        QCOMPARE(shop.page(Page::Prn).picture, QStringLiteral("Image42"));
        shop.state.chooseItem(Cat::Scan, 1); // in stock
        QVERIFY(!shop.page(Page::Prn).warningVisible);
        QCOMPARE(shop.page(Page::Prn).picture, QStringLiteral("Image41"));
        // The printer is still chosen although its warning is gone.
        QVERIFY(shop.state.order.computer.isChosen(Cat::Prn));
        shop.state.chooseItem(Cat::UPS, 2);
        QVERIFY(shop.page(Page::Prn).warningVisible);
        shop.state.chooseItem(Cat::UPS, 0); // none entry hides it
        QVERIFY(!shop.page(Page::Prn).warningVisible);

        // Other pages have labels of their own; a category without a picture leaves the frame.
        shop.state.chooseItem(Cat::Vint, 2);
        QVERIFY(shop.page(Page::Disk).warningVisible);
        QVERIFY(!shop.page(Page::Prn).warningVisible);
        QCOMPARE(shop.page(Page::Disk).picture, QStringLiteral("Image91"));
        shop.state.chooseItem(Cat::Disk, 1);
        QVERIFY(!shop.page(Page::Disk).warningVisible);
        QCOMPARE(shop.page(Page::Disk).picture, QStringLiteral("Image91"));
    }

    void duplicateNamesUseTheirOwnRecord()
    {
        Shop shop;
        shop.write(QStringLiteral("Base.dat"),
                   {record("Офис", "300", "2", "первый"), record("Офис", "350", "0", "второй")});
        shop.state.enterPage(Page::Base);
        shop.state.chooseItem(Cat::Base, 1);
        QCOMPARE(shop.chosen(Cat::Base), (QStringList{"Офис", "350", "warning"}));
        QCOMPARE(shop.view(Cat::Base).itemLabel, QStringLiteral("второй"));
        // Base models have no picture of their own.
        QCOMPARE(shop.page(Page::Base).picture, QStringLiteral("Image2"));
    }

    void memoryCountAgainstStock_data() { decimals(); }
    void memoryCountAgainstStock()
    {
        QFETCH(QChar, decimal);
        Shop shop(decimal);
        shop.write(QStringLiteral("Ram.dat"), {record("нет", "0", "0"), record("DDR4 8GB", "30", "1", "3200 МГц")});
        shop.state.enterPage(Page::RAM);
        shop.state.chooseMemoryCount(1);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(2));
        shop.state.chooseItem(Cat::RAM, 1);
        QCOMPARE(shop.chosen(Cat::RAM), (QStringList{"DDR4 8GB - 2шт.", money("60.00", decimal), "warning"}));
        QCOMPARE(shop.view(Cat::RAM).priceLabel, money("60.00", decimal) + QStringLiteral(" у.е."));
        QCOMPARE(shop.view(Cat::RAM).itemLabel, QStringLiteral("3200 МГц"));
        QCOMPARE(shop.page(Page::RAM).picture, QStringLiteral("Image81"));

        shop.state.chooseMemoryCount(0);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(1));
        QCOMPARE(shop.chosen(Cat::RAM), (QStringList{"DDR4 8GB - 1шт.", money("30.00", decimal), "in stock"}));

        shop.state.chooseMemoryCount(3);
        QCOMPARE(shop.chosen(Cat::RAM), (QStringList{"DDR4 8GB - 4шт.", money("120.00", decimal), "warning"}));
    }

    void convertedMemoryPrice_data() { decimals(); }
    void convertedMemoryPrice()
    {
        QFETCH(QChar, decimal);
        Shop shop(decimal);
        shop.write(QStringLiteral("Ram.dat"), {record("нет", "0", "0"), record("DDR5", money("30.5", decimal), "8")});
        shop.currency("29.7", QStringLiteral("руб."));
        shop.state.enterPage(Page::RAM);
        shop.state.chooseMemoryCount(2);
        shop.state.chooseItem(Cat::RAM, 1);
        // 30.5 * 3 * 29.7 = 2717.55
        QCOMPARE(shop.pair(Cat::RAM).price, money("2717.55", decimal));
        QCOMPARE(shop.view(Cat::RAM).priceLabel, money("2717.55", decimal) + QStringLiteral(" руб."));
        QVERIFY(!shop.page(Page::RAM).warningVisible);
    }

    void firstMemoryEntryIsNone_data()
    {
        QTest::addColumn<QString>("unit"); // empty: prices in у.е.
        QTest::newRow("у.е.") << QString();
        QTest::newRow("currency") << QStringLiteral("руб.");
    }

    void firstMemoryEntryIsNone()
    {
        QFETCH(QString, unit);
        Shop shop;
        // The first entry stands for none whatever its name; its price and stock are never read.
        shop.write(QStringLiteral("Ram.dat"), {record("без памяти", "x", "y", "пусто"), record("DDR4", "30", "0")});
        if (!unit.isEmpty())
            shop.currency("29.7", unit);
        shop.state.enterPage(Page::RAM);
        shop.state.chooseItem(Cat::RAM, 1);
        QVERIFY(shop.page(Page::RAM).warningVisible);
        shop.state.chooseItem(Cat::RAM, 0);
        QCOMPARE(shop.chosen(Cat::RAM), (QStringList{"нет", QString(), "in stock"}));
        QCOMPARE(shop.view(Cat::RAM).priceLabel, unit.isEmpty() ? QStringLiteral(" у.е.") : QStringLiteral(" руб."));
        QCOMPARE(shop.view(Cat::RAM).itemLabel, QStringLiteral("пусто"));
        QVERIFY(!shop.state.order.computer.isChosen(Cat::RAM));
    }

    void quantityChangeWithoutItemOnlyCounts()
    {
        Shop shop;
        shop.write(QStringLiteral("Ram.dat"), {record("нет", "0", "0"), record("DDR4", "30", "2", "desc")});
        shop.state.enterPage(Page::RAM);

        // Nothing chosen yet.
        shop.state.chooseMemoryCount(2);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(3));
        QVERIFY(shop.pair(Cat::RAM).item.isEmpty());
        QVERIFY(shop.pair(Cat::RAM).price.isEmpty());
        QVERIFY(shop.view(Cat::RAM).priceLabel.isEmpty());
        QVERIFY(!shop.page(Page::RAM).warningVisible);

        // The count applies to the next item chosen.
        shop.state.chooseItem(Cat::RAM, 1);
        QCOMPARE(shop.chosen(Cat::RAM), (QStringList{"DDR4 - 3шт.", "90,00", "warning"}));

        // With the first entry chosen only the count changes.
        shop.state.chooseItem(Cat::RAM, 0);
        const QString label = shop.view(Cat::RAM).priceLabel;
        shop.state.chooseMemoryCount(3);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(4));
        QCOMPARE(shop.pair(Cat::RAM).item, QStringLiteral("нет"));
        QVERIFY(shop.pair(Cat::RAM).price.isEmpty());
        QCOMPARE(shop.view(Cat::RAM).priceLabel, label);
        QVERIFY(!shop.page(Page::RAM).warningVisible);

        // A typed quantity that is no entry changes nothing.
        shop.state.chooseMemoryCount(-1);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(4));
    }

    void caseFanQuantity()
    {
        Shop shop;
        shop.write(QStringLiteral("Fun1.dat"), {record("нет", "0", "0"), record("Arctic 120", "4,5", "3", "120 мм")});
        shop.state.enterPage(Page::RAM);
        shop.state.chooseItem(Cat::Case, 1);
        QCOMPARE(shop.page(Page::RAM).picture, QStringLiteral("Image82"));
        shop.state.chooseItem(Cat::Fun1, 1);
        QCOMPARE(shop.pair(Cat::Fun1).item, QStringLiteral("Arctic 120 - 1шт."));
        QCOMPARE(shop.pair(Cat::Fun1).price, QStringLiteral("4,50"));
        QCOMPARE(shop.page(Page::RAM).picture, QStringLiteral("Image33"));
        shop.state.chooseFanCount(3);
        QCOMPARE(shop.state.order.computer.fanCount, quint16(4));
        QCOMPARE(shop.chosen(Cat::Fun1), (QStringList{"Arctic 120 - 4шт.", "18,00", "warning"}));
        // The memory count is separate.
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(1));
        // A quantity change keeps the item label and the picture.
        shop.state.chooseItem(Cat::Case, 1);
        shop.state.chooseFanCount(0);
        QCOMPARE(shop.page(Page::RAM).picture, QStringLiteral("Image82"));
        QCOMPARE(shop.view(Cat::Fun1).itemLabel, QStringLiteral("120 мм"));
        QCOMPARE(shop.pair(Cat::Fun1).price, QStringLiteral("4,50"));
        QVERIFY(!shop.page(Page::RAM).warningVisible);
    }

    void memoryPageEntrySetsCountsToOne()
    {
        Shop shop;
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(0));
        QCOMPARE(shop.state.order.computer.fanCount, quint16(0));
        shop.state.enterPage(Page::RAM);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(1));
        QCOMPARE(shop.state.order.computer.fanCount, quint16(1));
        QCOMPARE(shop.state.pages.memoryCounts.currentText(), QStringLiteral("1"));
        QCOMPARE(shop.state.pages.fanCounts.currentText(), QStringLiteral("1"));
        shop.state.chooseMemoryCount(2);
        shop.state.chooseFanCount(1);
        // Entering the loaded page again keeps the counts.
        shop.state.enterPage(Page::RAM);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(3));
        QCOMPARE(shop.state.order.computer.fanCount, quint16(2));
        // After a reset the entry sets both back to 1.
        shop.state.resetChoices();
        shop.state.enterPage(Page::RAM);
        QCOMPARE(shop.state.order.computer.memoryCount, quint16(1));
        QCOMPARE(shop.state.order.computer.fanCount, quint16(1));
        QCOMPARE(shop.state.pages.memoryCounts.currentText(), QStringLiteral("1"));
        QCOMPARE(shop.state.pages.fanCounts.currentText(), QStringLiteral("1"));
    }

    void platformSwitchDropsProcessorAndBoard()
    {
        Shop shop;
        shop.state.choosePlatform(ProcessorPlatform::Intel);
        shop.state.enterPage(Page::Proc);
        shop.state.chooseItem(Cat::Proc, 1);
        shop.state.chooseItem(Cat::Mat, 1);
        shop.state.chooseItem(Cat::Fun, 2); // out of stock: warning on, fan picture
        QVERIFY(shop.state.order.computer.isChosen(Cat::Proc));
        QVERIFY(shop.state.order.computer.isChosen(Cat::Mat));
        QVERIFY(shop.page(Page::Proc).warningVisible);

        shop.state.choosePlatform(ProcessorPlatform::Intel); // the platform already chosen
        QCOMPARE(shop.pair(Cat::Proc).item, QStringLiteral("Proc_int A"));
        QCOMPARE(shop.view(Cat::Mat).box.index, 1);
        QVERIFY(!shop.view(Cat::Proc).priceLabel.isEmpty());

        shop.state.choosePlatform(ProcessorPlatform::Amd);
        QVERIFY(!shop.state.order.computer.isChosen(Cat::Proc));
        QVERIFY(!shop.state.order.computer.isChosen(Cat::Mat));
        QCOMPARE(shop.pair(Cat::Fun).item, QStringLiteral("Fun B"));
        QCOMPARE(shop.pair(Cat::Fun).price, QStringLiteral("20"));
        QCOMPARE(shop.view(Cat::Fun).priceLabel, QStringLiteral("20 у.е."));
        for (Cat c : {Cat::Proc, Cat::Mat}) {
            QVERIFY(shop.view(c).priceLabel.isEmpty());
            QVERIFY(shop.view(c).itemLabel.isEmpty());
            QCOMPARE(shop.view(c).box.index, -1);
        }
        QCOMPARE(shop.view(Cat::Proc).box.items, (QStringList{"нет", "Proc_amd A", "Proc_amd B"}));
        QCOMPARE(shop.view(Cat::Mat).box.items, (QStringList{"нет", "Mat_amd A", "Mat_amd B"}));
        QVERIFY(shop.page(Page::Proc).warningVisible);
        QCOMPARE(shop.page(Page::Proc).picture, QStringLiteral("Image33"));
        QVERIFY(shop.page(Page::Proc).loaded);
    }

    void noPlatformOnlyChangesPicture()
    {
        Shop shop;
        shop.state.enterPage(Page::Proc);
        QVERIFY(shop.view(Cat::Proc).box.items.isEmpty());
        shop.state.chooseItem(Cat::Fun, 2);
        QVERIFY(shop.page(Page::Proc).warningVisible);
        const Computer before = shop.state.order.computer;

        shop.state.chooseItem(Cat::Proc, -1);
        QCOMPARE(shop.page(Page::Proc).picture, QStringLiteral("Image31"));
        shop.state.chooseItem(Cat::Mat, 0); // typed text; the list has no entries
        QCOMPARE(shop.page(Page::Proc).picture, QStringLiteral("Image32"));
        for (Cat c : allCategories()) {
            QCOMPARE(shop.pair(c).item, before[c].item);
            QCOMPARE(shop.pair(c).price, before[c].price);
        }
        QVERIFY(shop.page(Page::Proc).warningVisible);
        QVERIFY(shop.view(Cat::Proc).itemLabel.isEmpty());
        QVERIFY(shop.view(Cat::Proc).priceLabel.isEmpty());
    }

    void platformChoiceReadsItsOwnList()
    {
        Shop shop;
        shop.write(QStringLiteral("Proc_int.dat"), {record("i5", "150", "1", "Intel")});
        shop.write(QStringLiteral("Proc_amd.dat"),
                   {record("Ryzen 5", "140", "0", "AMD"), record("Ryzen 7", "240", "1")});
        shop.state.enterPage(Page::Proc);
        shop.state.choosePlatform(ProcessorPlatform::Amd);
        shop.state.chooseItem(Cat::Proc, 0);
        QCOMPARE(shop.chosen(Cat::Proc), (QStringList{"Ryzen 5", "140", "warning"}));
        QCOMPARE(shop.view(Cat::Proc).itemLabel, QStringLiteral("AMD"));
        shop.state.choosePlatform(ProcessorPlatform::Intel);
        shop.state.chooseItem(Cat::Proc, 0);
        QCOMPARE(shop.pair(Cat::Proc).item, QStringLiteral("i5"));
        QCOMPARE(shop.view(Cat::Proc).itemLabel, QStringLiteral("Intel"));
        QVERIFY(!shop.page(Page::Proc).warningVisible);
    }

    void partialRecordStopsAtMissingLine_data()
    {
        QTest::addColumn<int>("tail");
        QTest::newRow("4 lines") << 4;
        QTest::newRow("5 lines") << 5;
    }

    void partialRecordStopsAtMissingLine()
    {
        QFETCH(int, tail);
        Shop shop;
        QStringList lines = record("Mouse", "5", "0", "оптическая");
        lines += QStringList{"Обрывок", "7", "r2", "r3", "1"}.mid(0, tail);
        shop.writeLines(QStringLiteral("Mouse.dat"), lines);
        shop.currency("2", QStringLiteral("руб."));
        shop.state.enterPage(Page::Other);
        QCOMPARE(shop.view(Cat::Mouse).box.items, (QStringList{"Mouse", "Обрывок"}));
        shop.state.chooseItem(Cat::Mouse, 0);
        QVERIFY(shop.page(Page::Other).warningVisible);
        QCOMPARE(shop.page(Page::Other).picture, QStringLiteral("Image63"));
        shop.state.chooseItem(Cat::Key, 1); // another picture on the page
        shop.state.chooseItem(Cat::Mouse, 0);
        shop.state.chooseItem(Cat::Key, 2);

        QCOMPARE(failureOf([&] { shop.state.chooseItem(Cat::Mouse, 1); }),
                 QStringLiteral("List index out of bounds (12)"));
        QCOMPARE(shop.chosen(Cat::Mouse), (QStringList{"Mouse", "10,00", "warning"}));
        QCOMPARE(shop.view(Cat::Mouse).itemLabel, QStringLiteral("оптическая"));
        QCOMPARE(shop.view(Cat::Mouse).priceLabel, QStringLiteral("10,00 руб."));
        QCOMPARE(shop.page(Page::Other).picture, QStringLiteral("Image61"));
    }

    void sixLineTailWorksLikeARecord()
    {
        Shop shop;
        QStringList lines = record("Game A", "5", "0");
        lines += QStringList{"Руль", "75", "r2", "r3", "2", "с педалями"};
        shop.writeLines(QStringLiteral("Game.dat"), lines);
        shop.state.enterPage(Page::Video);
        shop.state.chooseItem(Cat::Game, 1);
        QCOMPARE(shop.pair(Cat::Game).item, QStringLiteral("Руль"));
        QCOMPARE(shop.view(Cat::Game).itemLabel, QStringLiteral("с педалями"));
        QVERIFY(!shop.page(Page::Video).warningVisible);
        QCOMPARE(shop.page(Page::Video).picture, QStringLiteral("Image74"));
    }

    void quantityChangeOnPartialRecord()
    {
        Shop shop;
        QStringList lines = record("нет", "0", "0");
        lines += QStringList{"DDR3", "12", "r2", "r3"}; // no stock line
        shop.writeLines(QStringLiteral("Ram.dat"), lines);
        shop.state.enterPage(Page::RAM);
        QCOMPARE(failureOf([&] { shop.state.chooseItem(Cat::RAM, 1); }),
                 QStringLiteral("List index out of bounds (12)"));
        QVERIFY(shop.pair(Cat::RAM).item.isEmpty());
        QVERIFY(shop.view(Cat::RAM).itemLabel.isEmpty());
        QCOMPARE(shop.page(Page::RAM).picture, QStringLiteral("Image8"));
    }

    void noEntryNeverReadsOutsideTheList()
    {
        Shop shop;
        shop.state.choosePlatform(ProcessorPlatform::Intel);
        for (Page p : allPages())
            shop.state.enterPage(p);
        for (Cat c : allCategories()) {
            for (int index : {-1, 3, 1000, -7}) {
                const QString failure = failureOf([&] { shop.state.chooseItem(c, index); });
                QVERIFY2(failure.isEmpty(), qPrintable(category(c).key + QStringLiteral(": ") + failure));
                QCOMPARE(shop.view(c).box.index, -1);
            }
        }
        // An earlier choice followed by typed text that matches nothing: nothing is read, and the
        // page goes on working.
        shop.state.chooseItem(Cat::Vint, 2);
        QVERIFY(failureOf([&] { shop.state.chooseItem(Cat::Vint, -1); }).isEmpty());
        shop.state.chooseItem(Cat::RAM, 1);
        QVERIFY(failureOf([&] { shop.state.chooseItem(Cat::RAM, -1); }).isEmpty());
        QVERIFY(failureOf([&] { shop.state.chooseMemoryCount(1); }).isEmpty());
        QVERIFY(failureOf([&] { shop.state.chooseMemoryCount(9); }).isEmpty());
        shop.state.chooseItem(Cat::Vint, 1);
        QCOMPARE(shop.pair(Cat::Vint).item, QStringLiteral("Vint A"));
    }
};

QTEST_APPLESS_MAIN(TestSelection)
#include "tst_selection.moc"
