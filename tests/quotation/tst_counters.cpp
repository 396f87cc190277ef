// Several counters on one shop folder: copies of the program shipping the same items at once.
#include "catalogue/pricelist.h"
#include "catalogue/pricelistediting.h"
#include "common/ordershop.h"
#include "common/testshop.h"
#include "files/filelock.h"
#include "quotation/summary.h"
#include "stock/journalreader.h"
#include "stock/movements.h"
#include "text/conversions.h"

#include <QProcess>
#include <QtTest>

#include <memory>
#include <vector>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// The owner's program in another process changes one field of a record.
void ownerEdits(const QString& folder, const QString& file, int record, ItemField field, const QString& text)
{
    QProcess owner;
    owner.start(QStringLiteral(KORVANTA_COUNTER),
                {QStringLiteral("edit"), folder, file, QString::number(record), QString::number(int(field)), text});
    if (!owner.waitForFinished(60000) || owner.exitCode() != 0)
        qFatal("the owner's edit failed: %s", owner.readAllStandardError().constData());
}

// With KORVANTA_OTHER_MOUNT="<path>=<path>" (the shop's share mounted a second time), every other
// counter works through the second mount, as another computer would.
QString otherMount(const QString& folder)
{
    const QStringList mounts = qEnvironmentVariable("KORVANTA_OTHER_MOUNT").split(QLatin1Char('='));
    if (mounts.size() != 2 || !folder.startsWith(mounts[0]))
        return folder;
    return mounts[1] + folder.mid(mounts[0].size());
}

} // namespace

