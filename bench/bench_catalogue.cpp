// Page entry against the floor: how long entering a page with a large price list takes (read the
// file, split it into lines, list the names), next to the plainest C++ that reads the same bytes
// and splits them into lines. Run by hand from an optimised build; it is not a test.
#include "catalogue.h"
#include "cp1251.h"
#include "mainstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace korvanta;

namespace {

// A monitor price list of `records` seven-line records, CR LF ends, as the shop writes them.
QByteArray makePriceList(int records)
{
    QByteArray out;
    out.reserve(qsizetype(records) * 170);
    for (int i = 0; i < records; ++i) {
        const QString lines[7] = {
            QStringLiteral("Монитор 27\" IPS модель %1").arg(i),
            QStringLiteral("%1,%2").arg(100 + i % 900).arg(i % 100, 2, 10, QLatin1Char('0')),
            QStringLiteral("MON-%1").arg(i, 6, 10, QLatin1Char('0')),
            QStringLiteral("36 мес."),
            QString::number(i % 13 - 2),
            QStringLiteral("2560x1440, 165 Гц, 1 мс, HDMI, DisplayPort, регулировка по высоте, %1").arg(i % 7),
            QStringLiteral("03.11.2026"),
        };
        for (const QString& line : lines) {
            out += cp1251::encode(line);
            out += "\r\n";
        }
    }
    return out;
}

// The floor: read the whole file, split it at line feeds (dropping the CR before them).
struct Floor {
    std::unique_ptr<char[]> buffer;
    std::vector<std::string_view> lines;
};

Floor readAndSplit(const char* path)
{
    Floor f;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        qFatal("cannot open %s", path);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    f.buffer.reset(new char[size_t(size)]);
    if (std::fread(f.buffer.get(), 1, size_t(size), file) != size_t(size))
        qFatal("cannot read %s", path);
    std::fclose(file);
    const char* p = f.buffer.get();
    const char* end = p + size;
    f.lines.reserve(size_t(size) / 16);
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* stop = nl ? nl : end;
        const char* e = (stop > p && stop[-1] == '\r') ? stop - 1 : stop;
        f.lines.emplace_back(p, size_t(e - p));
        p = nl ? nl + 1 : end;
    }
    return f;
}

template <typename F> double bestOf(int runs, F&& f)
{
    double best = std::numeric_limits<double>::max();
    QElapsedTimer timer;
    for (int r = 0; r < runs; ++r) {
        timer.start();
        f();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef __GLIBC__
    // Keep freed memory in the process for the next run: otherwise each run may pay the kernel for
    // fresh pages, which on a virtual machine costs more than the work measured, on both sides.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    QCoreApplication app(argc, argv);
#ifndef NDEBUG
    std::printf("warning: built without optimisation; build with -DCMAKE_BUILD_TYPE=Release for figures\n");
#endif
    QTemporaryDir dir;
    if (!dir.isValid())
        qFatal("no temporary folder");

    std::printf("%9s %10s %11s %10s %10s %11s %7s\n", "records", "bytes", "entry ms", "load ms", "list ms", "floor ms",
                "ratio");
    for (int records : {1000, 10000, 100000}) {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("Monitor.dat"));
        const QByteArray bytes = makePriceList(records);
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                qFatal("cannot write the price list");
        }
        const int runs = records >= 100000 ? 9 : 25;
        const QByteArray nativePath = QFile::encodeName(path);

        MainState state(Facilities{}, QLatin1Char(','), dir.path());
        int listed = 0;
        const double entry = bestOf(runs, [&] {
            state.zero();
            state.sheetEnter(Page::Mon);
            listed = int(state.catalogue.view(Cat::Mon).box.items.size());
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

        size_t lineCount = 0;
        const double floor = bestOf(runs, [&] { lineCount = readAndSplit(nativePath.constData()).lines.size(); });
        if (lineCount != size_t(records) * 7)
            qFatal("the floor split %zu lines", lineCount);

        std::printf("%9d %10lld %11.3f %10.3f %10.3f %11.3f %7.2f\n", records, static_cast<long long>(bytes.size()),
                    entry, load, fill, floor, entry / floor);
    }
    return 0;
}
