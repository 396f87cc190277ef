// One counter of a shop for the test of several counters on one folder, driving the real core:
//   counter ship <folder> <times>   chooses record 1 of "Proc_int.dat" and "Mat_int.dat" and ships
//                                   that order <times> times;
//   counter read <folder> <stop>    reads both lists over and over until the file <stop> exists,
//                                   and fails on any read that is not a whole list.
// With KORVANTA_COUNTER_KILL_AT=n the counter kills itself at its n-th step of changing a file (a
// rename, a removal, an append), before the step.
// With KORVANTA_COUNTER_HOST set, the counter says in its locks that it runs on a computer of that
// name (another computer of the shop).
#include "conversions.h"
#include "error.h"
#include "filelock.h"
#include "filesystem.h"
#include "mainstate.h"
#include "shipment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>

#include <csignal>
#include <cstdio>

using namespace korvanta;

namespace {

const QStringList Watched = {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")};
constexpr int StockOfRecord1 = RecordLines + StockLine;

// Counts the steps that change files and dies at the chosen one.
struct KillingFileSystem : FileSystem {
    int left;
    explicit KillingFileSystem(int at) : left(at) {}
    void step()
    {
        if (--left == 0)
            std::raise(SIGKILL);
    }
    std::error_code rename(const QString& from, const QString& to) override
    {
        step();
        return FileSystem::rename(from, to);
    }
    bool remove(const QString& path) override
    {
        step();
        return FileSystem::remove(path);
    }
    bool writeAt(QFile& file, qint64 offset, const QByteArray& bytes) override
    {
        step();
        return FileSystem::writeAt(file, offset, bytes);
    }
};

int ship(const QString& folder, int times)
{
    MainState state(Facilities{}, QLatin1Char('.'), folder);
    state.procGroupClick(0);
    state.sheetEnter(Page::Proc);
    state.boxChange(Cat::Proc, 1);
    state.boxChange(Cat::Mat, 1);
    for (int i = 0; i < times; ++i)
        shipOrder(state);
    return 0;
}

// Every read must be the list as first read, but for the count of record 1.
int read(const QString& folder, const QString& stop)
{
    QList<PriceList> first;
    for (const QString& name : Watched)
        first.append(loadPriceList(QDir(folder).filePath(name)));
    long long reads = 0;
    bool last = false;
    while (!last) {
        last = QFile::exists(stop);
        for (int f = 0; f < Watched.size(); ++f) {
            const PriceList now = loadPriceList(QDir(folder).filePath(Watched.at(f)));
            ++reads;
            bool whole = now.count() == first.at(f).count();
            for (int i = 0; whole && i < now.count(); ++i) {
                if (i == StockOfRecord1)
                    textToInt(now.at(i));
                else
                    whole = now.bytesAt(i) == first.at(f).bytesAt(i);
            }
            if (!whole) {
                std::fprintf(stderr, "torn read of %s: %d lines\n", qPrintable(Watched.at(f)), now.count());
                return 2;
            }
        }
    }
    std::printf("%lld\n", reads);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    static KillingFileSystem killer(qEnvironmentVariableIntValue("KORVANTA_COUNTER_KILL_AT"));
    if (killer.left > 0)
        setFileSystem(&killer);
    if (qEnvironmentVariableIsSet("KORVANTA_COUNTER_HOST"))
        FileLock::setComputer(qEnvironmentVariable("KORVANTA_COUNTER_HOST"), QSysInfo::machineUniqueId());
    try {
        if (args.size() == 4 && args.at(1) == QLatin1String("ship"))
            return ship(args.at(2), args.at(3).toInt());
        if (args.size() == 4 && args.at(1) == QLatin1String("read"))
            return read(args.at(2), args.at(3));
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: counter ship <folder> <times> | read <folder> <stop>\n");
    return 3;
}
