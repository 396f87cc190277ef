// Several counters on one shop folder: copies of the program shipping the same items at once.
#include "conversions.h"
#include "filelock.h"
#include "pricelist.h"
#include "testshop.h"

#include <QProcess>
#include <QtTest>

#include <memory>
#include <vector>

using namespace korvanta;
using namespace korvanta::testing;

// With KORVANTA_OTHER_MOUNT="<path>=<path>" (the shop's share mounted a second time), every other
// counter works through the second mount, as another computer would.
QString otherMount(const QString& folder)
{
    const QStringList mounts = qEnvironmentVariable("KORVANTA_OTHER_MOUNT").split(QLatin1Char('='));
    if (mounts.size() != 2 || !folder.startsWith(mounts[0]))
        return folder;
    return mounts[1] + folder.mid(mounts[0].size());
}

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
        QCOMPARE(
            shop.dir.entryList({QStringLiteral("*.lock"), QStringLiteral("*.korvanta-*")}, QDir::Files | QDir::Hidden),
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
            QCOMPARE(shop.dir.entryList({QStringLiteral("*.korvanta-*")}, QDir::Files | QDir::Hidden), QStringList());
        }
        QVERIFY(finished);
        // Each list: the temporary file marked whole, the swap, the journal row, the lock given back.
        QVERIFY2(kills >= 6, qPrintable(QString::number(kills)));
    }
};

QTEST_GUILESS_MAIN(TestCounters)
#include "tst_counters.moc"