class TestCounters : public QObject {
    Q_OBJECT

private slots:
    // Four counters each ship the same processor and motherboard fifty times, all at once, while a
    // fifth reads both lists over and over: no sale is lost and no read sees a part of a list.
    void noSaleIsLostAndNoReadIsTorn()
    {
        const TestShop shop;
        for (const QString& name : {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")})
            shop.write(name,
                       {record("нет", "0", "0"), record(name + " A", "10", "1000"), record(name + " B", "20", "3")});
        const QString stop = shop.path(QStringLiteral("stop"));

        QProcess reader;
        reader.start(QStringLiteral(KORVANTA_COUNTER), {QStringLiteral("read"), shop.folder, stop});
        QVERIFY(reader.waitForStarted());
        std::vector<std::unique_ptr<QProcess>> counters;
        for (int i = 0; i < 4; ++i) {
            counters.push_back(std::make_unique<QProcess>());
            counters.back()->start(
                QStringLiteral(KORVANTA_COUNTER),
                {QStringLiteral("ship"), i % 2 ? otherMount(shop.folder) : shop.folder, QStringLiteral("50")});
        }
        // On a share a counter may give an order up when three others keep a list busy for longer
        // than it waits; it says so, and what it did ship must still be counted exactly.
        const bool onShare = !qEnvironmentVariableIsEmpty("KORVANTA_OTHER_MOUNT");
        long long shipped[2] = {0, 0};
        int refused = 0;
        for (auto& counter : counters) {
            QVERIFY(counter->waitForFinished(240000));
            QVERIFY2(counter->exitStatus() == QProcess::NormalExit &&
                         (counter->exitCode() == 0 || (onShare && counter->exitCode() == 4)),
                     counter->readAllStandardError().constData());
            const QList<QByteArray> counts = counter->readAllStandardOutput().trimmed().split(' ');
            QCOMPARE(counts.size(), 3);
            shipped[0] += counts[0].toLongLong();
            shipped[1] += counts[1].toLongLong();
            refused += counts[2].toInt();
        }
        if (refused)
            qInfo("%d of 200 orders given up for a busy list", refused);
        writeBytes(stop, QByteArray());
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        QVERIFY(reader.readAllStandardOutput().trimmed().toLongLong() > 0);

        QVERIFY(shipped[0] > 0 && shipped[1] > 0);
        const QStringList names = {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")};
        for (int f = 0; f < names.size(); ++f) {
            const PriceList list = shop.list(names[f]);
            QCOMPARE(recordLine(list, 1, StockLine), QString::number(1000 - shipped[f]));
            QCOMPARE(recordLine(list, 2, StockLine), QStringLiteral("3"));
        }
        if (!onShare)
            QCOMPARE(shipped[0], 200LL);
        // Every lock was given back and no temporary file was left.
        QCOMPARE(shop.dir.entryList({QStringLiteral("*.lock"), QStringLiteral("*.korvanta-*")},
                                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }
    void liveLockIsRespected_data()
    {
        QTest::addColumn<bool>("clockAhead");
        QTest::newRow("another computer") << false;
        QTest::newRow("another computer whose clock runs 60 s ahead") << true;
    }
    // A counter of another computer that finds a list locked waits for it, whatever its own clock
    // says: the lock's age is the file server's. Its sale would otherwise be overwritten by the
    // holder's.
    void liveLockIsRespected()
    {
        QFETCH(bool, clockAhead);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVANTA_COUNTER_HOST"), QStringLiteral("kassa2"));
        if (clockAhead) {
#if defined(__SANITIZE_ADDRESS__)
            QSKIP("libfaketime preloaded into a sanitized counter may hang it; the ordinary build runs this case");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
            QSKIP("libfaketime preloaded into a sanitized counter may hang it; the ordinary build runs this case");
#endif
#endif
            QString library;
            for (const QFileInfo& dir :
                 QDir(QStringLiteral("/usr/lib")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
                if (QFile::exists(dir.filePath() + QStringLiteral("/faketime/libfaketime.so.1")))
                    library = dir.filePath() + QStringLiteral("/faketime/libfaketime.so.1");
            if (library.isEmpty())
                QSKIP("libfaketime is not installed (Debian package libfaketime)");
            env.insert(QStringLiteral("LD_PRELOAD"), library);
            env.insert(QStringLiteral("FAKETIME"), QStringLiteral("+60s"));
            QProcess date;
            date.setProcessEnvironment(env);
            date.start(QStringLiteral("date"), {QStringLiteral("+%s")});
            QVERIFY(date.waitForFinished(10000));
            if (date.readAllStandardOutput().trimmed().toLongLong() - QDateTime::currentSecsSinceEpoch() < 50)
                QSKIP("libfaketime does not move the clock of a process here");
        }
        const TestShop shop;
        for (const QString& name : {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")})
            shop.write(name, {record("нет", "0", "0"), record(name + " A", "10", "1000")});
        const QString list = shop.path(QStringLiteral("Proc_int.dat"));
        QProcess counter;
        counter.setProcessEnvironment(env);
        withFileLock(list, [&] {
            PriceList now = loadPriceList(list);
            counter.start(QStringLiteral(KORVANTA_COUNTER), {QStringLiteral("ship"), shop.folder, QStringLiteral("1")});
            // The counter has found the lock when it reads the share's clock beside it.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(shop.path(QStringLiteral(".korvanta.clock"))), 20000);
            QTest::qWait(300);
            setRecordStock(now, 1, QString::number(textToInt(recordLine(now, 1, StockLine)) - 1));
            savePriceList(now, list);
        });
        QVERIFY(counter.waitForFinished(60000));
        QVERIFY2(counter.exitStatus() == QProcess::NormalExit && counter.exitCode() == 0,
                 counter.readAllStandardError().constData());
        QCOMPARE(recordLine(shop.list(QStringLiteral("Proc_int.dat")), 1, StockLine), QStringLiteral("998"));
        QCOMPARE(recordLine(shop.list(QStringLiteral("Mat_int.dat")), 1, StockLine), QStringLiteral("999"));
    }
    // A counter killed at any step of a shipment leaves every list whole, under its name or, during
    // a swap, beside it; the next counter ships on from there and nothing is left over.
    void killAtEveryStep()
    {
        const QStringList lists = {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")};
        bool finished = false;
        int kills = 0;
        for (int step = 1; !finished && step < 40; ++step) {
            const TestShop shop;
            for (const QString& name : lists)
                shop.write(name, {record("нет", "0", "0"), record(name + " A", "10", "1000")});
            QProcess killed;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("KORVANTA_COUNTER_KILL_AT"), QString::number(step));
            killed.setProcessEnvironment(env);
            killed.start(QStringLiteral(KORVANTA_COUNTER), {QStringLiteral("ship"), shop.folder, QStringLiteral("1")});
            QVERIFY(killed.waitForFinished(60000));
            finished = killed.exitStatus() == QProcess::NormalExit;
            kills += finished ? 0 : 1;
            for (const QString& name : lists)
                QVERIFY2(QFile::exists(shop.path(name)) ||
                             !shop.dir.entryList({name + QStringLiteral(".korvanta-ready-*")}).isEmpty(),
                         qPrintable(QStringLiteral("step %1: %2").arg(step).arg(name)));

            QProcess next;
            next.start(QStringLiteral(KORVANTA_COUNTER),
                       {QStringLiteral("ship"), otherMount(shop.folder), QStringLiteral("1")});
            QVERIFY(next.waitForFinished(60000));
            QVERIFY2(next.exitStatus() == QProcess::NormalExit && next.exitCode() == 0,
                     next.readAllStandardError().constData());
            for (const QString& name : lists) {
                const PriceList list = shop.list(name);
                QCOMPARE(list.count(), 2 * RecordLines);
                QCOMPARE(recordLine(list, 1, NameLine), name + QStringLiteral(" A"));
                const QString stock = recordLine(list, 1, StockLine);
                QVERIFY2(stock == QStringLiteral("998") || stock == QStringLiteral("999"),
                         qPrintable(QStringLiteral("step %1: %2 holds %3").arg(step).arg(name, stock)));
            }
            // The killed copy's lock was taken over and given back as well.
            QCOMPARE(shop.dir.entryList({QStringLiteral("*.lock"), QStringLiteral("*.korvanta-*")},
                                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList());
        }
        QVERIFY(finished);
        // Each list: the temporary file marked whole, the swap, the journal row, the lock given back.
        QVERIFY2(kills >= 6, qPrintable(QString::number(kills)));
    }

    void killAtEveryStepOfAMovement_data()
    {
        QTest::addColumn<QStringList>("before"); // a movement run whole first; empty: none
        QTest::addColumn<QStringList>("killed"); // the movement killed at each step in turn
        QTest::addColumn<bool>("handEdit");      // a count changed by hand before it
        QTest::addColumn<QString>("customer");   // every row's customer
        const QStringList print{QStringLiteral("print"), QStringLiteral("1"), QStringLiteral("Покупатель")};
        QTest::newRow("shipment") << QStringList() << print << false << "Покупатель 0";
        QTest::newRow("receipt") << QStringList() << QStringList{"receive", "Proc_int.dat", "1", "5", "1"} << false
                                 << "";
        QTest::newRow("stock set") << QStringList() << QStringList{"setstock", "Mat_int.dat", "1", "700"} << false
                                   << "";
        QTest::newRow("owner's edit of a stock")
            << QStringList() << QStringList{"ownerstock", "Proc_int.dat", "1", "650"} << false << "";
        QTest::newRow("import of two lists") << QStringList() << QStringList{"import"} << false << "";
        QTest::newRow("return") << print << QStringList{"return", "1"} << false << "Покупатель 0";
        QTest::newRow("accepting a file's count")
            << QStringList{"receive", "Proc_int.dat", "1", "5", "1"} << QStringList{"accept"} << true << "";
    }
    // A movement killed at any step of writing its lists and journal leaves the shop, once the next
    // copy has looked at it (Сверка), with every list whole, the journal in step with every list,
    // and every row carrying its operation, order and customer.
    void killAtEveryStepOfAMovement()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, killed);
        QFETCH(bool, handEdit);
        QFETCH(QString, customer);
        const QStringList lists = {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")};
        const auto run = [](const QString& folder, QStringList args, int killAt) {
            args.insert(1, folder);
            QProcess counter;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            if (killAt > 0)
                env.insert(QStringLiteral("KORVANTA_COUNTER_KILL_AT"), QString::number(killAt));
            counter.setProcessEnvironment(env);
            counter.start(QStringLiteral(KORVANTA_COUNTER), args);
            if (!counter.waitForFinished(60000))
                qFatal("the counter hangs");
            if (counter.exitStatus() == QProcess::NormalExit && counter.exitCode() != 0)
                qFatal("the counter failed: %s", counter.readAllStandardError().constData());
            return counter.exitStatus() == QProcess::NormalExit;
        };
        bool finished = false;
        int kills = 0;
        for (int step = 1; !finished && step < 60; ++step) {
            const TestShop shop;
            for (const QString& name : lists)
                shop.write(name, {record("нет", "0", "0"), record(name + " A", "10", "1000")});
            if (!before.isEmpty())
                QVERIFY(run(shop.folder, before, 0));
            if (handEdit) {
                PriceList list = shop.list(lists[0]);
                setRecordStock(list, 1, QStringLiteral("990"));
                writeBytes(shop.path(lists[0]), list.toFileBytes());
            }
            finished = run(shop.folder, killed, step);
            kills += finished ? 0 : 1;

            // The next copy: Сверка settles what the dead one left; only a hand edit not yet
            // accepted is left to accept.
            stock::Journal journal(shop.folder);
            stock::completePendingMoves(journal);
            if (handEdit)
                for (const stock::Discrepancy& d : stock::reconcile(journal))
                    QVERIFY(stock::acceptFileCount(journal, d, stock::Actor{}));
            const QString at = QStringLiteral("step %1").arg(step);
            QVERIFY2(stock::reconcile(journal).empty(), qPrintable(at));

            // Each record's rows follow on from each other, from the count it had to the count it has.
            const stock::JournalReader reader = stock::JournalReader::load(journal.path());
            QMap<QString, long long> count;
            for (qsizetype i = 0; i < reader.size(); ++i) {
                const auto row = reader.row(i);
                QVERIFY2(row, qPrintable(at));
                QVERIFY2(row->order > 0 && !row->operation.isEmpty(), qPrintable(at));
                if (row->operation != stock::CorrectionOp && row->operation != stock::ReceiptOp)
                    QCOMPARE(row->customer, customer);
                const long long was = count.value(row->fileName, 1000);
                // A hand edit shows only in the row that accepts it.
                if (!handEdit || row->operation != stock::CorrectionOp)
                    QVERIFY2(row->stockBefore == was, qPrintable(at));
                count[row->fileName] = row->stockAfter;
            }
            for (const QString& name : lists) {
                const PriceList list = shop.list(name);
                QCOMPARE(list.count(), 2 * RecordLines);
                QCOMPARE(recordLine(list, 1, NameLine), name + QStringLiteral(" A"));
                QCOMPARE(recordLine(list, 1, StockLine), QString::number(count.value(name, 1000)));
            }
            // No redo record or new list is left (the journal's counter is settled at its next lock).
            QCOMPARE(shop.dir.entryList({QStringLiteral("*.dat.korvanta-*")}, QDir::Files | QDir::Hidden)
                             .join(QLatin1Char(' ')) +
                         at,
                     at);
        }
        QVERIFY(finished);
        qInfo("%s: killed at %d steps", QTest::currentDataTag(), kills);
        QVERIFY2(kills >= 3, qPrintable(QString::number(kills)));
    }

    void printFollowsAnotherCopysChange_data()
    {
        QTest::addColumn<ItemField>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("afterSummary"); // the change comes while the summary is open
        QTest::addColumn<bool>("told");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("printedLine");
        QTest::addColumn<QString>("stockAfter");
        const QString old = QStringLiteral("DDR3 4Gb Hynix - 2шт.:  30,00 у.е.");
        const QString raised = QStringLiteral("DDR3 4Gb Hynix - 2шт.:  38,00 у.е.");
        for (const bool after : {false, true}) {
            const char* when = after ? ", summary open" : ", before the summary";
            QTest::addRow("price%s", when) << ItemField::Price << "19" << after << !after << after << raised << "8";
            QTest::addRow("name%s", when)
                << ItemField::Name << "DDR3 4Gb Samsung" << after << !after << after << QString() << "10";
            QTest::addRow("stock%s", when) << ItemField::Stock << "1" << after << false << false << old << "-1";
        }
    }
    // One copy holds an order of two "DDR3 4Gb Hynix"; the owner's program, another process,
    // changes the item. The summary tells of the change, and the print carries only what the list
    // holds when it is printed: a change after the summary refuses the print until it is shown.
    void printFollowsAnotherCopysChange()
    {
        QFETCH(ItemField, field);
        QFETCH(QString, text);
        QFETCH(bool, afterSummary);
        QFETCH(bool, told);
        QFETCH(bool, refused);
        QFETCH(QString, printedLine);
        QFETCH(QString, stockAfter);
        OrderShop shop;
        const QString ram = QStringLiteral("Ram.dat");
        if (!afterSummary)
            ownerEdits(shop.folder, ram, 1, field, text);
        // What the summary window does at its showing.
        QCOMPARE(!shop.state.followOrder().isEmpty(), told);
        QStringList lines = composeSummary(shop.state.order);
        if (afterSummary)
            ownerEdits(shop.folder, ram, 1, field, text);
        bool wasRefused = false;
        try {
            printSummary(shop.state, lines, &shop.fakes.printer, &shop.fakes.messageBox);
        } catch (const OrderChangedError&) {
            wasRefused = true;
            QCOMPARE(shop.fakes.printer.printed.size(), 0);
            lines = composeSummary(shop.state.order);
            printSummary(shop.state, lines, &shop.fakes.printer, &shop.fakes.messageBox);
        }
        QCOMPARE(wasRefused, refused);
        QCOMPARE(shop.fakes.printer.printed.size(), 1);
        const QStringList printed = shop.fakes.printer.printed.first();
        QCOMPARE(printed.filter(QStringLiteral("2шт.")),
                 printedLine.isEmpty() ? QStringList() : QStringList{printedLine});

        // The price printed is the list's price now, and the journal says the same.
        const PriceList now = shop.list(ram);
        QCOMPARE(recordLine(now, 1, StockLine), stockAfter);
        const stock::JournalReader journal = stock::JournalReader::load(shop.path(QStringLiteral("journal.csv")));
        if (!printedLine.isEmpty()) {
            const QString amount =
                formatMoney(textToFloat(recordLine(now, 1, PriceLine), QLatin1Char(',')) * 2, QLatin1Char(','));
            QVERIFY(printedLine.contains(amount));
            QCOMPARE(journal.size(), 1);
            QCOMPARE(journal.row(0)->priceText, amount);
        } else {
            QCOMPARE(journal.size(), 0);
        }
    }

    // Four counters print the same order twenty times each, all at once: the numbers on the paper
    // are distinct and run on without a gap, and each is the number of that order's journal rows.
    void printedNumbersAreDistinctAndJournaled()
    {
        const TestShop shop;
        for (const QString& name : {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")})
            shop.write(name, {record("нет", "0", "0"), record(name + " A", "10", "1000")});
        constexpr int Counters = 4;
        constexpr int Prints = 20;
        std::vector<std::unique_ptr<QProcess>> counters;
        for (int i = 0; i < Counters; ++i) {
            counters.push_back(std::make_unique<QProcess>());
            counters.back()->start(
                QStringLiteral(KORVANTA_COUNTER),
                {QStringLiteral("print"), shop.folder, QString::number(Prints), QStringLiteral("counter%1").arg(i)});
        }
        QMap<long long, QString> customerOf; // by the number on the paper
        for (auto& counter : counters) {
            QVERIFY(counter->waitForFinished(240000));
            QVERIFY2(counter->exitStatus() == QProcess::NormalExit && counter->exitCode() == 0,
                     counter->readAllStandardError().constData());
            for (const QByteArray& line : counter->readAllStandardOutput().split('\n')) {
                if (line.isEmpty())
                    continue;
                const QList<QByteArray> parts = line.split(';');
                QCOMPARE(parts.size(), 2);
                QVERIFY2(parts[1].startsWith("Заказ № "), line.constData());
                const long long number = QString::fromUtf8(parts[1]).section(QLatin1Char(' '), 2).toLongLong();
                QVERIFY2(!customerOf.contains(number), line.constData());
                customerOf.insert(number, QString::fromUtf8(parts[0]));
            }
        }
        QCOMPARE(customerOf.size(), Counters * Prints);
        QCOMPARE(customerOf.firstKey(), 1LL);
        QCOMPARE(customerOf.lastKey(), (long long)(Counters * Prints));

        // Two rows per order, both under the number its paper carried.
        const stock::JournalReader journal = stock::JournalReader::load(shop.path(stock::JournalFile));
        QCOMPARE(journal.size(), qsizetype(2 * Counters * Prints));
        for (qsizetype i = 0; i < journal.size(); ++i) {
            const auto row = journal.row(i);
            QVERIFY(row);
            QCOMPARE(row->customer, customerOf.value(row->order));
        }
        QCOMPARE(recordLine(shop.list(QStringLiteral("Proc_int.dat")), 1, StockLine),
                 QString::number(1000 - Counters * Prints));
    }
};

QTEST_GUILESS_MAIN(TestCounters)
#include "tst_counters.moc"
