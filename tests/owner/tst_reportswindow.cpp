// The "Отчёты" window on a small shop with a generated journal: the choices and what they show,
// sorting, the remembered choices, the spreadsheet export, the PDF with its chart, and failures.
#include "common/fakes.h"
#include "common/journalmaker.h"
#include "common/memorystore.h"
#include "common/ownerfakes.h"
#include "common/testshop.h"
#include "owner/ownerwindow.h"
#include "owner/reportswindow.h"
#include "text/conversions.h"
#include "text/csv.h"

#include <QAbstractBarSeries>
#include <QAction>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::reports;
using namespace korvanta::testing;

namespace {

const QDate Today(2028, 3, 10);

// Every list with its two items, and a journal of trading in eight of them since December.
struct ReportShop : TestShop {
    JournalMaker maker;
    FakeErrorReport errors;
    MemoryStore store;
    ReportShop()
    {
        for (const QString file : {"Ram.dat", "Case.dat", "Net.dat", "Key.dat"})
            for (int record : {2, 3})
                maker.items.push_back(
                    {file, record, stem(file) + (record == 2 ? " A" : " B"), record == 2 ? 10.0 : 20.0});
        maker.from = QDate(2027, 12, 1);
        maker.to = Today;
        maker.chargedFrom = QDate(2028, 1, 15);
        maker.make();
        writeBytes(path(stock::JournalFile), maker.bytes());
    }
    int ordersIn(const QDate& from, const QDate& to) const
    {
        QSet<long long> orders;
        for (const MadeRow& r : maker.rows)
            if (r.row.operation == stock::ShipmentOp && r.day() >= from && r.day() <= to)
                orders.insert(r.row.order);
        return int(orders.size());
    }
};

template <typename W> W* child(QWidget& window, const char* name)
{
    W* w = window.findChild<W*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

// The shown table's column `title` as numbers, in the shown order.
QList<double> column(ReportsWindow& window, const QString& title)
{
    const QAbstractItemModel* model = window.tableView()->model();
    int c = 0;
    while (c < model->columnCount() && model->headerData(c, Qt::Horizontal).toString() != title)
        ++c;
    if (c == model->columnCount())
        qFatal("no column %s", qPrintable(title));
    QList<double> values;
    for (int r = 0; r < model->rowCount(); ++r)
        values << model->index(r, c).data(Qt::UserRole).toDouble();
    return values;
}

} // namespace

class TestReportsWindow : public QObject {
    Q_OBJECT
private slots:
    void salesChoices_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("grouping");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("groups");
        QTest::newRow("last month by week")
            << int(PeriodKind::LastMonth) << int(Grouping::Week) << QDate(2028, 2, 1) << QDate(2028, 2, 29) << 5;
        QTest::newRow("this year by month")
            << int(PeriodKind::ThisYear) << int(Grouping::Month) << QDate(2028, 1, 1) << Today << 3;
        QTest::newRow("this week by day")
            << int(PeriodKind::ThisWeek) << int(Grouping::Day) << QDate(2028, 3, 6) << Today << 5;
    }
    void salesChoices()
    {
        QFETCH(int, period);
        QFETCH(int, grouping);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, groups);
        ReportShop shop;
        ReportsWindow window(shop.folder, &shop.store, &shop.errors);
        window.setToday(Today);
        window.show();
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::SalesReport);
        child<QComboBox>(window, "PeriodBox")->setCurrentIndex(period);
        child<QComboBox>(window, "GroupingBox")->setCurrentIndex(grouping);
        QVERIFY(shop.errors.reported.isEmpty());
        // The dates of the chosen period are shown, not editable.
        QCOMPARE(child<QDateEdit>(window, "FromEdit")->date(), from);
        QCOMPARE(child<QDateEdit>(window, "ToEdit")->date(), to);
        QVERIFY(!child<QDateEdit>(window, "FromEdit")->isEnabled());
        // A row per group, the period's total and the previous period's.
        const QList<double> orders = column(window, QStringLiteral("Заказов"));
        QCOMPARE(orders.size(), groups + 2);
        QCOMPARE(int(orders[groups]), shop.ordersIn(from, to));
        const Period previous = previousPeriod({from, to});
        QCOMPARE(int(orders[groups + 1]), shop.ordersIn(previous.from, previous.to));
        // The chart: this period and the previous one beside it, a bar per group.
        const auto series = window.chart()->series();
        QCOMPARE(series.size(), 1);
        const auto sets = static_cast<QAbstractBarSeries*>(series.front())->barSets();
        QCOMPARE(sets.size(), 2);
        QCOMPARE(sets[1]->count(), groups);
        QVERIFY(sets[0]->color().alpha() < sets[1]->color().alpha());
        const QList<double> net = column(window, QStringLiteral("Итого, у.е."));
        for (int g = 0; g < groups; ++g)
            QVERIFY(qAbs(sets[1]->at(g) - net[g]) < 1e-9);
    }

    void customPeriod()
    {
        ReportShop shop;
        ReportsWindow window(shop.folder, &shop.store, &shop.errors);
        window.setToday(Today);
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::SalesReport);
        child<QComboBox>(window, "GroupingBox")->setCurrentIndex(int(Grouping::Day));
        child<QComboBox>(window, "PeriodBox")->setCurrentIndex(int(PeriodKind::Custom));
        QVERIFY(child<QDateEdit>(window, "FromEdit")->isEnabled());
        child<QDateEdit>(window, "FromEdit")->setDate(QDate(2028, 2, 28));
        child<QDateEdit>(window, "ToEdit")->setDate(QDate(2028, 3, 1));
        const QList<double> orders = column(window, QStringLiteral("Заказов"));
        QCOMPARE(orders.size(), 3 + 2); // 28 and 29 February, 1 March
        QCOMPARE(int(orders[1]), shop.ordersIn(QDate(2028, 2, 29), QDate(2028, 2, 29)));
        QCOMPARE(int(orders[3]), shop.ordersIn(QDate(2028, 2, 28), QDate(2028, 3, 1)));
    }

    void itemViews_data()
    {
        QTest::addColumn<int>("view");
        QTest::newRow("all") << int(ReportsWindow::AllItems);
        QTest::newRow("top sellers") << int(ReportsWindow::TopSellers);
        QTest::newRow("idle") << int(ReportsWindow::IdleItems);
        QTest::newRow("categories") << int(ReportsWindow::ByCategory);
    }
    void itemViews()
    {
        QFETCH(int, view);
        ReportShop shop;
        // An item in stock nobody bought.
        shop.write(QStringLiteral("Os.dat"),
                   {record(QStringLiteral("нет"), "0", "0"), record(QStringLiteral("Лежалая ОС"), "50", "3")});
        ReportsWindow window(shop.folder, &shop.store, &shop.errors);
        window.setToday(Today);
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::ItemsReport);
        child<QComboBox>(window, "PeriodBox")->setCurrentIndex(int(PeriodKind::LastMonth));
        child<QComboBox>(window, "ItemsViewBox")->setCurrentIndex(view);
        QVERIFY(shop.errors.reported.isEmpty());
        long long shipped = 0;
        for (const MadeRow& r : shop.maker.rows)
            if (r.row.operation == stock::ShipmentOp && r.day().month() == 2)
                shipped += r.row.quantity;
        const QList<double> sold = column(window, QStringLiteral("Продано"));
        const QList<double> stock = column(window, QStringLiteral("Остаток"));
        double total = 0;
        for (double s : sold)
            total += s;
        if (view == ReportsWindow::IdleItems) {
            QVERIFY(!sold.isEmpty());
            for (int r = 0; r < sold.size(); ++r)
                QVERIFY(sold[r] == 0 && stock[r] > 0);
            QVERIFY(window.tables().front().rows.size() > 0);
        } else {
            QCOMPARE(qint64(total), shipped);
        }
        // Clicking the revenue column sorts by its value, largest first.
        window.tableView()->sortByColumn(int(window.tables().front().headers.indexOf(QStringLiteral("Выручка, у.е."))),
                                         Qt::DescendingOrder);
        const QList<double> revenue = column(window, QStringLiteral("Выручка, у.е."));
        for (int r = 1; r < revenue.size(); ++r)
            QVERIFY(revenue[r - 1] >= revenue[r]);
    }

    void stockAndOrder()
    {
        ReportShop shop;
        ReportsWindow window(shop.folder, &shop.store, &shop.errors);
        window.setToday(Today);
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::StockReport);
        // Every list: "A" at 10 with 5 in stock; "B" has none.
        const std::vector<Table>& tables = window.tables();
        QCOMPARE(tables.size(), size_t(2));
        const std::vector<Cell>& total = tables.front().rows.back();
        QCOMPARE(total[0].text, QStringLiteral("Итого"));
        QCOMPARE(total[2].number, 30 * 5.0);
        QCOMPARE(total[3].number, 30 * 50.0);
        QVERIFY(tables[1].rows.empty());

        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::OrderReport);
        child<QSpinBox>(window, "RateDaysBox")->setValue(30);
        child<QSpinBox>(window, "HorizonBox")->setValue(60);
        const QList<double> days = column(window, QStringLiteral("Хватит на, дней"));
        QVERIFY(!days.isEmpty()); // "A" of every traded list sells faster than 5 in 60 days
        for (int r = 0; r < days.size(); ++r) {
            QVERIFY(days[r] <= 60);
            QVERIFY(r == 0 || days[r - 1] <= days[r]);
        }
        child<QSpinBox>(window, "HorizonBox")->setValue(1);
        QVERIFY(column(window, QStringLiteral("Хватит на, дней")).size() < days.size());
    }

    void remembersChoices()
    {
        ReportShop shop;
        {
            ReportsWindow window(shop.folder, &shop.store, &shop.errors);
            child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::SalesReport);
            child<QComboBox>(window, "PeriodBox")->setCurrentIndex(int(PeriodKind::Custom));
            child<QDateEdit>(window, "FromEdit")->setDate(QDate(2028, 1, 5));
            child<QDateEdit>(window, "ToEdit")->setDate(QDate(2028, 2, 29));
            child<QComboBox>(window, "GroupingBox")->setCurrentIndex(int(Grouping::Month));
            child<QComboBox>(window, "ItemsViewBox")->setCurrentIndex(ReportsWindow::IdleItems);
            child<QSpinBox>(window, "HorizonBox")->setValue(21);
        }
        ReportsWindow again(shop.folder, &shop.store, &shop.errors);
        QCOMPARE(child<QComboBox>(again, "ReportBox")->currentIndex(), int(ReportsWindow::SalesReport));
        QCOMPARE(child<QComboBox>(again, "PeriodBox")->currentIndex(), int(PeriodKind::Custom));
        QCOMPARE(child<QDateEdit>(again, "FromEdit")->date(), QDate(2028, 1, 5));
        QCOMPARE(child<QDateEdit>(again, "ToEdit")->date(), QDate(2028, 2, 29));
        QCOMPARE(child<QComboBox>(again, "GroupingBox")->currentIndex(), int(Grouping::Month));
        QCOMPARE(child<QComboBox>(again, "ItemsViewBox")->currentIndex(), int(ReportsWindow::IdleItems));
        QCOMPARE(child<QSpinBox>(again, "HorizonBox")->value(), 21);
        QCOMPARE(again.tables().front().rows.size(), size_t(2 + 2)); // January, February, totals
        // A store that cannot be opened leaves the defaults, and the window works.
        shop.store.failOpen = true;
        ReportsWindow fresh(shop.folder, &shop.store, &shop.errors);
        QCOMPARE(child<QComboBox>(fresh, "PeriodBox")->currentIndex(), 0);
        QVERIFY(shop.errors.reported.isEmpty());
    }

    void exportCsv()
    {
        ReportShop shop;
        ReportsWindow window(shop.folder, &shop.store, &shop.errors);
        window.setToday(Today);
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::StockReport);
        FakeFileChooser files;
        window.setFileChooser(&files);
        window.exportCsv(); // cancelled
        QCOMPARE(shop.dir.entryList({QStringLiteral("Отчёт*")}), QStringList());
        files.answer = shop.path(QStringLiteral("Отчёт склад.csv"));
        window.exportCsv();
        QVERIFY(shop.errors.reported.isEmpty());
        const csv::Parsed parsed = csv::parse(readBytes(files.answer));
        const std::vector<Table>& tables = window.tables();
        QCOMPARE(parsed.rows.size(), 2 + tables[0].rows.size() + 1 + 2 + tables[1].rows.size());
        QCOMPARE(parsed.rows[0].fields.front(), tables[0].title);
        QCOMPARE(parsed.rows[1].fields, tables[0].headers);
        const QStringList total = parsed.rows[1 + tables[0].rows.size()].fields;
        QCOMPARE(total[0], QStringLiteral("Итого"));
        QCOMPARE(total[3], QStringLiteral("1500") + systemDecimalSeparator() + QStringLiteral("00"));
        // A file that cannot be written is reported, and nothing is left half written.
        files.answer = shop.path(QStringLiteral("нет/Отчёт.csv"));
        window.exportCsv();
        QCOMPARE(int(shop.errors.reported.size()), 1);
    }

    void savePdfWithChart()
    {
        ReportShop shop;
        ReportsWindow window(shop.folder, &shop.store, &shop.errors);
        window.setToday(Today);
        window.show();
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::SalesReport);
        child<QComboBox>(window, "PeriodBox")->setCurrentIndex(int(PeriodKind::ThisYear));
        child<QComboBox>(window, "GroupingBox")->setCurrentIndex(int(Grouping::Month));
        FakeFileChooser files;
        files.answer = shop.path(QStringLiteral("Отчёт.pdf"));
        window.setFileChooser(&files);
        window.savePdf();
        QVERIFY(shop.errors.reported.isEmpty());
        const QByteArray pdf = readBytes(files.answer);
        QVERIFY(pdf.startsWith("%PDF"));
        const QString toText = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (toText.isEmpty())
            QSKIP("pdftotext is not installed");
        QProcess process;
        process.start(toText, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), files.answer, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(30000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        // The chart's title and the table's, and a month and a caption of the table whole.
        QVERIFY2(text.contains(window.chart()->title()), qPrintable(text.left(400)));
        QVERIFY(text.contains(window.tables().front().title));
        QVERIFY2(text.contains(QStringLiteral("Февраль 2028")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Возвращено, шт.")), qPrintable(text));
    }

    void unreadableJournal()
    {
        ReportShop shop;
        shop.remove(stock::JournalFile);
        QVERIFY(shop.dir.mkdir(stock::JournalFile)); // a folder where the journal should be
        ReportsWindow window(shop.folder, &shop.store, &shop.errors);
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::SalesReport);
        QVERIFY(!shop.errors.reported.isEmpty());
        QVERIFY(shop.errors.reported.back().contains(stock::JournalFile));
        // The stock report needs only the lists.
        shop.errors.reported.clear();
        child<QComboBox>(window, "ReportBox")->setCurrentIndex(ReportsWindow::StockReport);
        QVERIFY(shop.errors.reported.isEmpty());
        QCOMPARE(window.tables().front().rows.back()[2].number, 150.0);
    }

    void openedFromTheOwnerWindow()
    {
        ReportShop shop;
        OwnerWindow owner(shop.folder, &shop.errors);
        owner.setSettingsStore(&shop.store);
        auto* action = owner.findChild<QAction*>(QStringLiteral("ReportsAction"));
        QVERIFY(action);
        action->trigger();
        QVERIFY(owner.reportsWindow());
        QVERIFY(owner.reportsWindow()->isVisible());
        ReportsWindow* first = owner.reportsWindow();
        action->trigger(); // the same window again
        QCOMPARE(owner.reportsWindow(), first);
        QVERIFY(shop.errors.reported.isEmpty());
    }
};

QTEST_MAIN(TestReportsWindow)
#include "tst_reportswindow.moc"
