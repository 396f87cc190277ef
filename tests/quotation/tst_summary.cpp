// The order text: which lines, in which order, with which amounts and unit.
#include "error.h"
#include "fakes.h"
#include "order.h"
#include "summary.h"

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
        state.settings.add = 0;
        state.settings.nds = 20;
    }
    void choose(Cat c, const QString& item, const QString& price) { state.computer[c] = SelectionPair{item, price}; }
    void vat(bool charged) { state.settings.ndse = charged; }
};

} // namespace

class TestSummary : public QObject {
    Q_OBJECT

private slots:
    void nothingChosen()
    {
        Quote o;
        QCOMPARE(composeSummary(o.state), QStringList({QStringLiteral("Заказ выполнен: 5.3.2004"), Separator, Separator,
                                                       QStringLiteral("Итого...    0.00 у.е.")}));
        o.vat(true);
        QCOMPARE(composeSummary(o.state).mid(3),
                 QStringList({QStringLiteral("Итого...    0.00 у.е."), QStringLiteral("НДС...        0.00 у.е."),
                              QStringLiteral("Всего...    0.00 у.е.")}));
        o.state.orderDate = OrderDate{31, 12, 1999};
        QCOMPARE(composeSummary(o.state).first(), QStringLiteral("Заказ выполнен: 31.12.1999"));
    }

    void exampleWithMarkupAndVat()
    {
        Quote o;
        o.state.settings.add = 10;
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

    void noVatEndsWithTotal()
    {
        Quote o;
        o.state.settings.add = 10;
        o.state.settings.nds = 20;
        o.vat(false);
        o.choose(Cat::Mon, QStringLiteral("Монитор"), QStringLiteral("200"));
        const QStringList lines = composeSummary(o.state);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.last(), QStringLiteral("Итого...    220.00 у.е."));
    }

    void amountsAreRoundedOnlyForDisplay()
    {
        Quote o;
        o.vat(true);
        // 0.1 + 0.2 is not 0.3 in binary; the sum is kept unrounded and rounded when written.
        o.choose(Cat::Key, QStringLiteral("K"), QStringLiteral("0.1"));
        o.choose(Cat::Mouse, QStringLiteral("M"), QStringLiteral("0.2"));
        QCOMPARE(composeSummary(o.state).at(5), QStringLiteral("Итого...    0.30 у.е."));

        // The grand total comes from the total, not from the two amounts as shown: 0.03 + 0.01 here,
        // but 0.03 in all.
        Quote p;
        p.vat(true);
        p.choose(Cat::Key, QStringLiteral("K"), QStringLiteral("0.025"));
        QCOMPARE(composeSummary(p.state).mid(4),
                 QStringList({QStringLiteral("Итого...    0.03 у.е."), QStringLiteral("НДС...        0.01 у.е."),
                              QStringLiteral("Всего...    0.03 у.е.")}));

        // Markup on the whole sum, once: 3 × 33.333 × 1.15 = 114.99885, not three rounded lines.
        Quote q;
        q.state.settings.add = 15;
        for (Cat c : {Cat::OS, Cat::PO, Cat::Dop1})
            q.choose(c, QStringLiteral("x"), QStringLiteral("33.333"));
        QCOMPARE(composeSummary(q.state).last(), QStringLiteral("Итого...    115.00 у.е."));
    }

    void unitSuffixFollowsTheCurrencyBox()
    {
        Quote o;
        o.vat(true);
        o.state.settings.rub = true;
        o.state.settings.val = QStringLiteral("руб.");
        o.choose(Cat::Case, QStringLiteral("Корпус"), QStringLiteral("1500.00"));
        o.choose(Cat::RAM, QStringLiteral("DDR - 2шт."), QStringLiteral("3000.00"));
        const QStringList local = composeSummary(o.state);
        QCOMPARE(local.size(), 8);
        for (int i : {2, 3, 5, 6, 7}) {
            QVERIFY2(local.at(i).endsWith(QStringLiteral(" руб.")), qPrintable(local.at(i)));
            QVERIFY2(!local.at(i).contains(QStringLiteral("у.е.")), qPrintable(local.at(i)));
        }
        QCOMPARE(local.at(2), QStringLiteral("DDR - 2шт.:  3000.00 руб."));

        o.state.settings.rub = false;
        o.state.computer = Computer{};
        o.choose(Cat::Case, QStringLiteral("Корпус"), QStringLiteral("50"));
        const QStringList conventional = composeSummary(o.state);
        for (int i : {2, 4, 5, 6})
            QVERIFY2(conventional.at(i).endsWith(QStringLiteral("0 у.е.")), qPrintable(conventional.at(i)));
        QVERIFY(!conventional.join(QString()).contains(QStringLiteral("руб.")));
    }

    void localDecimalSeparator()
    {
        Quote o(QLatin1Char(','));
        o.state.settings.add = 10;
        o.choose(Cat::Fdd, QStringLiteral("FDD"), QStringLiteral("100,5"));
        QCOMPARE(composeSummary(o.state).last(), QStringLiteral("Итого...    110,55 у.е."));
    }

    void largeTotalsInExponentForm()
    {
        Quote o;
        o.choose(Cat::Base, QStringLiteral("Сервер"), QStringLiteral("10000000"));
        QCOMPARE(composeSummary(o.state).last(), QStringLiteral("Итого...    1E07 у.е."));
        o.choose(Cat::Base, QStringLiteral("Сервер"), QStringLiteral("12345678.9"));
        QCOMPARE(composeSummary(o.state).last(), QStringLiteral("Итого...    1.234568E07 у.е."));
        // Seven significant digits at most: just below ten million stays fixed, without its cents.
        o.choose(Cat::Base, QStringLiteral("Сервер"), QStringLiteral("9999999.4"));
        QCOMPARE(composeSummary(o.state).last(), QStringLiteral("Итого...    9999999.00 у.е."));
    }

    void noneEntryOrEmptyItemGivesNoLine_data()
    {
        QTest::addColumn<int>("category");
        for (Cat c : allCategories())
            QTest::newRow(qPrintable(category(c).key)) << idx(c);
    }

    void noneEntryOrEmptyItemGivesNoLine()
    {
        QFETCH(int, category);
        const Cat c = static_cast<Cat>(category);
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
        try {
            composeSummary(o.state);
            QFAIL("no failure");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("'1,5' is not a valid floating point value"));
        }
        // An empty price of a chosen item fails the same way.
        o.choose(Cat::Mat, QStringLiteral("Плата"), QString());
        QCOMPARE(*summarize(o.state).failure, QStringLiteral("'' is not a valid floating point value"));
    }
};

QTEST_GUILESS_MAIN(TestSummary)
#include "tst_summary.moc"
