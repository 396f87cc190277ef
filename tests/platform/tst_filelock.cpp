// The lock of a shared file: a busy lock is told by the file's name, a killed holder's lock is
// taken over, and the temporary files of a killed copy are removed only under the lock.
#include "atomicfile.h"
#include "failure.h"
#include "filelock.h"
#include "shopfiles.h"
#include "textlines.h"

#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <csignal>
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
        QCOMPARE(failureOf([&] { withFileLock(m_list, [&] { ran = true; }, 200ms); }),
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
                                  QStringLiteral("Mat_int.dat.korvanta-new-AbC123"), QStringLiteral("Proc_int.dat.123456")};
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
};

QTEST_GUILESS_MAIN(TestFileLock)
#include "tst_filelock.moc"
