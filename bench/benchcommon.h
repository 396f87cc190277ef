#pragma once

// What the benchmarks share: a generated price list, the floor (read and split the same bytes with
// plain code) and best-of timing.
#include "text/cp1251.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>
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
#ifdef __linux__
#include <unistd.h>
#endif

namespace korvanta::bench {

// A monitor price list of `records` seven-line records, CR LF ends, as the shop writes them.
inline QByteArray makePriceList(int records)
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

inline Floor readAndSplit(const char* path)
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

// Keeps freed memory in the process for the next run: otherwise each run may pay the kernel for
// fresh pages, which on a virtual machine costs more than the work measured, on both sides.
inline void keepFreedMemory()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

// What every benchmark does first: keeps freed memory, and says when its figures mean little.
inline void startBenchmark()
{
    keepFreedMemory();
#ifndef NDEBUG
    std::printf("warning: built without optimisation; build with -DCMAKE_BUILD_TYPE=Release for figures\n");
#endif
}

// The process's resident memory in bytes, or -1 where the system does not tell.
inline qint64 residentBytes()
{
#ifdef __linux__
    long long size = 0, resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    const bool read = f && std::fscanf(f, "%lld %lld", &size, &resident) == 2;
    if (f)
        std::fclose(f);
    return read ? qint64(resident) * sysconf(_SC_PAGESIZE) : -1;
#else
    return -1;
#endif
}

} // namespace korvanta::bench
