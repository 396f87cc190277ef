// The reports' figures against an independent count of a generated journal, the period edges,
// old and torn rows, stock on hand, what to order and the spreadsheet export.
#include "base/error.h"
#include "common/journalmaker.h"
#include "common/testshop.h"
#include "reports/reports.h"
#include "reports/reporttable.h"
#include "text/csv.h"

#include <QSet>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::reports;
using namespace korvanta::testing;

namespace {

bool near(double a, double b)
{
    return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b));
}

JournalMaker yearOfTrade(quint32 seed)
{
    JournalMaker maker;
    for (int i = 0; i < 12; ++i)
        maker.items.push_back({i % 2 ? QStringLiteral("Ram.dat") : QStringLiteral("Proc_amd.dat"), i / 2 + 2,
                               QStringLiteral("Товар %1").arg(i), 10.5 + i * 7.25});
    maker.from = QDate(2027, 11, 20);
    maker.to = QDate(2028, 3, 10); // over a year's end and a leap day
    maker.chargedFrom = QDate(2028, 1, 10);
    maker.seed = seed;
    maker.ordersPerDay = 3;
    maker.make();
    return maker;
}

// What the rows of a period add up to, counted without the library.
struct Count {
    QSet<long long> orders;
    long long items = 0, returned = 0;
    double revenue = 0, returns = 0, local = 0;
    bool estimated = false;
};

Count countOf(const std::vector<MadeRow>& rows, const QDate& from, const QDate& to)
{
    Count c;
    for (const MadeRow& r : rows) {
        const QDate d = r.day();
        if (d < from || d > to)
            continue;
        if (r.row.operation == stock::ShipmentOp) {
            c.orders.insert(r.row.order);
            c.items += r.row.quantity;
            c.revenue += r.chargedUe();
            if (r.charged && r.unit != QStringLiteral("у.е."))
                c.local += r.chargedInUnit();
        } else if (r.row.operation == stock::ReturnOp) {
            c.returned += r.row.quantity;
            c.returns += r.chargedUe();
        } else {
            continue;
        }
        c.estimated = c.estimated || !r.charged;
    }
    return c;
}

void compareFigures(const SalesFigures& f, const Count& c, const QStringList& units)
{
    QCOMPARE(f.orders, int(c.orders.size()));
    QCOMPARE(f.items, c.items);
    QCOMPARE(f.returnedItems, c.returned);
    QVERIFY2(near(f.revenueUe, c.revenue),
             qPrintable(QString::number(f.revenueUe) + " != " + QString::number(c.revenue)));
    QVERIFY(near(f.returnsUe, c.returns));
    QVERIFY(near(f.netUe(), c.revenue - c.returns));
    QCOMPARE(f.estimated, c.estimated);
    const qsizetype local = units.indexOf(QStringLiteral("руб."));
    QVERIFY(near(local < 0 ? 0.0 : f.revenueByUnit[size_t(local)], c.local));
}

MadeRow shipment(long long order, const QString& date, const QString& name, long long quantity)
{
    MadeRow r;
    r.row = {order,
             date,
             QStringLiteral("12:00:00"),
             QStringLiteral("a@b"),
             QString(),
             stock::ShipmentOp,
             QStringLiteral("Ram.dat"),
             1,
             name,
             quantity,
             QStringLiteral("10"),
             5,
             5 - quantity};
    r.charged = true;
    r.unit = QStringLiteral("у.е.");
    r.unitPrice = 10;
    r.amount = 10 * double(quantity);
    return r;
}

