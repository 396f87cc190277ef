// Noticing that another program changed or replaced a file of the shop folder.
#include "common/shopfiles.h"
#include "files/atomicfile.h"
#include "files/shopwatcher.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestShopWatcher : public QObject {
    Q_OBJECT

private slots:
    void noticesChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("noticed");
        QTest::newRow("swapped in") << "replace" << true;
        QTest::newRow("rewritten longer") << "longer" << true;
        QTest::newRow("rewritten, same size") << "same size" << true;
        QTest::newRow("removed") << "remove" << true;
        QTest::newRow("created") << "create" << true;
        QTest::newRow("only read") << "read" << false;
        QTest::newRow("another file changed") << "other" << false;
    }
    // A look at the stamps finds each change once, however it was made.
    void noticesChanges()
    {
        QFETCH(QString, change);
        QFETCH(bool, noticed);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("Ram.dat"));
        if (change != QLatin1String("create"))
            writeBytes(path, "DDR3 4Gb\r\n15\r\n");
        ShopWatcher watcher(dir.path(), 0);
        watcher.follow(QStringLiteral("Ram.dat"));
        QSignalSpy spy(&watcher, &ShopWatcher::changed);
        if (change == QLatin1String("replace"))
            QCOMPARE(replaceFile(path, "DDR3 4Gb\r\n19\r\n"), QString());
        else if (change == QLatin1String("longer"))
            writeBytes(path, "DDR3 4Gb\r\n19,5\r\n");
        else if (change == QLatin1String("same size"))
            writeBytes(path, "DDR3 4Gb\r\n19\r\n");
        else if (change == QLatin1String("remove"))
            QVERIFY(QFile::remove(path));
        else if (change == QLatin1String("create"))
            writeBytes(path, "new\r\n");
        else if (change == QLatin1String("read"))
            QCOMPARE(readBytes(path), QByteArray("DDR3 4Gb\r\n15\r\n"));
        else
            writeBytes(QDir(dir.path()).filePath(QStringLiteral("Fun1.dat")), "x\r\n");
        QCOMPARE(watcher.check(), noticed ? 1 : 0);
        QCOMPARE(spy.size(), noticed ? 1 : 0);
        if (noticed)
            QCOMPARE(spy.first().first().toString(), QStringLiteral("Ram.dat"));
        QCOMPARE(watcher.check(), 0);
    }

    // Without polling, the system's notices alone tell of every replacement in turn: a file swapped
    // in is followed again.
    void followsReplacedFileWithoutPolling()
    {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("journal.csv"));
        writeBytes(path, "a\r\n");
        ShopWatcher watcher(dir.path(), 0);
        watcher.follow(QStringLiteral("journal.csv"));
        QSignalSpy spy(&watcher, &ShopWatcher::changed);
        for (int round = 1; round <= 3; ++round) {
            QCOMPARE(replaceFile(path, QByteArray("a\r\n").repeated(round + 1)), QString());
            QTRY_COMPARE(spy.size(), round);
        }
        QFile appended(path);
        QVERIFY(appended.open(QIODevice::Append));
        appended.write("b\r\n");
        appended.close();
        QTRY_COMPARE(spy.size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestShopWatcher)
#include "tst_shopwatcher.moc"
