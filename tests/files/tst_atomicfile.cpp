// Replacing a shared file on file systems that carry out a rename in their own way: whatever the
// system makes of it, the old or the new content is always there, under the file's name or beside
// it, and the next copy that takes the file's lock finishes or undoes a swap cut short.
#include "common/failure.h"
#include "common/fakefilesystem.h"
#include "common/shopfiles.h"
#include "files/atomicfile.h"
#include "files/filelock.h"
#include "files/textlines.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QByteArray OldContent = "old list\r\n";
const QByteArray NewContent = "new list\r\n";

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_list;

    QStringList leftovers() const
    {
        return QDir(m_tmp.path()).entryList({QStringLiteral("*.korvanta-*")}, QDir::Files | QDir::Hidden);
    }
    // The whole content of the list as a reader or the next copy would find it: under its name, or
    // whole beside it while a swap is under way.
    QList<QByteArray> contentsFound() const
    {
        QList<QByteArray> found;
        if (QFile::exists(m_list))
            found.append(readBytes(m_list));
        for (const QString& name : leftovers())
            if (name.contains(QStringLiteral("-ready-")))
                found.append(readBytes(QDir(m_tmp.path()).filePath(name)));
        return found;
    }

private slots:
    void init()
    {
        QDir(m_tmp.path()).removeRecursively();
        QDir().mkpath(m_tmp.path());
        m_list = QDir(m_tmp.path()).filePath(QStringLiteral("Proc_int.dat"));
        writeBytes(m_list, OldContent);
    }

    void replaceOnAShare_data()
    {
        QTest::addColumn<bool>("noReplace");
        QTest::addColumn<bool>("deleteThenRename");
        QTest::addColumn<int>("refused");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("listThere");

        const int busy = int(std::errc::device_or_resource_busy);
        const int denied = int(std::errc::permission_denied);
        const int textBusy = int(std::errc::text_file_busy);
        QTest::newRow("plain rename") << false << false << 0 << busy << true << true;
        QTest::newRow("delete, then rename") << false << true << 0 << busy << true << true;
        // The new content is never removed while the old one is gone.
        QTest::newRow("delete, then a refused rename") << false << true << 1 << busy << true << true;
        QTest::newRow("busy for a while") << false << false << 3 << busy << true << true;
        QTest::newRow("access denied for a while") << false << false << 3 << denied << true << true;
        QTest::newRow("text file busy for a while") << false << false << 3 << textBusy << true << true;
        QTest::newRow("busy for good") << false << false << -1 << busy << false << true;
        QTest::newRow("no room, at once")
            << false << false << -1 << int(std::errc::no_space_on_device) << false << true;
        QTest::newRow("no replace: the file exists") << true << false << 0 << busy << true << true;
        QTest::newRow("delete, then busy for good") << false << true << -1 << busy << false << false;
    }
    // At every moment of a replace the old or the new content exists whole; a replace that did
    // not happen says so; the next copy to take the lock ends up with one content under the name.
    void replaceOnAShare()
    {
        QFETCH(bool, noReplace);
        QFETCH(bool, deleteThenRename);
        QFETCH(int, refused);
        QFETCH(int, error);
        QFETCH(bool, replaced);
        QFETCH(bool, listThere);

        FakeFileSystem fs;
        fs.noReplace = noReplace;
        fs.deleteThenRename = deleteThenRename;
        fs.refusedRenames = refused;
        fs.refusal = std::make_error_code(std::errc(error));
        int momentsWithout = 0;
        fs.afterEach = [&] {
            const QList<QByteArray> found = contentsFound();
            if (!found.contains(OldContent) && !found.contains(NewContent))
                ++momentsWithout;
        };
        const QString reason = replaceFile(m_list, NewContent);
        QCOMPARE(momentsWithout, 0);
        QCOMPARE(reason.isEmpty(), replaced);
        QCOMPARE(QFile::exists(m_list), listThere);
        if (replaced) {
            QCOMPARE(readBytes(m_list), NewContent);
            QCOMPARE(leftovers(), QStringList());
        } else if (listThere) {
            QCOMPARE(readBytes(m_list), OldContent);
            QCOMPARE(leftovers(), QStringList());
        } else {
            QCOMPARE(contentsFound(), QList<QByteArray>({NewContent}));
        }

        fs.refusedRenames = 0;
        withFileLock(m_list, [] {});
        QCOMPARE(readBytes(m_list), listThere && !replaced ? OldContent : NewContent);
        QCOMPARE(leftovers(), QStringList());
    }

    void writeFailsForAWhile_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("input/output errors for a moment") << 3 << true;
        QTest::newRow("input/output errors for good") << -1 << false;
    }
    // A share's client that fails every write for a while: the new content arrives once it
    // recovers, or the replace says it did not happen; the old content stays whole meanwhile.
    void writeFailsForAWhile()
    {
        QFETCH(int, failures);
        QFETCH(bool, replaced);
        FakeFileSystem fs;
        fs.failedWrites = failures;
        const QString reason = replaceFile(m_list, NewContent);
        QCOMPARE(reason.isEmpty(), replaced);
        QCOMPARE(readBytes(m_list), replaced ? NewContent : OldContent);
        QCOMPARE(leftovers(), QStringList());
    }

    void killedDuringTheSwap_data()
    {
        QTest::addColumn<bool>("byReader");
        QTest::newRow("the next update finishes it") << false;
        QTest::newRow("a reader finishes it") << true;
    }
    // A copy killed after the share's client deleted the list and before it renamed the new one
    // leaves the new list only beside; the next copy brings it back under the list's name.
    void killedDuringTheSwap()
    {
        QFETCH(bool, byReader);
        {
            FakeFileSystem fs;
            fs.deleteThenRename = true;
            fs.killAfterDelete = true;
            bool killed = false;
            try {
                (void)replaceFile(m_list, NewContent);
            } catch (const Killed&) {
                killed = true;
            }
            QVERIFY(killed);
        }
        QVERIFY(!QFile::exists(m_list));
        QCOMPARE(contentsFound(), QList<QByteArray>({NewContent}));

        if (byReader) {
            QCOMPARE(loadTextFile(m_list).toFileBytes(), NewContent);
        } else {
            withFileLock(m_list, [&] {
                TextLines lines = loadTextFile(m_list);
                lines.append(QStringLiteral("more"));
                saveTextFile(m_list, lines);
            });
            QCOMPARE(readBytes(m_list), NewContent + "more\r\n");
        }
        QCOMPARE(leftovers(), QStringList());
    }

    // A part written by a copy killed before it finished is never taken for the list, even where
    // the list itself is gone: only a whole new content is swapped in.
    void aPartIsNeverSwappedIn()
    {
        QFile::remove(m_list);
        writeBytes(m_list + QStringLiteral(".korvanta-new-Ab12Cd"), "half");
        withFileLock(m_list, [] {});
        QVERIFY(!QFile::exists(m_list));
        QCOMPARE(leftovers(), QStringList());
    }

    void listMissingForAMoment_data()
    {
        QTest::addColumn<int>("missingOpens");
        QTest::addColumn<bool>("swapUnderWay");
        QTest::addColumn<bool>("shown"); // the list is there but refused: held open elsewhere
        QTest::addColumn<bool>("found");
        QTest::newRow("during another's swap") << 5 << true << false << true;
        QTest::newRow("gone, no swap under way") << -1 << false << false << false;
        // Longer than a missing list is waited for.
        QTest::newRow("held open elsewhere for a moment") << 60 << false << true << true;
        QTest::newRow("held open elsewhere for good") << -1 << false << true << false;
    }
    // A reader that finds the list missing while another computer swaps it waits for the swap
    // instead of reporting the list missing; one that cannot open a list that is there tries again
    // for a while; a list that is really gone, or never opens, is reported.
    void listMissingForAMoment()
    {
        QFETCH(int, missingOpens);
        QFETCH(bool, swapUnderWay);
        QFETCH(bool, shown);
        QFETCH(bool, found);
        // What another copy swapping the list has beside it, under its own lock.
        const QString beside = m_list + QStringLiteral(".korvanta-ready-Xy34Zw");
        if (swapUnderWay)
            writeBytes(beside, NewContent);
        FileLock other(m_list);
        FakeFileSystem fs;
        fs.missingName = QStringLiteral("Proc_int.dat");
        fs.missingOpens = missingOpens;
        fs.shownWhileMissing = shown;
        const QString failure = failureOf([&] { QCOMPARE(loadTextFile(m_list).toFileBytes(), OldContent); });
        QVERIFY2(failure.isEmpty() == found, qPrintable(failure));
        if (!found)
            QVERIFY2(failure.startsWith(QStringLiteral("Cannot open file \"%1\".").arg(m_list)), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