QByteArray journalOf(const std::vector<MadeRow>& rows, QChar decimal = QLatin1Char(','))
{
    QByteArray out = csv::row(stock::columnTitles());
    for (const MadeRow& r : rows)
        out += csv::row(r.fields(decimal));
    return out;
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void periods_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QDate>("previousFrom");
        QTest::addColumn<QDate>("previousTo");
        const auto k = [](PeriodKind p) { return int(p); };
        QTest::newRow("today") << k(PeriodKind::Today) << QDate(2028, 3, 1) << QDate(2028, 3, 1) << QDate(2028, 3, 1)
                               << QDate(2028, 2, 29) << QDate(2028, 2, 29);
        QTest::newRow("week on Sunday") << k(PeriodKind::ThisWeek) << QDate(2026, 12, 13) << QDate(2026, 12, 7)
                                        << QDate(2026, 12, 13) << QDate(2026, 11, 30) << QDate(2026, 12, 6);
        QTest::newRow("week on Monday") << k(PeriodKind::ThisWeek) << QDate(2026, 12, 7) << QDate(2026, 12, 7)
                                        << QDate(2026, 12, 7) << QDate(2026, 12, 6) << QDate(2026, 12, 6);
        QTest::newRow("month so far, shorter month before")
            << k(PeriodKind::ThisMonth) << QDate(2028, 3, 30) << QDate(2028, 3, 1) << QDate(2028, 3, 30)
            << QDate(2028, 2, 1) << QDate(2028, 2, 29);
        QTest::newRow("last month in January") << k(PeriodKind::LastMonth) << QDate(2027, 1, 15) << QDate(2026, 12, 1)
                                               << QDate(2026, 12, 31) << QDate(2026, 11, 1) << QDate(2026, 11, 30);
        QTest::newRow("last month is a leap February")
            << k(PeriodKind::LastMonth) << QDate(2028, 3, 31) << QDate(2028, 2, 1) << QDate(2028, 2, 29)
            << QDate(2028, 1, 1) << QDate(2028, 1, 31);
        QTest::newRow("year so far on a leap day") << k(PeriodKind::ThisYear) << QDate(2028, 2, 29) << QDate(2028, 1, 1)
                                                   << QDate(2028, 2, 29) << QDate(2027, 1, 1) << QDate(2027, 2, 28);
        QTest::newRow("custom backwards") << k(PeriodKind::Custom) << QDate(2026, 1, 1) << QDate(2026, 5, 3)
                                          << QDate(2026, 5, 12) << QDate(2026, 4, 23) << QDate(2026, 5, 2);
    }
    void periods()
    {
        QFETCH(int, kind);
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QDate, previousFrom);
        QFETCH(QDate, previousTo);
        // The custom row gives its ends backwards.
        const Period p = periodOf(PeriodKind(kind), today, to, from);
        QCOMPARE(p.from, from);
        QCOMPARE(p.to, to);
        const Period previous = previousPeriod(p);
        QCOMPARE(previous.from, previousFrom);
        QCOMPARE(previous.to, previousTo);
    }

    void groups_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("grouping");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDate>("firstStart");
        QTest::addColumn<QString>("lastLabel");
        QTest::newRow("days over a leap day") << QDate(2028, 2, 27) << QDate(2028, 3, 1) << int(Grouping::Day) << 4
                                              << QDate(2028, 2, 27) << QStringLiteral("01.03.2028");
        QTest::newRow("weeks over a year's end") << QDate(2026, 12, 30) << QDate(2027, 1, 11) << int(Grouping::Week)
                                                 << 3 << QDate(2026, 12, 28) << QStringLiteral("11.01–17.01.2027");
        QTest::newRow("months") << QDate(2026, 1, 31) << QDate(2026, 3, 1) << int(Grouping::Month) << 3
                                << QDate(2026, 1, 1) << QStringLiteral("Март 2026");
    }
    void groups()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, grouping);
        QFETCH(int, count);
        QFETCH(QDate, firstStart);
        QFETCH(QString, lastLabel);
        const std::vector<QDate> starts = groupStarts({from, to}, Grouping(grouping));
        QCOMPARE(int(starts.size()), count);
        QCOMPARE(starts.front(), firstStart);
        QCOMPARE(groupLabel(starts.back(), Grouping(grouping)), lastLabel);
        for (size_t i = 1; i < starts.size(); ++i)
            QCOMPARE(groupEnd(starts[i - 1], Grouping(grouping)).addDays(1), starts[i]);
    }

    void salesEqualIndependentCount_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("grouping");
        QTest::newRow("days of a leap February") << 1u << QDate(2028, 2, 1) << QDate(2028, 2, 29) << int(Grouping::Day);
        QTest::newRow("weeks over old and new rows")
            << 2u << QDate(2027, 12, 20) << QDate(2028, 1, 31) << int(Grouping::Week);
        QTest::newRow("months over a year's end")
            << 3u << QDate(2027, 11, 25) << QDate(2028, 3, 10) << int(Grouping::Month);
        QTest::newRow("one day") << 4u << QDate(2028, 1, 31) << QDate(2028, 1, 31) << int(Grouping::Month);
    }
    void salesEqualIndependentCount()
    {
        QFETCH(quint32, seed);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, grouping);
        const JournalMaker maker = yearOfTrade(seed);
        // A torn last row is never counted.
        const QByteArray bytes = maker.bytes() + "99999;10.02.2028;12:00:00;a@b;;отгрузка;Ram.dat;2;Товар";
        const SalesReport report = salesReport(bytes, {from, to}, Grouping(grouping));
        QVERIFY(!report.groups.empty());
        for (const SalesGroup& g : report.groups) {
            const Count c =
                countOf(maker.rows, std::max(g.start, from), std::min(groupEnd(g.start, Grouping(grouping)), to));
            compareFigures(g.figures, c, report.units);
        }
        compareFigures(report.total, countOf(maker.rows, from, to), report.units);
        compareFigures(report.previousTotal, countOf(maker.rows, report.previous.from, report.previous.to),
                       report.units);
        for (const SalesGroup& g : report.previousGroups) {
            const Count c = countOf(maker.rows, std::max(g.start, report.previous.from),
                                    std::min(groupEnd(g.start, Grouping(grouping)), report.previous.to));
            compareFigures(g.figures, c, report.units);
        }
    }

    void rowsOfEveryForm_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<double>("revenue");
        QTest::addColumn<bool>("estimated");
        QTest::addColumn<qsizetype>("setAside");
        // order;date;time;place;customer;op;file;record;name;qty;price;before;after[;charged columns]
        QTest::newRow("old row: the price text is the line's amount")
            << QByteArray("5;29.02.2028;23:59:59;a;;отгрузка;Ram.dat;2;R;2;25,00;5;3\r\n") << 25.0 << true
            << qsizetype(0);
        QTest::newRow("local currency, markup and VAT")
            << QByteArray("5;29.02.2028;00:00:00;a;;отгрузка;Ram.dat;2;R;2;10;5;3;R - "
                          "2шт.;300,00;600,00;руб.;30,00;10;20;29.2.2028;1\r\n")
            << 600 * 1.1 * 1.2 / 30 << false << qsizetype(0);
        QTest::newRow("у.е. with a point, VAT not charged")
            << QByteArray(
                   "5;29.02.2028;10:00:00;a;;отгрузка;Ram.dat;2;R;1;10;5;4;R;10.5;10.5;у.е.;29.7;0;;29.2.2028;1\n")
            << 10.5 << false << qsizetype(0);
        QTest::newRow("quoted customer with a line break")
            << QByteArray("5;29.02.2028;10:00:00;a;\"Мир;\r\n\"\"ПК\"\"\";отгрузка;Ram.dat;2;R;1;10;5;4\r\n") << 10.0
            << true << qsizetype(0);
        QTest::newRow("not a date: set aside")
            << QByteArray("5;31.02.2028;10:00:00;a;;отгрузка;Ram.dat;2;R;1;10;5;4\r\n") << 0.0 << false << qsizetype(1);
        QTest::newRow("hand-edited line: set aside") << QByteArray("итого;;;;\r\n") << 0.0 << false << qsizetype(1);
        QTest::newRow("torn last row") << QByteArray("5;29.02.2028;10:00:00;a;;отгрузка;Ram.dat;2;R;1;10;5") << 0.0
                                       << false << qsizetype(1);
    }
    void rowsOfEveryForm()
    {
        QFETCH(QByteArray, row);
        QFETCH(double, revenue);
        QFETCH(bool, estimated);
        QFETCH(qsizetype, setAside);
        const QByteArray bytes = csv::row(stock::columnTitles()) + cp1251::encode(QString::fromUtf8(row));
        const SalesReport report = salesReport(bytes, {QDate(2028, 2, 29), QDate(2028, 2, 29)}, Grouping::Day);
        QVERIFY(near(report.total.revenueUe, revenue));
        QCOMPARE(report.total.estimated, estimated);
        JournalScan scan;
        scan.scan(bytes, [](const Movement&) {});
        QCOMPARE(scan.rowsSetAside(), setAside);
        QCOMPARE(scan.rowsRead(), qsizetype(setAside ? 0 : 1));
        // The leap day's neighbours hold nothing.
        QCOMPARE(salesReport(bytes, {QDate(2028, 2, 28), QDate(2028, 2, 28)}, Grouping::Day).total.items, 0LL);
        QCOMPARE(salesReport(bytes, {QDate(2028, 3, 1), QDate(2028, 3, 1)}, Grouping::Day).total.items, 0LL);
    }

    void itemsEqualIndependentCount()
    {
        const JournalMaker maker = yearOfTrade(11);
        std::vector<ShopItem> shop;
        for (const MadeItem& item : maker.items)
            shop.push_back({item.file, item.record, item.name, categoryOfFile(item.file), item.price, 3});
        shop.push_back({QStringLiteral("Ram.dat"), 40, QStringLiteral("Лежалый"), QStringLiteral("Память"), 5.0, 4});
        const Period period{QDate(2028, 1, 1), QDate(2028, 2, 29)};
        const ItemsReport report = itemsReport(maker.bytes(), shop, period);
        QCOMPARE(report.items.size(), shop.size());
        long long soldTotal = 0;
        for (const ItemFigures& f : report.items) {
            long long sold = 0, returned = 0, received = 0;
            double revenue = 0;
            for (const MadeRow& r : maker.rows) {
                if (!period.contains(r.day()) || r.row.fileName != f.file || r.row.record + 1 != f.record)
                    continue;
                if (r.row.operation == stock::ShipmentOp) {
                    sold += r.row.quantity;
                    revenue += r.chargedUe();
                } else if (r.row.operation == stock::ReturnOp) {
                    returned += r.row.quantity;
                    revenue -= r.chargedUe();
                } else if (r.row.operation == stock::ReceiptOp) {
                    received += r.row.quantity;
                }
            }
            QCOMPARE(f.sold, sold);
            QCOMPARE(f.returned, returned);
            QCOMPARE(f.received, received);
            QVERIFY(near(f.revenueUe, revenue));
            QCOMPARE(f.idle, sold == 0);
            soldTotal += sold;
        }
        QCOMPARE(idleItems(report).size(), size_t(1));
        QCOMPARE(idleItems(report).front().name, QStringLiteral("Лежалый"));
        const std::vector<ItemFigures> top = topSellers(report, 3);
        QCOMPARE(top.size(), size_t(3));
        for (const ItemFigures& f : report.items)
            if (f.sold > 0 && std::find_if(top.begin(), top.end(),
                                           [&](const ItemFigures& t) { return t.name == f.name; }) == top.end())
                QVERIFY(f.revenueUe <= top.back().revenueUe);
        long long categorySold = 0;
        for (const ItemFigures& c : report.categories)
            categorySold += c.sold;
        QCOMPARE(categorySold, soldTotal);
        QCOMPARE(report.categories.size(), size_t(2));
    }

    void stockOnHand()
    {
        const auto records = [](const QString& file) -> QList<QStringList> {
            if (file == QStringLiteral("Ram.dat"))
                return {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                        record(QStringLiteral("DDR A"), QStringLiteral("12,50"), QStringLiteral("4")),
                        record(QStringLiteral("DDR B"), QStringLiteral("7.5"), QStringLiteral("-2")),
                        record(QStringLiteral("DDR C"), QStringLiteral("дорого"), QStringLiteral("3")),
                        record(QStringLiteral("DDR D"), QStringLiteral("1"), QStringLiteral("много"))};
            if (file == QStringLiteral("Proc_int.dat") || file == QStringLiteral("Proc_amd.dat"))
                return {record(TestShop::stem(file), QStringLiteral("100"), QStringLiteral("1"))};
            return {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0"))};
        };
        TestShop shop(TestShop::Files::Every, records);
        const std::vector<ShopItem> items = loadShopItems(shop.folder, QLatin1Char(','));
        QCOMPARE(items.size(), size_t(6));
        const StockReport report = stockReport(items);
        const auto find = [&](const QString& category) {
            return *std::find_if(report.categories.begin(), report.categories.end(),
                                 [&](const CategoryStock& c) { return c.category == category; });
        };
        const CategoryStock processors = find(categoryOfFile(QStringLiteral("Proc_amd.dat")));
        QCOMPARE(processors.units, 2LL);
        QVERIFY(near(processors.valueUe, 200));
        const CategoryStock memory = find(categoryOfFile(QStringLiteral("Ram.dat")));
        QCOMPARE(memory.items, 2);
        QCOMPARE(memory.units, 7LL);
        QVERIFY(near(memory.valueUe, 50));
        QCOMPARE(memory.unpriced, 1);
        QCOMPARE(report.total.units, 9LL);
        QVERIFY(near(report.total.valueUe, 250));
        QCOMPARE(report.negative.size(), size_t(1));
        QCOMPARE(report.negative.front().name, QStringLiteral("DDR B"));
        QCOMPARE(*report.negative.front().stock, -2LL);
    }

    void whatToOrder_data()
    {
        QTest::addColumn<int>("stock");
        QTest::addColumn<int>("sold"); // over the last 10 days, one a day from the newest
        QTest::addColumn<int>("returned");
        QTest::addColumn<int>("horizon");
        QTest::addColumn<int>("suggested"); // -1: not listed
        QTest::newRow("runs out in 5 of 14 days") << 5 << 10 << 0 << 14 << 9;
        QTest::newRow("lasts beyond the horizon") << 20 << 10 << 0 << 14 << -1;
        QTest::newRow("runs out on the last day") << 14 << 10 << 0 << 14 << 1;
        QTest::newRow("returns lower the rate") << 5 << 10 << 5 << 7 << -1;
        QTest::newRow("nothing sold") << 0 << 0 << 0 << 14 << -1;
        QTest::newRow("below zero") << -3 << 10 << 0 << 14 << 14;
        QTest::newRow("sales before the window do not count") << 1 << 0 << 0 << 30 << -1;
    }
    void whatToOrder()
    {
        QFETCH(int, stock);
        QFETCH(int, sold);
        QFETCH(int, returned);
        QFETCH(int, horizon);
        QFETCH(int, suggested);
        const QDate today(2028, 3, 1);
        std::vector<MadeRow> rows;
        for (int i = 0; i < sold; ++i)
            rows.push_back(
                shipment(i + 1, today.addDays(-i).toString(QStringLiteral("dd.MM.yyyy")), QStringLiteral("R"), 1));
        for (int i = 0; i < returned; ++i) {
            MadeRow r = rows[size_t(i)];
            r.row.operation = stock::ReturnOp;
            rows.push_back(r);
        }
        // Outside the 10 days.
        rows.push_back(
            shipment(900, today.addDays(-10).toString(QStringLiteral("dd.MM.yyyy")), QStringLiteral("R"), 30));
        const std::vector<ShopItem> shop{
            {QStringLiteral("Ram.dat"), 2, QStringLiteral("R"), QStringLiteral("Память"), 10.0, stock}};
        const std::vector<OrderSuggestion> out = reports::whatToOrder(journalOf(rows), shop, today, horizon, 10);
        if (suggested < 0) {
            QVERIFY(out.empty());
            return;
        }
        QCOMPARE(out.size(), size_t(1));
        QCOMPARE(out.front().sold, (long long)(sold - returned));
        QCOMPARE(out.front().suggested, (long long)suggested);
        QVERIFY(out.front().daysLeft <= horizon);
    }

    void csvExport_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::newRow("comma") << QChar(',');
        QTest::newRow("point") << QChar('.');
    }
    void csvExport()
    {
        QFETCH(QChar, decimal);
        std::vector<ItemFigures> items(2);
        items[0] = {QStringLiteral("Ram.dat"),
                    2,
                    QStringLiteral("Память; \"быстрая\""),
                    QStringLiteral("Память"),
                    3,
                    1,
                    5,
                    1234567,
                    12345.678,
                    false};
        items[1] = {
            QStringLiteral("Os.dat"), 3, QStringLiteral("ОС"), QStringLiteral("ОС"), 0, 0, 0, std::nullopt, 0, true};
        const std::vector<Table> tables{itemsTable(items, QStringLiteral("Товары")),
                                        itemsTable(items, QStringLiteral("По категориям"), true)};
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("отчёт.csv"));
        writeTablesCsv(path, tables, decimal);
        const csv::Parsed parsed = csv::parse(readBytes(path));
        QCOMPARE(parsed.tornOffset, -1);
        QCOMPARE(parsed.rows.size(), size_t(9)); // title, header, 2 rows; blank; again
        QCOMPARE(parsed.rows[0].fields, QStringList{QStringLiteral("Товары")});
        QCOMPARE(parsed.rows[1].fields, tables[0].headers);
        const QStringList first = parsed.rows[2].fields;
        QCOMPARE(first[0], items[0].name);
        QCOMPARE(first[7], QStringLiteral("1234567"));
        QCOMPARE(first[8], QStringLiteral("12345") + decimal + QStringLiteral("68"));
        QCOMPARE(parsed.rows[3].fields[7], QStringLiteral("?"));
        QCOMPARE(parsed.rows[4].fields, QStringList{QString()});
        QCOMPARE(parsed.rows[7].fields[0], QStringLiteral("Память"));
        // A file that cannot be written is said so.
        QVERIFY_THROWS_EXCEPTION(Error, writeTablesCsv(dir.filePath(QStringLiteral("нет/отчёт.csv")), tables, decimal));
    }

    void displayWithThousands()
    {
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        QCOMPARE(displayText(Cell::of(1234567.891, 2), russian), russian.toString(1234567.891, 'f', 2));
        QVERIFY(displayText(Cell::of(1234567.891, 2), russian).contains(russian.groupSeparator()));
        QCOMPARE(displayText(Cell::of(QStringLiteral("текст")), russian), QStringLiteral("текст"));
    }
};

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
