// Several counters on one shop folder: copies of the program shipping the same items at once.
#include "journalreader.h"
#include "pricelist.h"
#include "testshop.h"

#include <QProcess>
#include <QtTest>

#include <memory>
#include <vector>

using namespace korvanta;
using namespace korvanta::testing;

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
            counters.back()->start(QStringLiteral(KORVANTA_COUNTER),
                                   {QStringLiteral("ship"), shop.folder, QStringLiteral("50")});
        }
        for (auto& counter : counters) {
            QVERIFY(counter->waitForFinished(240000));
            QVERIFY2(counter->exitStatus() == QProcess::NormalExit && counter->exitCode() == 0,
                     counter->readAllStandardError().constData());
        }
        writeBytes(stop, QByteArray());
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        QVERIFY(reader.readAllStandardOutput().trimmed().toLongLong() > 0);

        for (const QString& name : {QStringLiteral("Proc_int.dat"), QStringLiteral("Mat_int.dat")}) {
            const PriceList list = shop.list(name);
            QCOMPARE(recordLine(list, 1, StockLine), QStringLiteral("800"));
            QCOMPARE(recordLine(list, 2, StockLine), QStringLiteral("3"));
        }
        // Every lock was given back and no temporary file was left.
        QCOMPARE(shop.dir.entryList({QStringLiteral("*.lock"), QStringLiteral("*korvanta-new*")},
                                    QDir::Files | QDir::Hidden),
                 QStringList());
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
