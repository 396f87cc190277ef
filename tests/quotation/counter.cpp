// One counter of a shop for the test of several counters on one folder, driving the real core:
//   counter ship <folder> <times>   chooses record 1 of "Proc_int.dat" and "Mat_int.dat" and ships
//                                   that order <times> times; prints the pieces shipped from each
//                                   list and the orders refused for a busy list
//                                   (then it ends with 4);
//   counter time <folder> <times>   ships that order <times> times and prints the median time of
//                                   one shipment in milliseconds, then the fastest and the slowest;
//   counter print <folder> <times> <name>  the same order printed and shipped <times> times, each
//                                   for the customer "<name> <i>"; prints "<customer>;<last line
//                                   of the paper>" for each;
//   counter read <folder> <stop>    reads both lists over and over until the file <stop> exists,
//                                   and fails on any read that is not a whole list;
//   counter edit <folder> <file> <record> <field> <text>
//                                   the owner's change of one field (ItemField number) of a record;
//   counter receive <folder> <file> <record> <quantity> <times>
//                                   receives goods <times> times, a journal row each;
//   counter setstock <folder> <file> <record> <count>
//                                   the owner sets a record's stock;
//   counter ownerstock <folder> <file> <record> <count>
//                                   the owner's item editor sets a record's stock, journaled;
//   counter import <folder>         a spreadsheet sets record 1's stock in both lists to 800 and 900;
//   counter return <folder> <order> takes back every row of the order not yet returned;
//   counter accept <folder>         Сверка: accepts every file count that differs from the journal.
// With KORVANTA_COUNTER_KILL_AT=n the counter kills itself at its n-th step of changing a file (a
// rename, a removal, a write, the making of a lock), before the step.
// With KORVANTA_COUNTER_HOST set, the counter says in its locks that it runs on a computer of that
// name (another computer of the shop).
#include "base/error.h"
#include "catalogue/pricelistediting.h"
#include "catalogue/pricelistexchange.h"
#include "files/filelock.h"
#include "files/filesystem.h"
#include "presentation/mainstate.h"
#include "quotation/shipment.h"
#include "quotation/summary.h"
#include "stock/movements.h"
#include "stock/pricelistjournal.h"
#include "text/conversions.h"
#include "text/cp1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

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
    std::error_code makeDirectory(const QString& path) override
    {
        step();
        return FileSystem::makeDirectory(path);
    }
    bool writeAt(QFile& file, qint64 offset, const QByteArray& bytes) override
    {
        step();
        return FileSystem::writeAt(file, offset, bytes);
    }
};

// Every counter sells the same order: record 1 of "Proc_int.dat" and of "Mat_int.dat".
void chooseTheOrder(MainState& state)
{
    state.choosePlatform(ProcessorPlatform::Intel);
    state.enterPage(Page::Proc);
    state.chooseItem(Cat::Proc, 1);
    state.chooseItem(Cat::Mat, 1);
}

int ship(const QString& folder, int times)
{
    MainState state(Facilities{}, QLatin1Char('.'), folder);
    chooseTheOrder(state);
    // What went out of each list, and the orders refused for a list another copy held too long.
    long long proc = 0, mat = 0;
    int refused = 0;
    for (int i = 0; i < times; ++i) {
        try {
            shipOrder(state,
                      [&](const ShippedItem& item) { (item.fileName == Watched[0] ? proc : mat) += item.quantity; });
        } catch (const LockError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            ++refused;
        }
    }
    std::printf("%lld %lld %d\n", proc, mat, refused);
    return refused ? 4 : 0;
}

int time(const QString& folder, int times)
{
    MainState state(Facilities{}, QLatin1Char('.'), folder);
    chooseTheOrder(state);
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        shipOrder(state);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%.1f %.1f %.1f\n", median, ms.front(), ms.back());
    return 0;
}

// The paper's last line is its number.
struct PaperPrinter : Printer {
    QString last;
    bool setup() override { return true; }
    void print(const QStringList& lines, const QString&) override { last = lines.last(); }
};

