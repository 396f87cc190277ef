// The owner's reports over a journal of a million rows and 30 price lists of 10,000 items, each
// timed against reading the journal's bytes once in the same run, and the memory a report adds
// against the journal's size. With `--shop <folder> [days]` it writes a generated journal of
// that many days (365 by default) for the folder's own price lists instead, e.g. for looking at
// the reports on the sample shop.
#include "benchcommon.h"
#include "catalogue/categorytable.h"
#include "catalogue/pricelist.h"
#include "common/journalmaker.h"
#include "reports/reports.h"
#include "reports/reporttable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace korvanta;
using namespace korvanta::reports;
using namespace korvanta::testing;

namespace {

// Starts counting the peak resident memory afresh from now.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Peak resident memory since resetPeak(), in bytes.
qint64 peakBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() * 1024;
    return -1;
}

// Streams the generated rows to the file in blocks, so that making a big journal takes little memory.
qint64 writeJournal(JournalMaker& maker, const QString& path, qint64 wantedRows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block = csv::row(stock::columnTitles());
    qint64 rows = 0;
    maker.make([&](const MadeRow& r) {
        if (wantedRows > 0 && rows >= wantedRows)
            return;
        block += csv::row(r.fields(maker.decimal));
        ++rows;
        if (block.size() > (1 << 22)) {
            file.write(block);
            block.clear();
        }
    });
    file.write(block);
    return rows;
}

std::vector<MadeItem> itemsOf(const QString& folder, QChar decimal)
{
    std::vector<MadeItem> items;
    for (const ShopItem& item : loadShopItems(folder, decimal))
        items.push_back({item.file, item.record, item.name, item.price.value_or(1)});
    return items;
}

int writeShopJournal(const QString& folder, int days)
{
    const QChar decimal = QLatin1Char(',');
    JournalMaker maker;
    maker.items = itemsOf(folder, decimal);
    if (maker.items.empty())
        qFatal("no price lists in %s", qPrintable(folder));
    maker.to = QDate::currentDate();
    maker.from = maker.to.addDays(1 - days);
    maker.chargedFrom = maker.from.addDays(days / 6); // the oldest rows without the charged columns
    maker.ordersPerDay = 5;
    const qint64 rows = writeJournal(maker, QDir(folder).filePath(stock::JournalFile), 0);
    std::printf("%lld rows over %d days written to %s\n", rows, days,
                qPrintable(QDir(folder).filePath(stock::JournalFile)));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QStringLiteral("--shop"))
        return writeShopJournal(args[2], args.size() > 3 ? args[3].toInt() : 365);

    QTemporaryDir dir;
    const QByteArray list = bench::makePriceList(10000);
    for (Cat c : allCategories())
        for (const QString& file : category(c).files) {
            QFile f(dir.filePath(file));
            if (!f.open(QIODevice::WriteOnly))
                qFatal("cannot write %s", qPrintable(file));
            f.write(list);
        }
    const QChar decimal = QLatin1Char(',');
    JournalMaker maker;
    maker.items = itemsOf(dir.path(), decimal);
    maker.to = QDate(2026, 12, 31);
    maker.from = QDate(2026, 1, 1);
    maker.chargedFrom = QDate(2026, 3, 1);
    maker.ordersPerDay = 560; // about 2,800 rows a day
    const QString path = QDir(dir.path()).filePath(stock::JournalFile);
    const qint64 rows = writeJournal(maker, path, 1000000);
    maker.items.clear();
    maker.items.shrink_to_fit();
    const qint64 size = QFileInfo(path).size();
    const QDate today = maker.to;
    const Period year{maker.from, maker.to};
    const Period month = periodOf(PeriodKind::ThisMonth, today);
    struct Run {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Run> runs{
        {"sales, this month by day", [&] { salesTable(salesReport(readJournal(dir.path()), month, Grouping::Day)); }},
        {"sales, the year by week", [&] { salesTable(salesReport(readJournal(dir.path()), year, Grouping::Week)); }},
        {"items, the year",
         [&] {
             const ItemsReport r = itemsReport(readJournal(dir.path()), loadShopItems(dir.path(), decimal), year);
             itemsTable(r.items, QString());
         }},
        {"stock on hand", [&] { stockTable(stockReport(loadShopItems(dir.path(), decimal))); }},
        {"what to order, 14 of 30 days",
         [&] { orderTable(whatToOrder(readJournal(dir.path()), loadShopItems(dir.path(), decimal), today, 14, 30)); }},
    };
    // Memory first, while freed memory still goes back to the system: what each report adds at
    // its peak to what the process held before it.
    std::vector<double> memory;
    for (const Run& r : runs) {
        resetPeak();
        const qint64 before = bench::residentBytes();
        r.run();
        memory.push_back(double(peakBytes() - before) / double(size));
    }
    bench::startBenchmark();
    const double floor = bench::bestOf(5, [&] {
        if (readJournal(dir.path()).isEmpty())
            qFatal("empty journal");
    });
    std::printf("journal of %lld rows, %.1f MB; 30 lists of 10,000 items\n", rows, double(size) / 1e6);
    std::printf("floor: read the journal's bytes        %8.1f ms\n", floor);
    for (size_t i = 0; i < runs.size(); ++i) {
        const double ms = bench::bestOf(3, runs[i].run);
        std::printf("%-38s %8.1f ms  ratio %.2f  peak memory %.2f x journal\n", runs[i].name, ms, ms / floor,
                    memory[i]);
    }
    return 0;
}
