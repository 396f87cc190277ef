// Stock movements through the price lists and the journal: receiving, returns, reconciliation
// after a copy died between the list and the journal, and a seller and the owner at once.
#include "common/failure.h"
#include "common/stockshop.h"
#include "text/csv.h"

#include <QtTest>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

const Actor Owner{QStringLiteral("owner@shop"), QString()};

// A copy killed right after it replaced a list, before its journal row was written.
struct DyingJournal : Journal {
    using Journal::Journal;
    long long append(std::vector<JournalRow>) override { throw Error(QStringLiteral("killed")); }
};

ItemRef item(const QString& file, int record = 1)
{
    return {file, record, file.section(QLatin1Char('.'), 0, 0) + QStringLiteral(" A")};
}

// Runs `work` in a child process while the test goes on in this one.
pid_t inChild(const std::function<void()>& work)
{
    const pid_t child = fork();
    if (child == 0) {
        int code = 0;
        try {
            work();
        } catch (...) {
            code = 1;
        }
        _exit(code);
    }
    return child;
}

// Waits for the child; true when its work ran through.
bool joined(pid_t child)
{
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// Sets a record's count in its file behind the journal's back, as a hand edit does.
void setRecordStockInFile(const StockShop& shop, const QString& file, int record, const QString& stock)
{
    PriceList list = shop.list(file);
    list.replace(record * RecordLines + StockLine, stock);
    writeBytes(shop.path(file), list.toFileBytes());
}

Q_DECLARE_METATYPE(korvanta::stock::ItemRef)

class TestMovements : public QObject {
    Q_OBJECT
private slots:
    void receiving()
    {
        StockShop shop;
        QCOMPARE(receiveGoods(shop.journal, item(QStringLiteral("Video.dat")), 7, Owner), 1LL);
        QCOMPARE(shop.stockOf(QStringLiteral("Video.dat"), 1), QStringLiteral("12"));
        const auto row = shop.reader().row(0);
        QVERIFY(row);
        QCOMPARE(row->operation, ReceiptOp);
        QCOMPARE(row->workplace, Owner.workplace);
        QCOMPARE(row->name, QStringLiteral("Video A"));
        QCOMPARE(row->quantity, 7LL);
        QCOMPARE(row->priceText, QStringLiteral("10"));
        QCOMPARE(row->stockBefore, 5LL);
        QCOMPARE(row->stockAfter, 12LL);
    }

    // What is refused changes neither the list nor the journal, and says why.
    void refused_data()
    {
        QTest::addColumn<ItemRef>("target");
        QTest::addColumn<long long>("quantity");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing received")
            << item(QStringLiteral("Ram.dat")) << 0LL << QStringLiteral("Количество прихода должно быть больше нуля.");
        QTest::newRow("another item there")
            << ItemRef{QStringLiteral("Ram.dat"), 2, QStringLiteral("Ram A")} << 1LL
            << QStringLiteral(
                   "В файле \"Ram.dat\" на месте записи 3 теперь «Ram B», а не «Ram A». Ничего не изменено.");
        QTest::newRow("past the end") << ItemRef{QStringLiteral("Ram.dat"), 3, QStringLiteral("Ram C")} << 1LL
                                      << QStringLiteral(
                                             "В файле \"Ram.dat\" нет записи 4 («Ram C»). Ничего не изменено.");
        QTest::newRow("beyond a count")
            << item(QStringLiteral("Ram.dat")) << 2147483647LL
            << QStringLiteral(
                   "Количество 2147483652 для «Ram A» (файл \"Ram.dat\") слишком велико. Ничего не изменено.");
    }
    void refused()
    {
        QFETCH(ItemRef, target);
        QFETCH(long long, quantity);
        QFETCH(QString, message);
        StockShop shop;
        const QByteArray before = shop.bytes(QStringLiteral("Ram.dat"));
        QCOMPARE(failureOf([&] { receiveGoods(shop.journal, target, quantity, Owner); }), message);
        QCOMPARE(shop.bytes(QStringLiteral("Ram.dat")), before);
        QVERIFY(shop.reader().isEmpty());
    }

    // A return puts back exactly what was shipped, once.
    void returns_data()
    {
        QTest::addColumn<QList<QStringList>>("requests"); // files to return; empty: the whole order
        QTest::addColumn<QStringList>("refusals");        // "" where the request goes through
        QTest::addColumn<QString>("ramStock");
        QTest::addColumn<QString>("caseStock");
        QTest::newRow("whole order, twice")
            << QList<QStringList>{{}, {}} << QStringList{"", "Заказ № 1 уже возвращён полностью."} << "5"
            << "5";
        QTest::newRow("one row, twice") << QList<QStringList>{{"Ram.dat"}, {"Ram.dat"}}
                                        << QStringList{"", "Строка «Ram A» заказа № 1 уже возвращена."} << "5"
                                        << "4";
        QTest::newRow("one row, then the rest") << QList<QStringList>{{"Case.dat"}, {}, {}}
                                                << QStringList{"", "", "Заказ № 1 уже возвращён полностью."} << "5"
                                                << "5";
        QTest::newRow("a row the order lacks")
            << QList<QStringList>{{"Net.dat"}}
            << QStringList{"В заказе № 1 нет строки «Net A» (файл \"Net.dat\", запись 2)."} << "2"
            << "4";
    }
    void returns()
    {
        QFETCH(QList<QStringList>, requests);
        QFETCH(QStringList, refusals);
        QFETCH(QString, ramStock);
        QFETCH(QString, caseStock);
        StockShop shop;
        ShipmentJournal order(shop.tmp.path(), QStringLiteral("Петров"));
        shop.ship(order, QStringLiteral("Ram.dat"), 1, 3);
        shop.ship(order, QStringLiteral("Case.dat"), 1, 1);
        for (int i = 0; i < requests.size(); ++i) {
            std::vector<ItemRef> lines;
            for (const QString& file : requests[i])
                lines.push_back(item(file));
            QCOMPARE(failureOf([&] { returnItems(shop.journal, order.orderNumber(), lines, Owner); }), refusals[i]);
        }
        QCOMPARE(shop.stockOf(QStringLiteral("Ram.dat"), 1), ramStock);
        QCOMPARE(shop.stockOf(QStringLiteral("Case.dat"), 1), caseStock);
        const JournalReader reader = shop.reader();
        for (qsizetype i = 2; i < reader.size(); ++i) {
            const auto row = reader.row(i);
            QCOMPARE(row->operation, ReturnOp);
            QCOMPARE(row->order, order.orderNumber());
            QCOMPARE(row->customer, QStringLiteral("Петров"));
            QCOMPARE(row->stockAfter - row->stockBefore, row->quantity);
        }
        // Every row of the order is either still out or back exactly once, and nothing is listed
        // as out of step.
        for (const OrderLine& line : orderLines(reader, order.orderNumber()))
            QCOMPARE(line.returned, shop.stockOf(line.shipped.fileName, 1) == QStringLiteral("5"));
        QVERIFY(reconcile(shop.journal).empty());
    }

    // A journal written before the charged columns (13 of them, its old header) still opens,
    // takes back its orders, reconciles, numbers on and gives a copy of its orders.
    void journalOfThirteenColumns()
    {
        StockShop shop;
        {
            ShipmentJournal order(shop.folder, QStringLiteral("Иванов"), QStringLiteral("anna@shop"));
            shop.ship(order, QStringLiteral("Ram.dat"), 1, 2);
            shop.ship(order, QStringLiteral("Case.dat"), 1, 1);
        }
        const JournalReader written = shop.reader();
        QByteArray old = csv::row(columnTitles().first(BaseColumnCount));
        for (qsizetype i = 0; i < written.size(); ++i)
            old += csv::row(written.fields(i).first(BaseColumnCount));
        writeBytes(shop.journal.path(), old);
        // A shop of that time has no number counter either.
        QFile::remove(shop.journal.counterPath());
        QVERIFY(!QFile::exists(shop.journal.counterPath()));

        const JournalReader reader = shop.reader();
        QCOMPARE(reader.size(), 2);
        QCOMPARE(reader.fields(0).size(), int(BaseColumnCount));
        QCOMPARE(reader.row(1)->name, QStringLiteral("Case A"));
        QVERIFY(reader.row(1)->amount.isEmpty());
        QCOMPARE(orderLines(reader, 1).size(), size_t(2));
        QVERIFY(reconcile(shop.journal).empty());

        QCOMPARE(returnItems(shop.journal, 1, {item(QStringLiteral("Ram.dat"))}, Owner), 1);
        QCOMPARE(shop.stockOf(QStringLiteral("Ram.dat"), 1), QStringLiteral("5"));
        QVERIFY(reconcile(shop.journal).empty());
        const auto back = shop.reader().row(2);
        QVERIFY(back);
        QCOMPARE(back->operation, ReturnOp);
        QCOMPARE(back->order, 1LL);
        QCOMPARE(back->quantity, 2LL);
        QVERIFY(back->amount.isEmpty()); // an old row's amount is not made up
        QCOMPARE(shop.journal.reserveOrder(), 2LL);
        setRecordStockInFile(shop, QStringLiteral("Case.dat"), 1, QStringLiteral("9"));
        QCOMPARE(reconcile(shop.journal).size(), size_t(1));
    }

    // A return's amount is the unit price times the quantity taken back; the rest of the printed
    // line is the shipment's.
    void returnCarriesTheChargedColumns()
    {
        StockShop shop;
        ShipmentJournal order(shop.folder, QStringLiteral("Иванов"), QStringLiteral("anna@shop"));
        order.setOrder(shop.journal.reserveOrder(),
                       OrderTerms{QStringLiteral("руб."), QStringLiteral("29,7"), QStringLiteral("10"),
                                  QStringLiteral("20"), QStringLiteral("5.3.2026")});
        shop.ship(order, QStringLiteral("Ram.dat"), 1, 3);
        // The fixture's shipment knows no printed line: give the row one as printing does.
        JournalRow shipped = *shop.reader().row(0);
        shipped.orderLine = QStringLiteral("Ram A - 3шт.");
        shipped.unitPrice = QStringLiteral("297,10");
        shipped.amount = QStringLiteral("891,30");
        shipped.linePosition = 1;
        writeBytes(shop.journal.path(), csv::row(columnTitles()) + csv::row(shipped.fields()));

        QCOMPARE(returnItems(shop.journal, 1, {}, Owner), 1);
        const auto back = shop.reader().row(1);
        QVERIFY(back);
        QCOMPARE(back->operation, ReturnOp);
        QCOMPARE(back->amount, QStringLiteral("891,30"));
        for (const auto& [got, want] : std::vector<std::pair<QString, QString>>{{back->orderLine, shipped.orderLine},
                                                                                {back->unitPrice, shipped.unitPrice},
                                                                                {back->unit, shipped.unit},
                                                                                {back->rate, shipped.rate},
                                                                                {back->markup, shipped.markup},
                                                                                {back->vat, shipped.vat},
                                                                                {back->orderDate, shipped.orderDate}})
            QCOMPARE(got, want);
        QCOMPARE(back->linePosition, 1);
    }

    // The list was replaced and the copy died before its row: the next copy that takes the list's
    // lock appends the row, and reconciliation then finds nothing. A hand edit since is found,
    // accepting the file's count journals it, and then all agrees. A hand edit of a record the
    // journal never mentioned is not listed.
    void reconciliationAfterKill()
    {
        StockShop shop;
        receiveGoods(shop.journal, item(QStringLiteral("Ups.dat")), 2, Owner);
        DyingJournal dying(shop.tmp.path());
        QCOMPARE(failureOf([&] { receiveGoods(dying, item(QStringLiteral("Ups.dat")), 3, Owner); }),
                 QStringLiteral("killed"));
        QCOMPARE(shop.stockOf(QStringLiteral("Ups.dat"), 1), QStringLiteral("10"));
        writeList(shop.dir, QStringLiteral("Mouse.dat"), {record("нет", "0", "0"), record("Mouse A", "10", "99")});

        completePendingMoves(shop.journal);
        QCOMPARE(shop.reader().size(), 2);
        const auto late = shop.reader().row(1);
        QCOMPARE(late->operation, ReceiptOp);
        QCOMPARE(late->quantity, 3LL);
        QCOMPARE(late->stockAfter, 10LL);
        QVERIFY(reconcile(shop.journal).empty());

        setRecordStockInFile(shop, QStringLiteral("Ups.dat"), 1, QStringLiteral("12"));
        const std::vector<Discrepancy> found = reconcile(shop.journal);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found[0].fileName, QStringLiteral("Ups.dat"));
        QCOMPARE(found[0].record, 1);
        QCOMPARE(found[0].name, QStringLiteral("Ups A"));
        QCOMPARE(found[0].journalStock, 10LL);
        QCOMPARE(found[0].fileStock, QStringLiteral("12"));

        QVERIFY(acceptFileCount(shop.journal, found[0], Owner));
        QVERIFY(!acceptFileCount(shop.journal, found[0], Owner));
        const auto row = shop.reader().row(2);
        QCOMPARE(row->operation, CorrectionOp);
        QCOMPARE(row->stockBefore, 10LL);
        QCOMPARE(row->stockAfter, 12LL);
        QCOMPARE(row->quantity, 2LL);
        QCOMPARE(shop.reader().size(), 3);
        QVERIFY(reconcile(shop.journal).empty());
    }

    // A seller prints orders in one process while the owner receives goods of the same record in
    // another: no movement is lost and the journal's counts follow on from each other.
    void sellerAndOwnerAtOnce()
    {
        StockShop shop;
        constexpr int Rounds = 60;
        const pid_t child = inChild([&] {
            for (int i = 0; i < Rounds; ++i)
                receiveGoods(shop.journal, item(QStringLiteral("Ram.dat")), 2, Owner);
        });
        for (int i = 0; i < Rounds; ++i) {
            ShipmentJournal order(shop.tmp.path(), QStringLiteral("Покупатель"));
            shop.ship(order, QStringLiteral("Ram.dat"), 1, 1);
        }
        QVERIFY(joined(child));

        QCOMPARE(shop.stockOf(QStringLiteral("Ram.dat"), 1), QString::number(5 + Rounds));
        const JournalReader reader = shop.reader();
        QCOMPARE(reader.size(), 2 * Rounds);
        QSet<long long> orders;
        long long stock = 5;
        for (qsizetype i = 0; i < reader.size(); ++i) {
            const auto row = reader.row(i);
            QCOMPARE(row->stockBefore, stock);
            stock = row->stockAfter;
            orders.insert(row->order);
        }
        QCOMPARE(orders.size(), 2 * Rounds);
        QVERIFY(reconcile(shop.journal).empty());
    }

    // Receiving on two lists at once in two processes: the lists' locks do not meet, so only the
    // journal's own lock keeps the rows whole and their order numbers apart.
    void twoListsJournaledAtOnce()
    {
        StockShop shop;
        constexpr int Rounds = 60;
        const pid_t child = inChild([&] {
            for (int i = 0; i < Rounds; ++i)
                receiveGoods(shop.journal, item(QStringLiteral("Ram.dat")), 1, Owner);
        });
        for (int i = 0; i < Rounds; ++i)
            receiveGoods(shop.journal, item(QStringLiteral("Ups.dat")), 1, Owner);
        QVERIFY(joined(child));

        const JournalReader reader = shop.reader();
        QCOMPARE(reader.size(), 2 * Rounds);
        QCOMPARE(reader.tornBytes(), 0);
        QSet<long long> orders;
        QMap<QString, long long> stock{{QStringLiteral("Ram.dat"), 5}, {QStringLiteral("Ups.dat"), 5}};
        for (qsizetype i = 0; i < reader.size(); ++i) {
            const auto row = reader.row(i);
            QVERIFY(row);
            QCOMPARE(row->stockBefore, stock[row->fileName]);
            stock[row->fileName] = row->stockAfter;
            orders.insert(row->order);
        }
        QCOMPARE(orders.size(), 2 * Rounds);
        QCOMPARE(stock, (QMap<QString, long long>{{QStringLiteral("Ram.dat"), 5 + Rounds},
                                                  {QStringLiteral("Ups.dat"), 5 + Rounds}}));
        QVERIFY(reconcile(shop.journal).empty());
    }

    // A count that is no number is a difference too; accepting a file's count takes the journal's
    // last row of that list's record, not of the same record number in another list.
    void reconciliationOfUnreadableAndSameNumberedRecords()
    {
        StockShop shop;
        receiveGoods(shop.journal, item(QStringLiteral("Ups.dat")), 2, Owner);
        receiveGoods(shop.journal, item(QStringLiteral("Key.dat")), 1, Owner);
        shop.write(QStringLiteral("Key.dat"), {record("нет", "0", "0"), record("Key A", "10", "много")});
        shop.write(QStringLiteral("Ups.dat"), {record("нет", "0", "0"), record("Ups A", "10", "9")});
        const std::vector<Discrepancy> found = reconcile(shop.journal);
        QCOMPARE(found.size(), size_t(2));
        QCOMPARE(found[0].fileName, QStringLiteral("Key.dat"));
        QCOMPARE(found[0].fileStock, QStringLiteral("много"));
        QCOMPARE(found[0].journalStock, 6LL);
        QCOMPARE(found[1].fileName, QStringLiteral("Ups.dat"));

        // Meanwhile record 1 of another list is journaled; the Ups row still follows Ups's own.
        receiveGoods(shop.journal, item(QStringLiteral("Ram.dat")), 4, Owner);
        QVERIFY(acceptFileCount(shop.journal, found[1], Owner));
        const auto row = shop.reader().row(3);
        QCOMPARE(row->fileName, QStringLiteral("Ups.dat"));
        QCOMPARE(row->operation, CorrectionOp);
        QCOMPARE(row->stockBefore, 7LL);
        QCOMPARE(row->stockAfter, 9LL);
        QCOMPARE(row->quantity, 2LL);
        QCOMPARE(reconcile(shop.journal).size(), size_t(1));
    }

    // A shared folder of two accounts: a replaced list and the appended journal keep the file's
    // permissions, so the other account can still write them.
    void replacedFilesKeepTheirPermissions()
    {
        StockShop shop;
        receiveGoods(shop.journal, item(QStringLiteral("Ups.dat")), 1, Owner);
        const QFile::Permissions shared =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
        for (const QString& file : {shop.path(QStringLiteral("Ups.dat")), shop.journal.path()})
            QVERIFY(QFile::setPermissions(file, shared));
        receiveGoods(shop.journal, item(QStringLiteral("Ups.dat")), 1, Owner);
        for (const QString& file : {shop.path(QStringLiteral("Ups.dat")), shop.journal.path()})
            QCOMPARE(QFileInfo(file).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), shared);
        QCOMPARE(shop.stockOf(QStringLiteral("Ups.dat"), 1), QStringLiteral("7"));
    }
};

QTEST_GUILESS_MAIN(TestMovements)
#include "tst_movements.moc"
