// Printing an order and shipping it: the stock counts in the price lists and their files.
#include "base/error.h"
#include "common/failure.h"
#include "common/fakes.h"
#include "common/testshop.h"
#include "files/filelock.h"
#include "presentation/mainstate.h"
#include "quotation/shipment.h"
#include "quotation/summary.h"
#include "stock/journalreader.h"

#include <QDateTime>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// A shop whose every price list holds the none entry, an item with 5 in stock and one with none;
// its snapshots cover the price lists and the client file, the journal has tests of its own.
struct Shop : TestShop {
    Fakes fakes;
    std::unique_ptr<MainState> state;
    QStringList lines; // the summary window's text

    Shop()
    {
        watched = QStringList{QStringLiteral("*.dat")};
        state = std::make_unique<MainState>(fakes.facilities(), QLatin1Char('.'), folder);
    }

    // As the window does it: the page is entered, then the item is picked in the choice list.
    void choose(Cat c, int index)
    {
        state->enterPage(category(c).page);
        state->chooseItem(c, index);
    }
    void choose(std::initializer_list<std::pair<Cat, int>> choices)
    {
        for (const auto& [c, index] : choices)
            choose(c, index);
    }
    // Every file dated long ago, so that a rewrite shows; and the files as they are then.
    Snapshot aged() const
    {
        ageAll();
        return snapshot();
    }
    QString stockInFile(const QString& file, int record) const { return recordLine(list(file), record, StockLine); }
    QString stockInMemory(Cat c, int list, int record) const
    {
        return recordLine(state->catalogue.list(c, list), record, StockLine);
    }
    void print()
    {
        lines = composeSummary(state->order);
        printSummary(*state, lines, &fakes.printer, &fakes.messageBox);
    }
};

// The file as it was written, with `stock` as the count of record 1.
QByteArray shippedFile(const QString& file, const QString& stock)
{
    QList<QStringList> records = TestShop::smallRecords(file);
    records[1][4] = stock;
    QStringList lines;
    for (const QStringList& r : records)
        lines += r;
    return crlf(lines);
}

// Lowers the process's file size limit for as long as it lives; writes past it fail with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace

class TestShipment : public QObject {
    Q_OBJECT

private slots:
    void quantitiesAreSubtracted()
    {
        Shop shop;
        shop.choose(Cat::RAM, 1);
        shop.state->chooseMemoryCount(1); // two modules
        shop.choose(Cat::Fun1, 1);
        shop.state->chooseFanCount(2); // three fans
        shop.choose(Cat::Case, 1);
        QCOMPARE(shop.state->order.computer.memoryCount, quint16(2));
        shop.print();
        QCOMPARE(shop.bytes(QStringLiteral("Ram.dat")), shippedFile(QStringLiteral("Ram.dat"), QStringLiteral("3")));
        QCOMPARE(shop.bytes(QStringLiteral("Fun1.dat")), shippedFile(QStringLiteral("Fun1.dat"), QStringLiteral("2")));
        QCOMPARE(shop.bytes(QStringLiteral("Case.dat")), shippedFile(QStringLiteral("Case.dat"), QStringLiteral("4")));
        // Memory and file agree afterwards.
        QCOMPARE(shop.stockInMemory(Cat::RAM, 0, 1), QStringLiteral("3"));
        QCOMPARE(shop.stockInMemory(Cat::Case, 0, 1), QStringLiteral("4"));
        // The selection and the page are left as they were.
        QCOMPARE(shop.state->order.computer[Cat::RAM].item, QStringLiteral("Ram A - 2шт."));
        QCOMPARE(shop.state->pages.view(Cat::RAM).box.index, 1);
    }

