// Page entry against the floor: how long entering a page with a large price list takes (read the
// file, split it into lines, list the names), next to the plainest C++ that reads the same bytes
// and splits them into lines; and the resident memory the loaded list adds, against the file's
// size. Run by hand from an optimised build; it is not a test.
#include "choicelist/namefinder.h"
#include "presentation/categorypages.h"
#include "presentation/mainstate.h"
#include "text/cp1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#include "benchcommon.h"

using namespace korvanta;
using namespace korvanta::bench;

namespace {

QString writeList(const QString& folder, int records)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Monitor.dat"));
    const QByteArray bytes = makePriceList(records);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the price list");
    return path;
}

// In a fresh process: the resident memory that entering the page adds.
int measureMemory(int records)
{
    QTemporaryDir dir;
    const QString path = writeList(dir.path(), records);
    MainState state(Facilities{}, QLatin1Char(','), dir.path());
    const qint64 before = residentBytes();
    state.enterPage(Page::Mon);
    const qint64 after = residentBytes();
    std::printf("%lld %lld\n", static_cast<long long>(QFileInfo(path).size()), static_cast<long long>(after - before));
    return 0;
}

double memoryOf(int records)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), QString::number(records)});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return -1;
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    return parts.size() == 2 && parts[0].toDouble() > 0 ? parts[1].toDouble() / parts[0].toDouble() : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--memory") == 0)
        return measureMemory(QByteArray(argv[2]).toInt());
    startBenchmark();
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("no temporary folder");

    std::printf("%9s %10s %11s %10s %10s %11s %7s %12s %13s\n", "records", "bytes", "entry ms", "load ms", "list ms",
                "floor ms", "ratio", "memory/file", "first key ms");
    for (int records : {1000, 20000, 100000}) {
        const QString path = writeList(dir.path(), records);
        const qint64 bytes = QFileInfo(path).size();
        const int runs = records >= 100000 ? 9 : 25;
        const QByteArray nativePath = QFile::encodeName(path);

        MainState state(Facilities{}, QLatin1Char(','), dir.path());
        int listed = 0;
        const double entry = bestOf(runs, [&] {
            state.resetChoices();
            state.enterPage(Page::Mon);
            listed = int(state.pages.view(Cat::Mon).box.items.size());
        });
        if (listed != records)
            qFatal("listed %d of %d records", listed, records);

        // The two halves of the entry on their own.
        PriceList list;
        const double load = bestOf(runs, [&] { list = loadPriceList(path); });
        const double fill = bestOf(runs, [&] {
            ChoiceList box;
            fillChoiceList(list, box);
            listed = int(box.items.size());
        });
        if (listed != records)
            qFatal("listed %d of %d records", listed, records);

        // The first key of type-to-find in a freshly listed list: the index of the names is built
        // and every name is searched.
        size_t found = 0;
        const ChoiceItems names = recordNames(list);
        const double firstKey = bestOf(runs, [&] {
            NameFinder finder(names);
            found = finder.find(QStringLiteral("I")).size();
        });
        if (found != size_t(records))
            qFatal("found %zu of %d names", found, records);

        size_t lineCount = 0;
        const double floor = bestOf(runs, [&] { lineCount = readAndSplit(nativePath.constData()).lines.size(); });
        if (lineCount != size_t(records) * 7)
            qFatal("the floor split %zu lines", lineCount);

        std::printf("%9d %10lld %11.3f %10.3f %10.3f %11.3f %7.2f %12.2f %13.3f\n", records,
                    static_cast<long long>(bytes), entry, load, fill, floor, entry / floor, memoryOf(records),
                    firstKey);
    }
    return 0;
}
