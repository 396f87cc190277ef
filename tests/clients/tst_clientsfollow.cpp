// The client base while another copy saves it: what the other copy saved is found and shown with
// this grid's own changes kept, and a later save merges against what was shown.
#include "clients/clientbase.h"
#include "common/shopfiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QStringList Ivanov = {"Иванов Иван", "8 (495) 123-45-67", "", ""};
const QStringList Petrova = {"Петрова Алёна", "", "petrova@mail.example", ""};
const QStringList Sidorov = {"Сидоров", "555-01-02", "", ""};

QList<QStringList> rowsOf(const ClientBase& base)
{
    QList<QStringList> rows;
    for (int r = 1; r < base.rowCount(); ++r)
        rows << base.rowTexts(r).mid(1);
    return rows;
}

} // namespace

class TestClientsFollow : public QObject {
    Q_OBJECT

private slots:
    void showsWhatAnotherCopySaved_data()
    {
        QTest::addColumn<QList<QStringList>>("theirs"); // the file another copy saved; empty: none saved
        QTest::addColumn<bool>("ourEdit");              // this grid changed Ivanov's phone first
        QTest::addColumn<QList<QStringList>>("shown");  // the grid after taking it in
        QStringList ivanovEdited = Ivanov;
        ivanovEdited[1] = QStringLiteral("8 (495) 000-00-00");
        QTest::newRow("nothing saved elsewhere")
            << QList<QStringList>() << false << QList<QStringList>{Ivanov, Petrova};
        QTest::newRow("a customer added")
            << QList<QStringList>{Ivanov, Petrova, Sidorov} << false << QList<QStringList>{Ivanov, Petrova, Sidorov};
        QTest::newRow("a customer removed") << QList<QStringList>{Petrova} << false << QList<QStringList>{Petrova};
        QTest::newRow("added, our edit kept") << QList<QStringList>{Ivanov, Petrova, Sidorov} << true
                                              << QList<QStringList>{ivanovEdited, Petrova, Sidorov};
    }
    void showsWhatAnotherCopySaved()
    {
        QFETCH(QList<QStringList>, theirs);
        QFETCH(bool, ourEdit);
        QFETCH(QList<QStringList>, shown);
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(ClientBase::fileName());
        writeBytes(path, crlf(Ivanov + Petrova));
        ClientBase base(dir.path());
        base.load();
        if (ourEdit)
            base.setCell(1, 2, QStringLiteral("8 (495) 000-00-00"));
        QStringList theirLines;
        for (const QStringList& r : theirs)
            theirLines += r;
        if (!theirs.isEmpty())
            writeBytes(path, crlf(theirLines));

        const auto now = base.savedElsewhere();
        QCOMPARE(now.has_value(), !theirs.isEmpty());
        if (now)
            base.takeSavedElsewhere(*now);
        QCOMPARE(rowsOf(base), shown);
        QVERIFY(!base.savedElsewhere());
        // Saving now writes the grid as shown, with nothing left to merge.
        QCOMPARE(base.save(), false);
        QCOMPARE(readBytes(path), crlf([&] {
                     QStringList lines;
                     for (const QStringList& r : shown)
                         lines += r;
                     return lines;
                 }()));
    }
};

QTEST_GUILESS_MAIN(TestClientsFollow)
#include "tst_clientsfollow.moc"