    void emptyStockGoesNegativeAndReprintShipsAgain()
    {
        Shop shop;
        shop.choose(Cat::Vint, 2); // stock 0
        shop.choose(Cat::Mon, 1);  // stock 5
        shop.state->order.customer = QStringLiteral("Петров; \"Вектор\"");
        shop.print();
        QCOMPARE(shop.stockInFile(QStringLiteral("Vint.dat"), 2), QStringLiteral("-1"));
        QCOMPARE(shop.stockInFile(QStringLiteral("Monitor.dat"), 1), QStringLiteral("4"));
        shop.print();
        QCOMPARE(shop.stockInFile(QStringLiteral("Vint.dat"), 2), QStringLiteral("-2"));
        QCOMPARE(shop.stockInFile(QStringLiteral("Monitor.dat"), 1), QStringLiteral("3"));
        QCOMPARE(shop.fakes.printer.printed.size(), 2);
        // Each print is one order of the journal, with the customer field and every count's change.
        const auto journal = stock::JournalReader::load(shop.path(QStringLiteral("journal.csv")));
        QStringList rows;
        for (qsizetype i = 0; i < journal.size(); ++i) {
            const QStringList f = journal.fields(i);
            rows << QStringList{f[stock::OrderColumn], f[stock::CustomerColumn], f[stock::OperationColumn],
                                f[stock::FileColumn],  f[stock::QuantityColumn], f[stock::BeforeColumn],
                                f[stock::AfterColumn]}
                        .join(QLatin1Char('|'));
        }
        QCOMPARE(rows, QStringList({"1|Петров; \"Вектор\"|отгрузка|Vint.dat|1|0|-1",
                                    "1|Петров; \"Вектор\"|отгрузка|Monitor.dat|1|5|4",
                                    "2|Петров; \"Вектор\"|отгрузка|Vint.dat|1|-1|-2",
                                    "2|Петров; \"Вектор\"|отгрузка|Monitor.dat|1|4|3"}));
    }

    void printsTheSummaryWithItsStatusAsOneTitledJob()
    {
        Shop shop;
        shop.choose(Cat::Key, 1);
        const QStringList summary = composeSummary(shop.state->order);
        shop.print();
        QCOMPARE(shop.fakes.printer.setups, 1);
        // Without a heading the paper is the window's text and the order's number below it.
        const QStringList shown = summary + QStringList({" ", " ", QStringLiteral("Статус: ОТГРУЖЕНО")});
        QCOMPARE(shop.fakes.printer.printed, QList<QStringList>({shown + QStringList({QStringLiteral("Заказ № 1")})}));
        QCOMPARE(shop.fakes.printer.titles, QStringList({QStringLiteral("Итого...")}));
        QCOMPARE(shop.lines, shown);
        QVERIFY(shop.fakes.messageBox.shown.isEmpty());
    }

    void untouchedFilesKeepBytesAndTime()
    {
        Shop shop;
        shop.choose(Cat::Case, 0); // the none entry
        shop.choose(Cat::Vint, 1);
        shop.choose(Cat::Prn, 0); // the none entry
        shop.choose(Cat::Scan, 1);
        const auto before = shop.aged();
        shop.print();
        QCOMPARE(shop.changedSince(before), QStringList({QStringLiteral("Scan.dat"), QStringLiteral("Vint.dat")}));
    }