int print(const QString& folder, int times, const QString& name)
{
    MainState state(Facilities{}, QLatin1Char('.'), folder);
    chooseTheOrder(state);
    PaperPrinter printer;
    for (int i = 0; i < times; ++i) {
        state.order.customer = QStringLiteral("%1 %2").arg(name).arg(i);
        QStringList lines = composeSummary(state.order);
        printSummary(state, lines, &printer, nullptr);
        std::printf("%s;%s\n", qPrintable(state.order.customer), qPrintable(printer.last));
    }
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

int edit(const QStringList& args)
{
    const QString folder = args.at(2);
    const QString file = args.at(3);
    const int record = args.at(4).toInt();
    const PriceItem seen = itemAt(loadPriceList(QDir(folder).filePath(file)), record);
    PriceItem edited = seen;
    edited[ItemField(args.at(5).toInt())] = args.at(6);
    editItem(folder, file, record, seen, edited, QLatin1Char(','));
    return 0;
}

int receive(const QStringList& args)
{
    stock::Journal journal(args.at(2));
    const QString file = args.at(3);
    const int record = args.at(4).toInt();
    const QString name = recordLine(loadPriceList(QDir(args.at(2)).filePath(file)), record, NameLine);
    for (int i = 0; i < args.at(6).toInt(); ++i)
        stock::receiveGoods(journal, {file, record, name}, args.at(5).toLongLong(), stock::Actor{});
    return 0;
}

int setStock(const QStringList& args)
{
    stock::Journal journal(args.at(2));
    const QString file = args.at(3);
    const int record = args.at(4).toInt();
    const QString name = recordLine(loadPriceList(QDir(args.at(2)).filePath(file)), record, NameLine);
    stock::setStock(journal, {file, record, name}, args.at(5).toLongLong(), stock::Actor{});
    return 0;
}

int ownerStock(const QStringList& args)
{
    stock::Journal journal(args.at(2));
    const QString file = args.at(3);
    const int record = args.at(4).toInt();
    const PriceItem seen = itemAt(loadPriceList(journal.listPath(file)), record);
    PriceItem edited = seen;
    edited[ItemField::Stock] = args.at(5);
    stock::PriceListJournal rows(journal);
    editItem(journal.directory(), file, record, seen, edited, QLatin1Char(','), rows.observer());
    return 0;
}

int import(const QStringList& args)
{
    stock::Journal journal(args.at(2));
    const QByteArray sheet =
        cp1251::encode(QStringLiteral("Файл;Номер;Остаток\r\nProc_int.dat;2;800\r\nMat_int.dat;2;900\r\n"));
    stock::PriceListJournal rows(journal);
    applyImport(planImport(sheet, journal.directory(), QLatin1Char(',')), journal.directory(), rows.observer());
    return 0;
}

int takeBack(const QStringList& args)
{
    stock::Journal journal(args.at(2));
    stock::returnItems(journal, args.at(3).toLongLong(), {}, stock::Actor{});
    return 0;
}

int accept(const QStringList& args)
{
    stock::Journal journal(args.at(2));
    stock::completePendingMoves(journal);
    for (const stock::Discrepancy& d : stock::reconcile(journal))
        stock::acceptFileCount(journal, d, stock::Actor{});
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
        if (args.size() == 4 && args.at(1) == QLatin1String("time") && args.at(3).toInt() > 0)
            return time(args.at(2), args.at(3).toInt());
        if (args.size() == 5 && args.at(1) == QLatin1String("print"))
            return print(args.at(2), args.at(3).toInt(), args.at(4));
        if (args.size() == 4 && args.at(1) == QLatin1String("read"))
            return read(args.at(2), args.at(3));
        if (args.size() == 7 && args.at(1) == QLatin1String("edit"))
            return edit(args);
        if (args.size() == 7 && args.at(1) == QLatin1String("receive"))
            return receive(args);
        if (args.size() == 6 && args.at(1) == QLatin1String("setstock"))
            return setStock(args);
        if (args.size() == 6 && args.at(1) == QLatin1String("ownerstock"))
            return ownerStock(args);
        if (args.size() == 3 && args.at(1) == QLatin1String("import"))
            return import(args);
        if (args.size() == 4 && args.at(1) == QLatin1String("return"))
            return takeBack(args);
        if (args.size() == 3 && args.at(1) == QLatin1String("accept"))
            return accept(args);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr,
                 "usage: counter ship <folder> <times> | time <folder> <times> | print <folder> <times> <name> | read "
                 "<folder> <stop> | "
                 "edit <folder> <file> <record> <field> <text> | receive <folder> <file> <record> <quantity> "
                 "<times> | setstock <folder> <file> <record> <count> | ownerstock <folder> <file> <record> <count> | "
                 "import <folder> | return <folder> <order> | "
                 "accept <folder>\n");
    return 3;
}
