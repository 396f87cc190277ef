// The pricing parameters of the General page and the extras dialog, the reset they trigger, the
// choice of selection mode, the summary button, the badge and the journal.
#include "common/failure.h"
#include "common/fakes.h"
#include "common/testshop.h"
#include "presentation/mainstate.h"

#include <QSet>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QChar Comma(QLatin1Char(','));
const QChar Point(QLatin1Char('.'));

struct Shop : TestShop {
    Fakes fakes;
    MainState state;

    explicit Shop(QChar decimal = Comma) : state(fakes.facilities(), decimal, folder) {}

    // Components mode with an item chosen on every component page and the out-of-stock one on
    // the printer page.
    void chooseSome()
    {
        state.choosePlatform(ProcessorPlatform::Intel);
        for (Page p : {Page::Proc, Page::RAM, Page::Disk, Page::Video, Page::Other, Page::Mon, Page::Prn, Page::Dop})
            state.enterPage(p);
        for (Cat c :
             {Cat::Proc, Cat::Mat, Cat::Fun, Cat::RAM, Cat::Case, Cat::Vint, Cat::Video, Cat::Net, Cat::Mon, Cat::OS})
            state.chooseItem(c, 1);
        state.chooseItem(Cat::Prn, 2);
    }
    int chosenCount() const
    {
        const auto& cats = allCategories();
        return int(std::count_if(cats.begin(), cats.end(), [&](Cat c) { return state.order.computer.isChosen(c); }));
    }
    int pagesWith(bool PageView::*flag) const
    {
        const auto& pages = allPages();
        return int(std::count_if(pages.begin(), pages.end(), [&](Page p) { return state.pages.pageView(p).*flag; }));
    }
    int loadedPages() const { return pagesWith(&PageView::loaded); }
    bool anyWarning() const { return pagesWith(&PageView::warningVisible) > 0; }
    bool isReset() const { return chosenCount() == 0 && loadedPages() == 0 && !anyWarning(); }
};

} // namespace

class TestPricingParams : public QObject {
    Q_OBJECT

private slots:
    void fieldsStartEmpty()
    {
        Shop shop;
        QCOMPARE(shop.state.order.settings.exchangeRate, 0.0);
        QVERIFY(!shop.state.order.settings.inLocalCurrency);
        QVERIFY(shop.state.order.settings.currencyName.isEmpty());
        QVERIFY(!shop.state.order.settings.vatCharged);
        QCOMPARE(shop.state.order.settings.vatPercent, 0.0);
        QCOMPARE(shop.state.order.settings.markupPercent, 0.0);
        QVERIFY(!shop.state.general.exchangeRate.enabled);
        QVERIFY(!shop.state.general.currencyName.enabled);
        QVERIFY(!shop.state.general.vatPercent.enabled);
        QVERIFY(!shop.state.general.summaryEnabled);
        QCOMPARE(shop.state.general.selectionMode, -1);
        QCOMPARE(shop.state.unitSuffix(), QStringLiteral(" у.е."));
    }

    void rateTypedKeyByKeyResetsEveryTime_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<bool>>("accepted");
        QTest::addColumn<double>("rate");

