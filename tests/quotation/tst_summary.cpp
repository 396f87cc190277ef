// The order text: which lines, in which order, with which amounts and unit.
#include "common/failure.h"
#include "pricing/order.h"
#include "quotation/summary.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QString Separator(54, QLatin1Char('_'));

struct Quote {
    Order state;

    explicit Quote(QChar decimal = QLatin1Char('.')) : state(decimal)
    {
        state.orderDate = OrderDate{5, 3, 2004};
        state.settings.vatPercent = 20;
    }
    void choose(Cat c, const QString& item, const QString& price)
    {
        state.computer[c] = SelectionPair{item, price, -1, {}};
    }
    void vat(bool charged) { state.settings.vatCharged = charged; }
};

} // namespace

class TestSummary : public QObject {
    Q_OBJECT

private slots:
    // The lines after the items: the total, and with VAT the tax and the grand total.
    void totals_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<double>("markup");
        QTest::addColumn<bool>("vat");
        QTest::addColumn<QStringList>("prices");
        QTest::addColumn<QStringList>("expected");
        const QChar point('.');
        QTest::addRow("nothing chosen") << point << 0.0 << false << QStringList()
                                        << QStringList{"Итого...    0.00 у.е."};
        QTest::addRow("nothing chosen, VAT")
            << point << 0.0 << true << QStringList()
            << QStringList{"Итого...    0.00 у.е.", "НДС...        0.00 у.е.", "Всего...    0.00 у.е."};
        QTest::addRow("no VAT ends with the total")
            << point << 10.0 << false << QStringList{"200"} << QStringList{"Итого...    220.00 у.е."};
        QTest::addRow("local decimal separator")
            << QChar(',') << 10.0 << false << QStringList{"100,5"} << QStringList{"Итого...    110,55 у.е."};
        // 0.1 + 0.2 is not 0.3 in binary; the sum is kept unrounded and rounded when written.
        QTest::addRow("sum rounded when written")
            << point << 0.0 << true << QStringList{"0.1", "0.2"}
            << QStringList{"Итого...    0.30 у.е.", "НДС...        0.06 у.е.", "Всего...    0.36 у.е."};
        // The grand total comes from the total, not from the two amounts as shown.
        QTest::addRow("grand total from the total")
            << point << 0.0 << true << QStringList{"0.025"}
            << QStringList{"Итого...    0.03 у.е.", "НДС...        0.01 у.е.", "Всего...    0.03 у.е."};
        // Markup on the whole sum, once: 3 × 33.333 × 1.15 = 114.99885, not three rounded lines.
        QTest::addRow("markup once on the sum") << point << 15.0 << false << QStringList{"33.333", "33.333", "33.333"}
                                                << QStringList{"Итого...    115.00 у.е."};
        QTest::addRow("ten million") << point << 0.0 << false << QStringList{"10000000"}
                                     << QStringList{"Итого...    1E07 у.е."};
        QTest::addRow("over ten million")
            << point << 0.0 << false << QStringList{"12345678.9"} << QStringList{"Итого...    1.234568E07 у.е."};
        // Seven significant digits at most: just below ten million stays fixed, without its cents.
        QTest::addRow("just below ten million")
            << point << 0.0 << false << QStringList{"9999999.4"} << QStringList{"Итого...    9999999.00 у.е."};
    }

    void totals()
    {
        QFETCH(QChar, decimal);
        QFETCH(double, markup);
        QFETCH(bool, vat);
        QFETCH(QStringList, prices);
        QFETCH(QStringList, expected);
        Quote o(decimal);
        o.state.settings.markupPercent = markup;
        o.vat(vat);
        for (int i = 0; i < prices.size(); ++i)
            o.choose(summaryOrder()[size_t(i)], QStringLiteral("x"), prices.at(i));
        const QStringList lines = composeSummary(o.state);
        QCOMPARE(lines.mid(0, 2), (QStringList{QStringLiteral("Заказ выполнен: 5.3.2004"), Separator}));
        QCOMPARE(lines.at(2 + prices.size()), Separator);
        QCOMPARE(lines.mid(3 + prices.size()), expected);
    }

    void dateHeadsTheText()
    {
        Quote o;
        o.state.orderDate = OrderDate{31, 12, 1999};
        QCOMPARE(composeSummary(o.state).first(), QStringLiteral("Заказ выполнен: 31.12.1999"));
    }

    void exampleWithMarkupAndVat()
    {
        Quote o;
        o.state.settings.markupPercent = 10;
        o.vat(true);
        o.choose(Cat::Proc, QStringLiteral("Процессор"), QStringLiteral("100"));
        o.choose(Cat::Video, QStringLiteral("Видеокарта"), QStringLiteral("50.5"));
        const QStringList expected = {QStringLiteral("Заказ выполнен: 5.3.2004"),
                                      Separator,
                                      QStringLiteral("Процессор:  100 у.е."),
                                      QStringLiteral("Видеокарта:  50.5 у.е."),
                                      Separator,
                                      QStringLiteral("Итого...    165.55 у.е."),
                                      QStringLiteral("НДС...        33.11 у.е."),
                                      QStringLiteral("Всего...    198.66 у.е.")};
        const Summary summary = summarize(o.state);
        QCOMPARE(summary.lines, expected);
        QVERIFY(!summary.failure);
        // Composing again gives the same text: nothing accumulates.
        QCOMPARE(composeSummary(o.state), expected);
        QCOMPARE(summarize(o.state).lines, expected);
    }

    void unitSuffixFollowsTheCurrencyBox()
    {
        Quote o;
        o.vat(true);
        o.state.settings.inLocalCurrency = true;
        o.state.settings.currencyName = QStringLiteral("руб.");
        o.choose(Cat::Case, QStringLiteral("Корпус"), QStringLiteral("1500.00"));
        o.choose(Cat::RAM, QStringLiteral("DDR - 2шт."), QStringLiteral("3000.00"));
        const QStringList local = composeSummary(o.state);
        QCOMPARE(local.size(), 8);
        for (int i : {2, 3, 5, 6, 7}) {
            QVERIFY2(local.at(i).endsWith(QStringLiteral(" руб.")), qPrintable(local.at(i)));
            QVERIFY2(!local.at(i).contains(QStringLiteral("у.е.")), qPrintable(local.at(i)));
        }
        QCOMPARE(local.at(2), QStringLiteral("DDR - 2шт.:  3000.00 руб."));

        o.state.settings.inLocalCurrency = false;
        o.state.computer = Computer{};
        o.choose(Cat::Case, QStringLiteral("Корпус"), QStringLiteral("50"));
        const QStringList conventional = composeSummary(o.state);
        for (int i : {2, 4, 5, 6})
            QVERIFY2(conventional.at(i).endsWith(QStringLiteral("0 у.е.")), qPrintable(conventional.at(i)));
        QVERIFY(!conventional.join(QString()).contains(QStringLiteral("руб.")));
    }

    void noneEntryOrEmptyItemGivesNoLine_data()
    {
        QTest::addColumn<Cat>("c");
        for (Cat c : allCategories())
            QTest::newRow(qPrintable(category(c).key)) << c;
    }

    void noneEntryOrEmptyItemGivesNoLine()
    {
        QFETCH(Cat, c);
        const Cat other = c == Cat::Mon ? Cat::Prn : Cat::Mon;
        Quote o;
        o.choose(other, QStringLiteral("Товар"), QStringLiteral("7"));
        o.choose(c, QStringLiteral("нет"), QStringLiteral("1000"));
        const QStringList expected = {QStringLiteral("Заказ выполнен: 5.3.2004"), Separator,
                                      QStringLiteral("Товар:  7 у.е."), Separator,
                                      QStringLiteral("Итого...    7.00 у.е.")};
        QCOMPARE(composeSummary(o.state), expected);
        // An emptied choice keeps its old price text; it must not count either.
        o.choose(c, QString(), QStringLiteral("1000"));
        QCOMPARE(composeSummary(o.state), expected);
        // "Нет" with a capital letter is an ordinary item.
        o.choose(c, QStringLiteral("Нет"), QStringLiteral("1"));
        const QStringList lines = composeSummary(o.state);
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines.contains(QStringLiteral("Нет:  1 у.е.")));
        QCOMPARE(lines.last(), QStringLiteral("Итого...    8.00 у.е."));
    }

    void categoryOrder()
    {
        Quote o;
        for (Cat c : allCategories())
            o.choose(c, category(c).key, QStringLiteral("1"));
        const QStringList lines = composeSummary(o.state);
        QCOMPARE(lines.size(), 28 + 4);
        QStringList keys;
        for (const QString& line : lines.mid(2, 28))
            keys << line.section(QLatin1Char(':'), 0, 0);
        QCOMPARE(keys, QStringList({"Base", "Nout", "Proc",  "Mat",   "Fun",  "RAM", "Fun1", "Case", "Vint",  "Disk",
                                    "CD",   "Fdd",  "Video", "Sound", "Game", "Net", "Mod",  "Key",  "Mouse", "Mon",
                                    "Prn",  "Scan", "Speak", "UPS",   "OS",   "PO",  "Dop1", "Dop2"}));
        QCOMPARE(lines.last(), QStringLiteral("Итого...    28.00 у.е."));
    }

    void badPriceStopsAfterItsLine()
    {
        Quote o;
        o.vat(true);
        o.choose(Cat::Proc, QStringLiteral("Процессор"), QStringLiteral("100"));
        o.choose(Cat::Mat, QStringLiteral("Плата"), QStringLiteral("1,5"));
        o.choose(Cat::Video, QStringLiteral("Видеокарта"), QStringLiteral("50"));
        const QStringList sofar = {QStringLiteral("Заказ выполнен: 5.3.2004"), Separator,
                                   QStringLiteral("Процессор:  100 у.е."), QStringLiteral("Плата:  1,5 у.е.")};
        const Summary summary = summarize(o.state);
        QCOMPARE(summary.lines, sofar);
        QVERIFY(summary.failure);
        QCOMPARE(*summary.failure, QStringLiteral("'1,5' is not a valid floating point value"));
        QCOMPARE(failureOf([&] { composeSummary(o.state); }),
                 QStringLiteral("'1,5' is not a valid floating point value"));
        // An empty price of a chosen item fails the same way.
        o.choose(Cat::Mat, QStringLiteral("Плата"), QString());
        QCOMPARE(*summarize(o.state).failure, QStringLiteral("'' is not a valid floating point value"));
    }
};

QTEST_GUILESS_MAIN(TestSummary)
#include "tst_summary.moc"
