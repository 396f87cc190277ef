// The lock of a shared file: a busy lock is told by the file's name, a killed holder's lock is
// taken over, and the temporary files of a killed copy are removed only under the lock.
#include "common/failure.h"
#include "common/fakefilesystem.h"
#include "common/shopfiles.h"
#include "files/atomicfile.h"
#include "files/filelock.h"
#include "files/textlines.h"

#include <QSysInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvanta;
using namespace korvanta::testing;
using namespace std::chrono_literals;

class TestFileLock : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_list;

    // What a copy killed between writing its new list and swapping it in leaves behind.
    QString makeLeftover() const
    {
        QTemporaryFile temp(temporaryNameTemplate(m_list));
        temp.setAutoRemove(false);
        if (!temp.open())
            qFatal("cannot make a temporary file");
        temp.write("half");
        return temp.fileName();
    }
    QStringList filesInFolder() const { return QDir(m_tmp.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private slots:
    void init()
    {
        QDir(m_tmp.path()).removeRecursively();
        QDir().mkpath(m_tmp.path());
        m_list = QDir(m_tmp.path()).filePath(QStringLiteral("Proc_int.dat"));
        writeList(QDir(m_tmp.path()), QStringLiteral("Proc_int.dat"),
                  {record(QStringLiteral("Процессор"), QStringLiteral("10"), QStringLiteral("5"))});
    }
    void cleanup() { FileLock::setWaitObserver({}); }

    // While another copy holds the lock the update waits, then gives up with the file's name and
    // neither runs nor touches the temporary files the holder may be writing.
    void busyLockIsToldAndTouchesNothing()
    {
        const QString leftover = makeLeftover();
        FileLock holder(m_list);
        QList<bool> waits;
        FileLock::setWaitObserver([&](bool waiting) { waits.append(waiting); });
        bool ran = false;
        QCOMPARE(failureOf([&] {
                     withFileLock(
                         m_list, [&] { ran = true; }, 200ms);
                 }),
                 QStringLiteral("Файл \"Proc_int.dat\" занят другой копией программы."));
        QVERIFY(!ran);
        QCOMPARE(waits, QList<bool>({true, false}));
        QVERIFY(QFile::exists(leftover));
    }

    // A copy killed while holding the lock leaves its lock file and its temporary file; the next
    // update takes the lock over at once, removes that temporary file and no other, and gives the
    // lock back.
    void killedHolderIsRecoveredAndItsLeftoverRemoved()
    {
        const QStringList kept = {QStringLiteral("Proc_int.dat.bak"), QStringLiteral("Proc_int.dat.korvanta-new-abc"),
                                  QStringLiteral("Mat_int.dat.korvanta-new-AbC123"),
                                  QStringLiteral("Proc_int.dat.123456")};
        for (const QString& name : kept)
            writeBytes(QDir(m_tmp.path()).filePath(name), "keep");
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            FileLock lock(m_list);
            makeLeftover();
            raise(SIGKILL);
            _exit(1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(QFile::exists(FileLock::lockFileName(m_list)));
        QCOMPARE(filesInFolder().filter(QStringLiteral(".korvanta-new-")).size(), 3);

        withFileLock(m_list, [&] {
            TextLines now = loadTextFile(m_list);
            now.replace(4, QStringLiteral("4"));
            saveTextFile(m_list, now);
        });
        QCOMPARE(loadTextFile(m_list).at(4), QStringLiteral("4"));
        QStringList expected = kept + QStringList({QStringLiteral("Proc_int.dat")});
        expected.sort();
        QCOMPARE(filesInFolder(), expected);
    }
    void leftLock_data()
    {
        QTest::addColumn<bool>("folder");        // the lock as this version makes it, else as older copies did
        QTest::addColumn<QByteArray>("content"); // DEAD/LIVE: a process id; HOST, MACHINE: this computer's
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<bool>("takenOver");

        const QByteArray dead = "DEAD\nkorvanta\nHOST\nMACHINE\n5f3a\n";
        for (const bool folder : {true, false}) {
            const char* form = folder ? "" : " (lock file)";
            QTest::addRow("empty, 5 s old%s", form) << folder << QByteArray() << 5 << 3000 << true;
            QTest::addRow("empty, just made: its owner may be writing it%s", form)
                << folder << QByteArray() << 0 << 300 << false;
            QTest::addRow("empty, just made, waited for%s", form) << folder << QByteArray() << 0 << 4000 << true;
            QTest::addRow("cut short, 5 s old%s", form) << folder << QByteArray("4711\nkorv") << 5 << 3000 << true;
            QTest::addRow("killed copy of this computer%s", form) << folder << dead << 0 << 3000 << true;
            QTest::addRow("live copy of this computer, 20 s old%s", form)
                << folder << QByteArray("LIVE\nkorvanta\nHOST\nMACHINE\n5f3a\n") << 20 << 300 << false;
            QTest::addRow("cloned computer: same machine id, other name%s", form)
                << folder << QByteArray(dead).replace("HOST", "clone") << 0 << 300 << false;
            QTest::addRow("same name, other machine id%s", form)
                << folder << QByteArray(dead).replace("MACHINE", "0123abcd") << 0 << 300 << false;
            QTest::addRow("another computer, 20 s old%s", form)
                << folder << QByteArray("1\nkorvanta\nkassa2\n0123abcd\n5f3a\n") << 20 << 300 << false;
            QTest::addRow("another computer, 40 s old%s", form)
                << folder << QByteArray("1\nkorvanta\nkassa2\n0123abcd\n5f3a\n") << 40 << 300 << true;
        }
        // A folder whose holder's file was never made names nobody either.
        QTest::newRow("folder without its holder, 5 s old") << true << QByteArray("-") << 5 << 3000 << true;
        QTest::newRow("folder without its holder, just made") << true << QByteArray("-") << 0 << 300 << false;
    }
    // A lock left behind is taken over when it surely belongs to nobody any more, and only then;
    // its age is the share's, by the modification time the file system gave it.
    void leftLock()
    {
        QFETCH(bool, folder);
        QFETCH(QByteArray, content);
        QFETCH(int, ageSeconds);
        QFETCH(int, waitMs);
        QFETCH(bool, takenOver);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0)
            _exit(0);
        QCOMPARE(waitpid(child, nullptr, 0), child);
        content.replace("DEAD", QByteArray::number(child))
            .replace("LIVE", QByteArray::number(getpid()))
            .replace("HOST", QSysInfo::machineHostName().toUtf8())
            .replace("MACHINE", QSysInfo::machineUniqueId());
        const QString lockFile = FileLock::lockFileName(m_list);
        QString dated = lockFile;
        if (folder) {
            QVERIFY(QDir().mkdir(lockFile));
            if (content != "-") {
                dated = FileLock::holderFileName(m_list);
                writeBytes(dated, content);
            }
        } else {
            writeBytes(lockFile, content);
        }
        std::error_code error;
        std::filesystem::last_write_time(
            dated.toStdString(), std::filesystem::file_time_type::clock::now() - std::chrono::seconds(ageSeconds),
            error);
        QVERIFY(!error);

        bool ran = false;
        const QString failure = failureOf([&] {
            withFileLock(
                m_list, [&] { ran = true; }, std::chrono::milliseconds(waitMs));
        });
        QCOMPARE(ran, takenOver);
        QCOMPARE(failure,
                 takenOver ? QString() : QStringLiteral("Файл \"Proc_int.dat\" занят другой копией программы."));
        QCOMPARE(QFileInfo::exists(lockFile), !takenOver);
    }

    // A lock that cannot be removed is tried again and then reported; it is left naming nobody, so
    // that the next copy takes it over after a few seconds instead of half a minute.
    void failedReleaseIsReported()
    {
        bool ran = false;
        {
            FakeFileSystem fs;
            fs.refusedRemovalSuffix = QStringLiteral(".lock");
            const QString failure = failureOf([&] { withFileLock(m_list, [&] { ran = true; }); });
            QVERIFY2(
                failure.startsWith(
                    QStringLiteral("Не удалось удалить файл блокировки \"%1\".").arg(FileLock::lockFileName(m_list))),
                qPrintable(failure));
        }
        QVERIFY(ran);
        QVERIFY(QFileInfo::exists(FileLock::lockFileName(m_list)));
        QCOMPARE(readBytes(FileLock::holderFileName(m_list)), QByteArray());
        ran = false;
        withFileLock(
            m_list, [&] { ran = true; }, 4000ms);
        QVERIFY(ran);
        QVERIFY(!QFile::exists(FileLock::lockFileName(m_list)));
    }

    // A lock that another copy took over meanwhile (this one judged dead) stays that copy's.
    void releaseLeavesAnotherCopysLock()
    {
        const QByteArray theirs = "1\nkorvanta\nkassa2\n0123abcd\n77\n";
        {
            FileLock lock(m_list);
            writeBytes(FileLock::holderFileName(m_list), theirs);
        }
        QCOMPARE(readBytes(FileLock::holderFileName(m_list)), theirs);
    }
};

QTEST_GUILESS_MAIN(TestFileLock)
#include "tst_filelock.moc"