        QTest::newRow("comma: 29,7") << Comma << "29,7" << QList<bool>{true, true, true, true} << 29.7;
        QTest::newRow("comma: 29.7") << Comma << "29.7" << QList<bool>{true, true, false, false} << 29.0;
        QTest::newRow("point: 29.7") << Point << "29.7" << QList<bool>{true, true, true, true} << 29.7;
        QTest::newRow("point: 29,7") << Point << "29,7" << QList<bool>{true, true, false, false} << 29.0;
        QTest::newRow("comma: -1") << Comma << "-1" << QList<bool>{false, true} << -1.0;
        QTest::newRow("comma: 3e") << Comma << "3e" << QList<bool>{true, false} << 3.0;
    }

    void rateTypedKeyByKeyResetsEveryTime()
    {
        QFETCH(QChar, decimal);
        QFETCH(QString, typed);
        QFETCH(QList<bool>, accepted);
        QFETCH(double, rate);
        Shop shop(decimal);
        shop.state.setPricesInLocalCurrency(true);
        shop.state.setExchangeRateText(QStringLiteral("1"));
        int messages = 0;
        for (int k = 1; k <= typed.size(); ++k) {
            shop.chooseSome();
            QVERIFY(shop.chosenCount() > 0);
            QVERIFY(shop.anyWarning());
            const double before = shop.state.order.settings.exchangeRate;
            const QString text = typed.left(k);
            shop.state.setExchangeRateText(text);
            QVERIFY2(shop.isReset(), qPrintable(text));
            QCOMPARE(shop.state.general.exchangeRate.text, text);
            if (accepted.at(k - 1)) {
                QCOMPARE(shop.fakes.messageBox.shown.size(), messages);
            } else {
                ++messages;
                QCOMPARE(shop.fakes.messageBox.shown.size(), messages);
                QCOMPARE(shop.fakes.messageBox.shown.last(), digitsOnlyMessage(decimal));
                QCOMPARE(shop.state.order.settings.exchangeRate, before);
            }
        }
        QCOMPARE(shop.state.order.settings.exchangeRate, rate);
    }

    void digitsOnlyMessageNamesTheSeparatorToType()
    {
        QCOMPARE(digitsOnlyMessage(Comma),
                 QStringLiteral("Вводите только цифры! Для отделения дробной части используйте запятую!"));
        QCOMPARE(digitsOnlyMessage(Point),
                 QStringLiteral("Вводите только цифры! Для отделения дробной части используйте точку!"));
        QCOMPARE(digitsOnlyMessage(QChar(0x066B)),
                 QStringLiteral("Вводите только цифры! Для отделения дробной части используйте «\u066B»!"));
    }

    void emptyRateKeepsValueAndStillResets()
    {
        Shop shop;
        shop.state.setPricesInLocalCurrency(true);
        shop.state.setExchangeRateText(QStringLiteral("29,7"));
        shop.chooseSome();
        shop.state.setExchangeRateText(QString());
        QCOMPARE(shop.fakes.messageBox.shown,
                 QStringList{QStringLiteral("Вводите только цифры! Для отделения дробной части используйте запятую!")});
        QCOMPARE(shop.state.order.settings.exchangeRate, 29.7);
        QVERIFY(shop.state.general.exchangeRate.text.isEmpty());
        QVERIFY(shop.isReset());

        // Prices chosen now still use the rate kept.
        shop.state.enterPage(Page::Mon);
        shop.state.chooseItem(Cat::Mon, 1);
        QCOMPARE(shop.state.order.computer[Cat::Mon].price, QStringLiteral("297,00"));
    }

    void rubSwitchResetsAndTogglesEdits()
    {
        Shop shop;
        shop.state.setExchangeRateText(QStringLiteral("30"));
        shop.state.setCurrencyName(QStringLiteral("грн."));
        shop.chooseSome();
        const QString procPrice = shop.state.order.computer[Cat::Proc].price;
        const QString procLabel = shop.state.pages.view(Cat::Proc).priceLabel;
        QCOMPARE(procPrice, QStringLiteral("10"));

        shop.state.setPricesInLocalCurrency(true);
        QVERIFY(shop.state.order.settings.inLocalCurrency);
        QVERIFY(shop.state.general.pricesInLocalCurrency);
        QVERIFY(shop.state.general.exchangeRate.enabled);
        QVERIFY(shop.state.general.currencyName.enabled);
        QVERIFY(shop.isReset());
        // The price texts and the pages' labels stay until the pages reload.
        QCOMPARE(shop.state.order.computer[Cat::Proc].price, procPrice);
        QCOMPARE(shop.state.pages.view(Cat::Proc).priceLabel, procLabel);
        QCOMPARE(shop.state.pages.view(Cat::Proc).box.index, 1);
        QCOMPARE(shop.state.unitSuffix(), QStringLiteral(" грн."));

        shop.chooseSome();
        shop.state.setPricesInLocalCurrency(false);
        QVERIFY(!shop.state.order.settings.inLocalCurrency);
        QVERIFY(!shop.state.general.exchangeRate.enabled);
        QVERIFY(!shop.state.general.currencyName.enabled);
        QVERIFY(shop.isReset());
        // Unchecking restores nothing: the rate and the name stay.
        QCOMPARE(shop.state.order.settings.exchangeRate, 30.0);
        QCOMPARE(shop.state.order.settings.currencyName, QStringLiteral("грн."));
        QCOMPARE(shop.state.general.exchangeRate.text, QStringLiteral("30"));
        QCOMPARE(shop.state.unitSuffix(), QStringLiteral(" у.е."));

        // The VAT box enables its edit without a reset.
        shop.chooseSome();
        const int chosen = shop.chosenCount();
        shop.state.setVatCharged(true);
        QVERIFY(shop.state.order.settings.vatCharged);
        QVERIFY(shop.state.general.vatCharged);
        QVERIFY(shop.state.general.vatPercent.enabled);
        shop.state.setVatCharged(false);
        QVERIFY(!shop.state.order.settings.vatCharged);
        QVERIFY(!shop.state.general.vatPercent.enabled);
        QCOMPARE(shop.chosenCount(), chosen);
        QCOMPARE(shop.loadedPages(), 8);
    }

    void pricesFollowTheUnitAfterReset()
    {
        Shop shop;
        shop.state.enterPage(Page::Mon);
        shop.state.chooseItem(Cat::Mon, 2);
        QCOMPARE(shop.state.order.computer[Cat::Mon].price, QStringLiteral("20"));
        shop.state.setPricesInLocalCurrency(true);
        shop.state.setExchangeRateText(QStringLiteral("29,7"));
        shop.state.setCurrencyName(QStringLiteral("руб."));
        shop.state.enterPage(Page::Mon);
        QCOMPARE(shop.state.pages.view(Cat::Mon).box.index, -1);
        QVERIFY(shop.state.pages.view(Cat::Mon).priceLabel.isEmpty());
        shop.state.chooseItem(Cat::Mon, 2);
        QCOMPARE(shop.state.order.computer[Cat::Mon].price, QStringLiteral("594,00"));
        QCOMPARE(shop.state.pages.view(Cat::Mon).priceLabel, QStringLiteral("594,00 руб."));
    }

    void summaryParametersKeepChoices()
    {
        Shop shop;
        shop.state.setPricesInLocalCurrency(true);
        shop.state.setExchangeRateText(QStringLiteral("29,7"));
        shop.state.setCurrencyName(QStringLiteral("руб."));
        shop.chooseSome();
        const Computer before = shop.state.order.computer;
        const QString label = shop.state.pages.view(Cat::Vint).priceLabel;
        QCOMPARE(label, QStringLiteral("297,00 руб."));
        const int loaded = shop.loadedPages();

        shop.state.setVatPercentText(QStringLiteral("18"));
        shop.state.setVatCharged(true);
        shop.state.setMarkupPercentText(QStringLiteral("5,5"));
        shop.state.setCurrencyName(QStringLiteral("грн."));
        shop.state.setCurrencyName(QString()); // an empty name is taken too
        QVERIFY(shop.fakes.messageBox.shown.isEmpty());
        QCOMPARE(shop.state.order.settings.vatPercent, 18.0);
        QCOMPARE(shop.state.order.settings.markupPercent, 5.5);
        QCOMPARE(shop.state.markupText, QStringLiteral("5,5"));
        QVERIFY(shop.state.order.settings.currencyName.isEmpty());
        QCOMPARE(shop.state.general.currencyName.text, QString());
        for (Cat c : allCategories()) {
            QCOMPARE(shop.state.order.computer[c].item, before[c].item);
            QCOMPARE(shop.state.order.computer[c].price, before[c].price);
        }
        QCOMPARE(shop.state.pages.view(Cat::Vint).priceLabel, label);
        QCOMPARE(shop.loadedPages(), loaded);
        QVERIFY(shop.state.pages.pageView(Page::Prn).warningVisible);
    }

    // The VAT and markup edits take any number in the locale's form, however unusual; anything
    // else is refused with the message and the number before is kept. Neither resets the choices.
    void vatAndMarkupTexts_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("taken"); // NaN: refused
        const double refused = qQNaN();
        QTest::newRow("comma: 12,5") << Comma << "12,5" << 12.5;
        QTest::newRow("comma: 12.5") << Comma << "12.5" << refused;
        QTest::newRow("point: 12.5") << Point << "12.5" << 12.5;
        QTest::newRow("point: 12,5") << Point << "12,5" << refused;
        for (QChar dec : {Comma, Point}) {
            const char* tag = dec == Comma ? "comma" : "point";
            QTest::addRow("%s: empty", tag) << dec << QString() << refused;
            QTest::addRow("%s: minus alone", tag) << dec << "-" << refused;
            QTest::addRow("%s: letters", tag) << dec << "abc" << refused;
        }
        QTest::newRow("negative") << Comma << "-10" << -10.0;
        QTest::newRow("over a hundred") << Comma << "150" << 150.0;
        QTest::newRow("exponent") << Comma << "1e3" << 1000.0;
    }

    void vatAndMarkupTexts()
    {
        QFETCH(QChar, decimal);
        QFETCH(QString, text);
        QFETCH(double, taken);
        Shop shop(decimal);
        shop.state.setVatPercentText(QStringLiteral("7"));
        shop.state.setMarkupPercentText(QStringLiteral("7"));
        shop.chooseSome();
        const int chosen = shop.chosenCount();
        shop.state.setVatPercentText(text);
        shop.state.setMarkupPercentText(text);
        const bool refused = qIsNaN(taken);
        QCOMPARE(shop.state.order.settings.vatPercent, refused ? 7.0 : taken);
        QCOMPARE(shop.state.order.settings.markupPercent, refused ? 7.0 : taken);
        QCOMPARE(shop.state.general.vatPercent.text, text);
        QCOMPARE(shop.state.markupText, text);
        QCOMPARE(shop.fakes.messageBox.shown, refused ? QStringList(2, digitsOnlyMessage(decimal)) : QStringList());
        QCOMPARE(shop.chosenCount(), chosen);
    }

    void zeroClearsItemsFlagsAndWarnings()
    {
        Shop shop;
        shop.chooseSome();
        for (Page p : allPages()) {
            shop.state.pages.pageView(p).warningVisible = true;
            shop.state.pages.pageView(p).loaded = true;
        }
        const Computer before = shop.state.order.computer;
        const CategoryView procView = shop.state.pages.view(Cat::Proc);
        const QString picture = shop.state.pages.pageView(Page::Proc).picture;
        QCOMPARE(picture, QStringLiteral("Image33"));

        shop.state.resetChoices();
        for (Page p : allPages()) {
            QVERIFY(!shop.state.pages.pageView(p).warningVisible);
            QVERIFY(!shop.state.pages.pageView(p).loaded);
        }
        for (Cat c : allCategories()) {
            QVERIFY(shop.state.order.computer[c].item.isEmpty());
            QCOMPARE(shop.state.order.computer[c].price, before[c].price);
        }
        QVERIFY(!shop.state.order.computer[Cat::Proc].price.isEmpty());
        QCOMPARE(shop.state.order.computer.memoryCount, before.memoryCount);
        // The choice lists, labels and pictures keep showing the old choice.
        const CategoryView& after = shop.state.pages.view(Cat::Proc);
        QCOMPARE(after.box.items, procView.box.items);
        QCOMPARE(after.box.index, procView.box.index);
        QCOMPARE(after.itemLabel, procView.itemLabel);
        QCOMPARE(after.priceLabel, procView.priceLabel);
        QCOMPARE(shop.state.pages.pageView(Page::Proc).picture, picture);
        QCOMPARE(shop.state.catalogue.platform, ProcessorPlatform::Intel);
    }

    void choiseGroupShowsTabsAndResetsOnChange()
    {
        Shop shop;
        const auto visible = [&] {
            QList<Page> pages;
            for (Page p : allPages())
                if (shop.state.pages.pageView(p).tabVisible)
                    pages.append(p);
            return pages;
        };
        QVERIFY(visible().isEmpty());

        shop.state.chooseSelectionMode(1);
        QCOMPARE(shop.state.general.selectionMode, 1);
        QCOMPARE(visible(), (QList<Page>{Page::Proc, Page::RAM, Page::Disk, Page::Video, Page::Other, Page::Mon,
                                         Page::Prn, Page::Dop}));
        const QList<Page> components = visible();
        shop.chooseSome();
        const int chosen = shop.chosenCount();
        shop.state.chooseSelectionMode(1); // the same item again changes nothing
        QCOMPARE(shop.chosenCount(), chosen);
        QCOMPARE(shop.loadedPages(), 8);
        QVERIFY(shop.anyWarning());
        QCOMPARE(visible(), components);

        shop.state.chooseSelectionMode(0);
        QCOMPARE(shop.state.general.selectionMode, 0);
        QCOMPARE(visible(), (QList<Page>{Page::Base, Page::Mon, Page::Prn, Page::Dop, Page::Nout}));
        QVERIFY(shop.isReset());

        shop.state.enterPage(Page::Base);
        shop.state.chooseItem(Cat::Base, 2);
        shop.state.chooseSelectionMode(1);
        QVERIFY(shop.isReset());
        QCOMPARE(visible(), components);
    }

    void resBtnFollowsFlagsOnlyWhenAsked()
    {
        Shop shop;
        shop.state.chooseSelectionMode(0);
        shop.state.updateSummaryButton();
        QVERIFY(!shop.state.general.summaryEnabled);

        shop.state.enterPage(Page::Mon);
        QVERIFY(!shop.state.general.summaryEnabled);
        shop.state.updateSummaryButton();
        QVERIFY(shop.state.general.summaryEnabled);

        // A reset leaves the button as it is until the page is entered or the mouse moves over it.
        shop.state.setPricesInLocalCurrency(true);
        QVERIFY(shop.state.general.summaryEnabled);
        shop.state.updateSummaryButton();
        QVERIFY(!shop.state.general.summaryEnabled);

        // A failed load sets no flag.
        QVERIFY(shop.dir.remove(QStringLiteral("Ups.dat")));
        QVERIFY(!failureOf([&] { shop.state.enterPage(Page::Prn); }).isEmpty());
        shop.state.updateSummaryButton();
        QVERIFY(!shop.state.general.summaryEnabled);
        shop.state.enterPage(Page::Nout);
        shop.state.updateSummaryButton();
        QVERIFY(shop.state.general.summaryEnabled);
    }

    void badgeCoversAllSix()
    {
        Shop shop;
        QSet<int> seen;
        for (int i = 0; i < 300; ++i) {
            shop.state.pickBadge();
            const int badge = shop.state.general.badge;
            QVERIFY2(badge >= 0 && badge <= 5, qPrintable(QString::number(badge)));
            seen.insert(badge);
        }
        QCOMPARE(seen.size(), 6);
    }

    void journalIsHandedToTheShell()
    {
        Shop shop;
        shop.state.openJournal();
        shop.state.openJournal();
        QCOMPARE(shop.fakes.shell.opened, (QStringList{"Log.xls", "Log.xls"}));
        QVERIFY(!shop.dir.exists(QStringLiteral("Log.xls")));
        QVERIFY(shop.fakes.messageBox.shown.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestPricingParams)
#include "tst_pricingparams.moc"
