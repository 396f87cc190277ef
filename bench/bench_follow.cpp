// Following another copy's change of a price list: noticing it, reading the list again and showing
// its page with the choice kept, against reading the same list once; and the check of the order's
// lists just before printing. Run by hand; it is not a test.
#include "files/shopwatcher.h"
#include "presentation/mainstate.h"
#include "quotation/summary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include "benchcommon.h"

using namespace korvanta;
using namespace korvanta::bench;

int main(int argc, char** argv)
{
    startBenchmark();
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
    QTemporaryDir tmp;
    const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    const QString path = QDir(folder).filePath(QStringLiteral("Monitor.dat"));
    // Two versions of the list: another copy changes one price back and forth.
    const PriceList first = PriceList::fromBytes(makePriceList(records));
    PriceList second = first;
    second.replace(5 * RecordLines + PriceLine, QStringLiteral("999,00"));
    savePriceList(first, path);

    MainState state(Facilities{}, QLatin1Char(','), folder);
    state.enterPage(Page::Mon);
    state.chooseItem(Cat::Mon, 5);
    ShopWatcher watcher(folder, 0);
    for (Cat c : allCategories())
        for (const QString& file : category(c).files)
            watcher.follow(file);

    double follow = 1e300, notice = 1e300, read = 1e300, floor = 1e300, check = 1e300;
    for (int r = 0; r < runs; ++r) {
        savePriceList(r % 2 ? first : second, path);
        notice = std::min(notice, bestOf(1, [&] { watcher.check(); }));
        follow = std::min(follow, bestOf(1, [&] { state.followShop(Page::Mon); }));
        read = std::min(read, bestOf(1, [&] { loadPriceList(path); }));
        floor = std::min(floor, bestOf(1, [&] { readAndSplit(QFile::encodeName(path).constData()); }));
        const QStringList lines = composeSummary(state.order);
        check = std::min(check, bestOf(1, [&] { state.checkOrderBeforePrint(lines); }));
    }
    std::printf("a list of %d records (%lld bytes), best of %d, %s\n", records,
                static_cast<long long>(QFile(path).size()), runs, qPrintable(folder));
    std::printf("%-48s %8.3f ms\n", "noticing: the stamps of the 30 lists", notice);
    std::printf("%-48s %8.3f ms\n", "following: read again, relist, choice shown", follow);
    std::printf("%-48s %8.3f ms\n", "reading the list once (the program's read)", read);
    std::printf("%-48s %8.3f ms\n", "floor: plain read and split", floor);
    std::printf("%-48s %8.3f ms\n", "check before printing, one list of the order", check);
    std::printf("noticing and following: %.2f x reading the list once (%.2f x the floor)\n", (notice + follow) / read,
                (notice + follow) / floor);
    return 0;
}