    void lineEndsBecomeCrLf_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("item");
        const QByteArray lf = "A\n1\nr\nr\n5\nd\nr\nB\n2\nr\nr\n7\nd\nr\n";
        const QByteArray lfExpected = "A\r\n1\r\nr\r\nr\r\n5\r\nd\r\nr\r\nB\r\n2\r\nr\r\nr\r\n6\r\nd\r\nr\r\n";
        QTest::newRow("LF") << lf << lfExpected << 1;
        QTest::newRow("CR") << QByteArray(lf).replace('\n', '\r') << lfExpected << 1;
        QTest::newRow("no final line end") << lf.chopped(1) << lfExpected << 1;
        QTest::newRow("mixed, blank and reserved lines kept")
            << QByteArray("A\r\n1\rr 2 \n\n5\r\n\r\n\n\xc1\xce\r\n2\n\n\n7\nd\n")
            << QByteArray("A\r\n1\r\nr 2 \r\n\r\n5\r\n\r\n\r\n\xc1\xce\r\n2\r\n\r\n\r\n6\r\nd\r\n") << 1;
        QTest::newRow("last block of five lines")
            << QByteArray("A\n1\nr\nr\n5\nd\nr\nB\n2\nr\nr\n7")
            << QByteArray("A\r\n1\r\nr\r\nr\r\n4\r\nd\r\nr\r\nB\r\n2\r\nr\r\nr\r\n7\r\n") << 0;
    }

    void lineEndsBecomeCrLf()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, expected);
        QFETCH(int, item);
        Shop shop;
        writeBytes(shop.path(QStringLiteral("Os.dat")), file);
        shop.choose(Cat::OS, item);
        shop.print();
        QCOMPARE(shop.bytes(QStringLiteral("Os.dat")), expected);
    }

    void cancelledDialogShipsNothing()
    {
        Shop shop;
        shop.choose({{Cat::Vint, 1}, {Cat::Mon, 1}});
        const auto before = shop.aged();
        shop.fakes.printer.confirm = false;
        const QStringList summary = composeSummary(shop.state->order);
        shop.print(); // the window closes all the same
        QCOMPARE(shop.fakes.printer.setups, 1);
        QVERIFY(shop.fakes.printer.printed.isEmpty());
        QVERIFY(shop.fakes.messageBox.shown.isEmpty());
        QCOMPARE(shop.changedSince(before), QStringList());
        QCOMPARE(shop.stockInMemory(Cat::Vint, 0, 1), QStringLiteral("5"));
        // The status lines were added before the dialog, whatever the answer.
        QCOMPARE(shop.lines, summary + QStringList({" ", " ", QStringLiteral("Статус: ОТГРУЖЕНО")}));
    }

    void failedPrintStillShips()
    {
        Shop shop;
        shop.choose(Cat::Vint, 1);
        shop.fakes.printer.failWith = QStringLiteral("spooler stopped");
        shop.print();
        QCOMPARE(shop.fakes.messageBox.shown,
                 QStringList({QStringLiteral("Ошибка печати документа! Проверьте принтер!")}));
        QVERIFY(shop.fakes.errorReport.reported.isEmpty());
        QCOMPARE(shop.stockInFile(QStringLiteral("Vint.dat"), 1), QStringLiteral("4"));
    }

    void platformChoosesTheFiles()
    {
        Shop shop;
        shop.state->choosePlatform(ProcessorPlatform::Amd); // AMD
        shop.choose({{Cat::Proc, 1}, {Cat::Mat, 2}});
        const auto before = shop.aged();
        shop.print();
        QCOMPARE(shop.changedSince(before),
                 QStringList({QStringLiteral("Mat_amd.dat"), QStringLiteral("Proc_amd.dat")}));
        QCOMPARE(shop.stockInFile(QStringLiteral("Proc_amd.dat"), 1), QStringLiteral("4"));
        QCOMPARE(shop.stockInFile(QStringLiteral("Mat_amd.dat"), 2), QStringLiteral("-1"));
        QCOMPARE(shop.stockInMemory(Cat::Proc, 0, 1), QStringLiteral("5"));
        QCOMPARE(shop.stockInMemory(Cat::Proc, 1, 1), QStringLiteral("4"));

        // Without a platform the processor and the board are left alone, the rest is shipped.
        shop.choose(Cat::Fun, 1);
        shop.state->catalogue.platform = ProcessorPlatform::None;
        const auto second = shop.snapshot();
        shop.print();
        QCOMPARE(shop.changedSince(second), QStringList({QStringLiteral("Fun.dat")}));
    }

    void orderShipsTheRecordItShows()
    {
        // A page whose load failed midway is loaded afresh on the next entry, which clears its
        // lists; an item chosen before stays in the order and is the one shipped.
        Shop shop;
        shop.remove(QStringLiteral("Dop2.dat"));
        QVERIFY(!failureOf([&] { shop.choose(Cat::OS, 1); }).isEmpty());
        shop.state->chooseItem(Cat::OS, 1);
        shop.write(QStringLiteral("Dop2.dat"), TestShop::smallRecords(QStringLiteral("Dop2.dat")));
        shop.state->enterPage(Page::Dop);
        QCOMPARE(shop.state->pages.view(Cat::OS).box.index, -1);
        QVERIFY(composeSummary(shop.state->order).join(QLatin1Char('\n')).contains(QStringLiteral("Os A")));
        shop.print();
        QCOMPARE(shop.stockInFile(QStringLiteral("Os.dat"), 1), QStringLiteral("4"));
    }

    void badStockStopsAtItsCategory()
    {
        Shop shop;
        shop.choose({{Cat::RAM, 1}, {Cat::Case, 1}, {Cat::Mon, 1}});
        QList<QStringList> cases = Shop::smallRecords(QStringLiteral("Case.dat"));
        cases[1][4] = QStringLiteral("пять");
        TestShop::Snapshot before;
        shop.fakes.printer.whilePrinting = [&] {
            writeList(shop.dir, QStringLiteral("Case.dat"), cases);
            before = shop.aged();
        };
        QCOMPARE(failureOf([&] { shop.print(); }), QStringLiteral("'пять' is not a valid integer value"));
        QCOMPARE(shop.changedSince(before), QStringList({QStringLiteral("Ram.dat")}));
    }

    // As root nothing is read-only to us, so a folder stands where the file was; it fails at the
    // reading that comes first.
    void unwritableFileStopsTheShipment()
    {
        Shop shop;
        shop.choose({{Cat::Case, 1}, {Cat::Vint, 1}, {Cat::Mon, 1}});
        shop.ageAll();
        TestShop::Snapshot before;
        shop.fakes.printer.whilePrinting = [&] {
            QVERIFY(QFile::remove(shop.path(QStringLiteral("Vint.dat"))));
            QVERIFY(shop.dir.mkdir(QStringLiteral("Vint.dat")));
            before = shop.snapshot();
        };
        const QString message = failureOf([&] { shop.print(); });
        const QString prefix = QStringLiteral("Cannot open file \"%1\". ")
                                   .arg(QFileInfo(shop.path(QStringLiteral("Vint.dat"))).absoluteFilePath());
        QVERIFY2(message.startsWith(prefix) && message.size() > prefix.size(), qPrintable(message));
        QCOMPARE(shop.changedSince(before), QStringList({QStringLiteral("Case.dat")}));
        QCOMPARE(shop.stockInFile(QStringLiteral("Case.dat"), 1), QStringLiteral("4"));
        // The list in memory still agrees with what the disk last held.
        QCOMPARE(shop.stockInMemory(Cat::Vint, 0, 1), QStringLiteral("5"));
        QCOMPARE(shop.stockInMemory(Cat::Mon, 0, 1), QStringLiteral("5"));
    }

    // A read-only file stays as it is, though its folder would let a new file take its place.
    // Root passes any permission check, so then the shipment runs in a child process as nobody.
    void readOnlyFileIsNotReplaced()
    {
        Shop shop;
        shop.choose({{Cat::Vint, 1}, {Cat::Mon, 1}});
        shop.ageAll();
        QVERIFY(QFile::setPermissions(shop.path(QStringLiteral("Vint.dat")),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const auto before = shop.snapshot();
        const QString prefix = QStringLiteral("Cannot create file \"%1\". ")
                                   .arg(QFileInfo(shop.path(QStringLiteral("Vint.dat"))).absoluteFilePath());

        if (geteuid() != 0) {
            const QString message = failureOf([&] { shipOrder(*shop.state); });
            QVERIFY2(message.startsWith(prefix), qPrintable(message));
        } else {
            QVERIFY(::chmod(QFile::encodeName(shop.tmp.path()).constData(), 0777) == 0);
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                if (setgid(65534) != 0 || setuid(65534) != 0 || geteuid() == 0)
                    _exit(77);
                try {
                    shipOrder(*shop.state);
                    _exit(1);
                } catch (const Error& e) {
                    _exit(e.message().startsWith(prefix) ? 0 : 2);
                }
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            if (WEXITSTATUS(status) == 77)
                QSKIP("cannot become an ordinary user here");
            QCOMPARE(WEXITSTATUS(status), 0);
        }
        QCOMPARE(shop.changedSince(before), QStringList());
    }

    // A write that fails midway (the disk full, a size limit) leaves the old price list whole.
    void failedWriteLeavesTheOldFile()
    {
        Shop shop;
        QList<QStringList> records;
        for (int i = 0; i < 200; ++i)
            records << record(QStringLiteral("Винчестер %1").arg(i), "55.5", "9");
        writeList(shop.dir, QStringLiteral("Vint.dat"), records);
        const QByteArray old = shop.bytes(QStringLiteral("Vint.dat"));
        QVERIFY(old.size() > 8192);
        shop.choose(Cat::Vint, 150);
        const auto before = shop.snapshot();
        {
            FileSizeLimit limit(4096);
            QVERIFY(limit.ok());
            const QString message = failureOf([&] { shipOrder(*shop.state); });
            QVERIFY2(message.startsWith(QStringLiteral("Cannot create file \"")), qPrintable(message));
        }
        QCOMPARE(shop.bytes(QStringLiteral("Vint.dat")), old);
        QCOMPARE(shop.changedSince(before), QStringList()); // no half-written file left beside it
        QCOMPARE(shop.stockInMemory(Cat::Vint, 0, 150), QStringLiteral("9"));

        // Once there is room again the same order ships.
        shipOrder(*shop.state);
        QCOMPARE(shop.stockInFile(QStringLiteral("Vint.dat"), 150), QStringLiteral("8"));
        QCOMPARE(shop.bytes(QStringLiteral("Vint.dat")).size(), old.size());
    }

    // Another counter sold some of the same item since this copy read the list: the sale is taken
    // from the file as it is now, memory follows the file, the choice stays and so does the page's
    // warning follow the new count.
    void otherCountersSalesAreKept_data()
    {
        QTest::addColumn<Cat>("cat");
        QTest::addColumn<int>("modules");
        QTest::addColumn<QString>("stockNow");
        QTest::addColumn<QString>("stockAfter");
        QTest::addColumn<bool>("warning");
        QTest::newRow("plenty left") << Cat::Vint << 1 << "4"
                                     << "3" << false;
        QTest::newRow("the last one") << Cat::Vint << 1 << "1"
                                      << "0" << true;
        QTest::newRow("two modules, fewer than two left") << Cat::RAM << 2 << "3"
                                                          << "1" << true;
    }
    void otherCountersSalesAreKept()
    {
        QFETCH(Cat, cat);
        QFETCH(int, modules);
        QFETCH(QString, stockNow);
        QFETCH(QString, stockAfter);
        QFETCH(bool, warning);
        Shop shop;
        shop.choose(cat, 1);
        if (modules > 1)
            shop.state->chooseMemoryCount(modules - 1);
        const QString file = category(cat).files.at(0);
        QList<QStringList> records = TestShop::smallRecords(file);
        records[1][4] = stockNow;
        records.append(record("Новинка", "30", "2"));
        writeList(shop.dir, file, records);
        shop.print();
        QCOMPARE(shop.stockInFile(file, 1), stockAfter);
        QCOMPARE(shop.stockInMemory(cat, 0, 1), stockAfter);
        const ChoiceList& box = shop.state->pages.view(cat).box;
        QCOMPARE(box.index, 1);
        QCOMPARE(box.items.size(), 4); // the other copy's new item is listed too
        QCOMPARE(shop.state->pages.pageView(category(cat).page).warningVisible, warning);
    }

    // The record at the chosen place no longer carries the chosen name when the order ships (changed
    // while the job prints, after the check before printing): that file stays as it is,
    // the files before it stay shipped, the ones after are not, and the stale choice is dropped so
    // that the salesperson picks from the list as it now is.
    void changedRecordIsRefused_data()
    {
        QTest::addColumn<bool>("removed");
        QTest::newRow("renamed") << false;
        QTest::newRow("no longer there") << true;
    }
    void changedRecordIsRefused()
    {
        QFETCH(bool, removed);
        Shop shop;
        shop.choose({{Cat::Case, 1}, {Cat::Vint, 2}, {Cat::Mon, 1}});
        QList<QStringList> disks = Shop::smallRecords(QStringLiteral("Vint.dat"));
        if (removed)
            disks.removeLast();
        else
            disks[2][0] = QStringLiteral("Vint C");
        TestShop::Snapshot before;
        shop.fakes.printer.whilePrinting = [&] {
            writeList(shop.dir, QStringLiteral("Vint.dat"), disks);
            before = shop.aged();
        };
        QCOMPARE(failureOf([&] { shop.print(); }),
                 QStringLiteral("Прайс-лист \"Vint.dat\" изменён: на месте товара \"Vint B\" теперь другая запись. "
                                "Этот товар и следующие товары заказа не отгружены; выберите товар заново."));
        QCOMPARE(shop.changedSince(before), QStringList({QStringLiteral("Case.dat")}));
        QVERIFY(!shop.state->order.computer.isChosen(Cat::Vint));
        const ChoiceList& box = shop.state->pages.view(Cat::Vint).box;
        QCOMPARE(box.index, -1);
        QCOMPARE(box.currentText(), QStringLiteral("Винчестеры"));
        QCOMPARE(box.items.size(), disks.size());
        QCOMPARE(shop.state->catalogue.list(Cat::Vint, 0).toFileBytes(), shop.bytes(QStringLiteral("Vint.dat")));
        QVERIFY(shop.state->order.computer.isChosen(Cat::Mon));
    }

    // Another copy holds a list's lock longer than the wait: the message names the file, and that
    // file and the rest of the order are not shipped.
    void lockThatCannotBeHadShipsNothingMore()
    {
        Shop shop;
        shop.choose({{Cat::Case, 1}, {Cat::Vint, 1}, {Cat::Mon, 1}});
        const auto before = shop.aged();
        FileLock otherCopy(shop.path(QStringLiteral("Vint.dat")));
        QCOMPARE(failureOf([&] { shop.print(); }),
                 QStringLiteral("Файл \"Vint.dat\" занят другой копией программы. Товары из этого файла и "
                                "следующие товары заказа не отгружены."));
        QStringList changed = shop.changedSince(before);
        changed.removeAll(QStringLiteral("Vint.dat.lock")); // the other copy's
        QCOMPARE(changed, QStringList({QStringLiteral("Case.dat")}));
    }

    // The journal's hook sees each sold item while its list is locked and already written; a
    // failing hook stops the shipment there, its list staying written and memory following it.
    void recorderSeesEachWrittenItem()
    {
        Shop shop;
        shop.choose(Cat::RAM, 1);
        shop.state->chooseMemoryCount(1);
        shop.choose({{Cat::Vint, 2}, {Cat::Mon, 1}});
        QStringList seen;
        const ShipmentRecorder recorder = [&](const ShippedItem& item) {
            const QString path = shop.path(item.fileName);
            seen << QStringLiteral("%1 %2 %3 x%4 %5 %6>%7 locked:%8 written:%9")
                        .arg(item.fileName)
                        .arg(item.record)
                        .arg(item.name)
                        .arg(item.quantity)
                        .arg(item.priceText)
                        .arg(item.stockBefore)
                        .arg(item.stockAfter)
                        .arg(QFile::exists(FileLock::lockFileName(path)))
                        .arg(shop.stockInFile(item.fileName, item.record) == QString::number(item.stockAfter));
            if (item.fileName == QLatin1String("Vint.dat") && seen.size() < 4)
                throw Error(QStringLiteral("журнал недоступен"));
        };
        shop.lines = composeSummary(shop.state->order);
        QCOMPARE(failureOf([&] {
                     printSummary(*shop.state, shop.lines, &shop.fakes.printer, &shop.fakes.messageBox, recorder);
                 }),
                 QStringLiteral("журнал недоступен"));
        QCOMPARE(shop.stockInFile(QStringLiteral("Vint.dat"), 2), QStringLiteral("-1"));
        QCOMPARE(shop.stockInMemory(Cat::Vint, 0, 2), QStringLiteral("-1"));
        QCOMPARE(shop.stockInFile(QStringLiteral("Monitor.dat"), 1), QStringLiteral("5"));
        shipOrder(*shop.state, recorder);
        QCOMPARE(seen, QStringList({"Ram.dat 1 Ram A x2 20.00 5>3 locked:1 written:1",
                                    "Vint.dat 2 Vint B x1 20 0>-1 locked:1 written:1",
                                    "Ram.dat 1 Ram A x2 20.00 3>1 locked:1 written:1",
                                    "Vint.dat 2 Vint B x1 20 -1>-2 locked:1 written:1",
                                    "Monitor.dat 1 Monitor A x1 10 5>4 locked:1 written:1"}));
    }
};

QTEST_GUILESS_MAIN(TestShipment)
#include "tst_shipment.moc"
