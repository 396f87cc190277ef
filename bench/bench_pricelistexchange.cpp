// Importing a supplier's price update against the floor: 30 lists of 10,000 items each, the whole
// export brought back with 1% of the prices changed, next to reading every list and writing each
// back in one step (what any import must at least do); then 1% of the stocks changed, each
// journaled as a correction. Run by hand from an optimised build.
#include "catalogue/categorytable.h"
#include "catalogue/pricelistexchange.h"
#include "files/atomicfile.h"
#include "stock/pricelistjournal.h"
#include "text/csv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ctime>

#include "benchcommon.h"

using namespace korvanta;
using namespace korvanta::bench;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

// The export with the price (column 3) or the stock (column 7) of every hundredth record changed.
QByteArray withChanged(const QByteArray& exported, int column)
{
    const csv::Parsed parsed = csv::parse(exported);
    QByteArray out;
    out.reserve(exported.size());
    for (size_t i = 0; i < parsed.rows.size(); ++i) {
        QStringList fields = parsed.rows[i].fields;
        if (i > 0 && i % 100 == 0)
            fields[column] =
                column == 7 ? QString::number(fields[column].toInt() + 1000) : QStringLiteral("1") + fields[column];
        out += csv::row(fields);
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    startBenchmark();
    QCoreApplication app(argc, argv);
    constexpr int Records = 10000;
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("no temporary folder");
    QStringList files;
    for (Cat c : allCategories())
        files += category(c).files;
    const QByteArray list = makePriceList(Records);
    for (const QString& file : files) {
        QFile f(QDir(dir.path()).filePath(file));
        if (!f.open(QIODevice::WriteOnly) || f.write(list) != list.size())
            qFatal("cannot write %s", qPrintable(file));
    }

    const QChar comma = QLatin1Char(',');
    double exportMs = 0;
    QByteArray original;
    exportMs = bestOf(3, [&] { original = exportPriceLists(dir.path()); });
    // Each run flips the changed prices, so every run writes all 30 lists.
    const QByteArray sheets[2] = {withChanged(original, 3), original};
    int run = 0;
    int changes = 0;
    double planMs = 0;
    double importCpuMs = std::numeric_limits<double>::max();
    const double importMs = bestOf(6, [&] {
        QElapsedTimer t;
        t.start();
        const std::clock_t cpu = std::clock();
        const ImportPlan plan = planImport(sheets[run++ % 2], dir.path(), comma);
        planMs = double(t.nsecsElapsed()) / 1e6;
        changes = int(plan.items.size());
        if (applyImport(plan, dir.path()).size() != files.size())
            qFatal("not every list was written");
        importCpuMs = std::min(importCpuMs, double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC);
    });
    double floorCpuMs = std::numeric_limits<double>::max();
    const double floorMs = bestOf(6, [&] {
        const std::clock_t cpu = std::clock();
        for (const QString& file : files) {
            const QString path = QDir(dir.path()).filePath(file);
            if (!replaceFile(path, readAll(path)).isEmpty())
                qFatal("cannot replace %s", qPrintable(file));
        }
        floorCpuMs = std::min(floorCpuMs, double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC);
    });
    // Stocks: every import journals its changes, so the journal grows by 30 appends a run.
    const QByteArray stockSheets[2] = {withChanged(original, 7), original};
    stock::Journal journal(dir.path());
    int stockChanges = 0;
    const double stockMs = bestOf(6, [&] {
        const ImportPlan plan = planImport(stockSheets[run++ % 2], dir.path(), comma);
        stockChanges = int(plan.items.size());
        stock::PriceListJournal rows(journal);
        if (applyImport(plan, dir.path(), rows.observer()).size() != files.size())
            qFatal("not every list was written");
    });

    std::printf("%d lists x %d records, sheet %lld bytes, %d prices changed\n", int(files.size()), Records,
                (long long)original.size(), changes);
    std::printf("export %.1f ms\n", exportMs);
    std::printf("import %.1f ms (last preview %.1f ms), floor (read + replace every list) %.1f ms, ratio %.2f\n",
                importMs, planMs, floorMs, importMs / floorMs);
    // On a busy machine the processor time says more than the clock on the wall.
    std::printf("processor time: import %.1f ms, floor %.1f ms, ratio %.2f\n", importCpuMs, floorCpuMs,
                importCpuMs / floorCpuMs);
    std::printf("import of %d stocks with their journal rows %.1f ms, ratio to the floor %.2f\n", stockChanges, stockMs,
                stockMs / floorMs);
    return 0;
}
