// Shipping one order of ten items, locked against other counters, next to the same shipment
// without the locks: the cost of "lock, read the list as it is now, change, replace, unlock" over
// "read, change, replace", and over writing the list held in memory. Run by hand; it is not a test.
#include "presentation/mainstate.h"
#include "quotation/shipment.h"
#include "text/conversions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "benchcommon.h"

using namespace korvanta;
using namespace korvanta::bench;

namespace {

const Cat OrderCategories[] = {Cat::Proc, Cat::Mat,  Cat::Fun, Cat::RAM,   Cat::Fun1,
                               Cat::Case, Cat::Vint, Cat::CD,  Cat::Video, Cat::Mon};
constexpr int Record = 5;

// The same ten price lists changed as before, without any lock: `reread` reads each file as it
// is now, otherwise the list in memory is written.
void shipUnlocked(MainState& state, bool reread)
{
    for (Cat c : OrderCategories) {
        const PriceList* list = state.catalogue.records(c);
        const QString path = state.catalogue.pathOf(state.catalogue.fileFor(c));
        PriceList now = reread ? loadPriceList(path) : *list;
        const int line = Record * RecordLines + StockLine;
        now.replace(line, intToText(textToInt(now.at(line)) - 1));
        savePriceList(now, path);
        state.catalogue.replaceRecords(c, std::move(now));
    }
}

} // namespace

int main(int argc, char** argv)
{
    startBenchmark();
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
    // A folder given as the third argument (a shared drive, say) is used instead of a temporary one.
    QTemporaryDir tmp;
    const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    const QByteArray list = makePriceList(records);
    for (Cat c : allCategories())
        for (const QString& file : category(c).files) {
            QFile f(QDir(folder).filePath(file));
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(list) != list.size())
                qFatal("cannot write %s", qPrintable(f.fileName()));
        }

    MainState state(Facilities{}, QLatin1Char(','), folder);
    state.choosePlatform(ProcessorPlatform::Intel);
    for (Cat c : OrderCategories) {
        state.enterPage(category(c).page);
        state.chooseItem(c, Record);
    }

    // Interleaved, so that the disk's moods fall on all three alike.
    double locked = 1e300, reread = 1e300, memory = 1e300;
    for (int r = 0; r < runs; ++r) {
        locked = std::min(locked, bestOf(1, [&] { shipOrder(state); }));
        reread = std::min(reread, bestOf(1, [&] { shipUnlocked(state, true); }));
        memory = std::min(memory, bestOf(1, [&] { shipUnlocked(state, false); }));
    }
    const int files = int(std::size(OrderCategories));
    std::printf("ten-item order, %d records (%lld bytes) per list, best of %d, %s\n", records,
                static_cast<long long>(list.size()), runs, qPrintable(folder));
    std::printf("%-34s %10s %12s\n", "", "order ms", "per file ms");
    std::printf("%-34s %10.3f %12.3f\n", "locked (read as it is now)", locked, locked / files);
    std::printf("%-34s %10.3f %12.3f\n", "floor: unlocked, read as it is now", reread, reread / files);
    std::printf("%-34s %10.3f %12.3f\n", "floor: unlocked, list in memory", memory, memory / files);
    std::printf("locking adds %.3f ms per file (ratio %.2f); with the rereading %.3f ms per file (ratio %.2f)\n",
                (locked - reread) / files, locked / reread, (locked - memory) / files, locked / memory);
    return 0;
}
