// A movement cut short between its list and its journal: the next copy that takes the list's lock
// appends the rows the list shows, once, and claims none for a list that never changed.
#include "common/failure.h"
#include "common/fakefilesystem.h"
#include "common/stockshop.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

const Actor Owner{QStringLiteral("owner@shop"), QString()};
const QString Ups = QStringLiteral("Ups.dat");
const QString Ram = QStringLiteral("Ram.dat");

// A copy whose journal write never happens, as one killed right after it swapped the list in.
struct DyingJournal : Journal {
    using Journal::Journal;
    long long append(std::vector<JournalRow>) override { throw Error(QStringLiteral("killed")); }
};

// A copy killed right after its rows were appended, before it removed its redo record.
struct AppendThenDie : Journal {
    using Journal::Journal;
    long long append(std::vector<JournalRow> rows) override
    {
        Journal::append(std::move(rows));
        throw Error(QStringLiteral("killed"));
    }
};

enum class Death { AfterSwap, BeforeSwap, SwapRefused, InDeleteThenRename, AfterAppend, ReturnAfterSwap };

} // namespace

Q_DECLARE_METATYPE(Death)

class TestMovementRedo : public QObject {
    Q_OBJECT
private slots:
    void nextCopyCompletes_data()
    {
        QTest::addColumn<Death>("death");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("stock"); // in the file afterwards
        QTest::addColumn<int>("rows");      // in the journal afterwards
        QTest::addColumn<QString>("last");  // the last row: operation, customer, quantity, before, after
        QTest::newRow("list swapped, rows not appended") << Death::AfterSwap << Ups << "10" << 2 << "приход||3|7|10";
        QTest::newRow("killed before the list was swapped") << Death::BeforeSwap << Ups << "7" << 1 << "приход||2|5|7";
        QTest::newRow("swap refused") << Death::SwapRefused << Ups << "7" << 1 << "приход||2|5|7";
        QTest::newRow("killed inside a delete-then-rename swap")
            << Death::InDeleteThenRename << Ups << "10" << 2 << "приход||3|7|10";
        QTest::newRow("rows appended, record left") << Death::AfterAppend << Ups << "10" << 2 << "приход||3|7|10";
        // The order's shipment rows of the same list are no reason to leave the return out.
        QTest::newRow("return of a shipped order, rows not appended")
            << Death::ReturnAfterSwap << Ram << "5" << 2 << "возврат|Петров|3|2|5";
    }
    void nextCopyCompletes()
    {
        QFETCH(Death, death);
        QFETCH(QString, file);
        QFETCH(QString, stock);
        QFETCH(int, rows);
        QFETCH(QString, last);
        StockShop shop;
        const ItemRef ref{file, 1, TestShop::stem(file) + QStringLiteral(" A")};
        long long order = 0;
        if (death == Death::ReturnAfterSwap) {
            ShipmentJournal sale(shop.folder, QStringLiteral("Петров"));
            shop.ship(sale, file, 1, 3);
            order = sale.orderNumber();
        } else {
            receiveGoods(shop.journal, ref, 2, Owner);
        }

        QString failure;
        switch (death) {
        case Death::AfterSwap: {
            DyingJournal dying(shop.folder);
            failure = failureOf([&] { receiveGoods(dying, ref, 3, Owner); });
            // Nor does a journal that fails while completing it lose the record.
            QCOMPARE(failureOf([&] { completePendingMoves(dying); }), QStringLiteral("killed"));
            break;
        }
        case Death::BeforeSwap: {
            // Killed right after the redo record was put in place.
            FakeFileSystem share;
            const QString redo = redoPath(shop.path(file));
            share.afterEach = [&] {
                if (QFile::exists(redo))
                    throw Killed{};
            };
            try {
                receiveGoods(shop.journal, ref, 3, Owner);
            } catch (const Killed&) {
                failure = QStringLiteral("killed");
            }
            break;
        }
        case Death::SwapRefused: {
            // Once the redo record is in place, the list's own swap is refused.
            FakeFileSystem share;
            share.refusal = std::make_error_code(std::errc::io_error);
            const QString redo = redoPath(shop.path(file));
            share.afterEach = [&] {
                if (QFile::exists(redo))
                    share.refusedRenames = -1;
            };
            failure = failureOf([&] { receiveGoods(shop.journal, ref, 3, Owner); });
            break;
        }
        case Death::InDeleteThenRename: {
            // Once the redo record is in place, the list's swap deletes it and the copy dies.
            FakeFileSystem share;
            const QString redo = redoPath(shop.path(file));
            share.afterEach = [&] { share.deleteThenRename = share.killAfterDelete = QFile::exists(redo); };
            try {
                receiveGoods(shop.journal, ref, 3, Owner);
            } catch (const Killed&) {
                failure = QStringLiteral("killed");
            }
            QVERIFY(!QFile::exists(shop.path(file)));
            break;
        }
        case Death::AfterAppend: {
            AppendThenDie dying(shop.folder);
            failure = failureOf([&] { receiveGoods(dying, ref, 3, Owner); });
            break;
        }
        case Death::ReturnAfterSwap: {
            DyingJournal dying(shop.folder);
            failure = failureOf([&] { returnItems(dying, order, {}, Owner); });
            break;
        }
        }
        QVERIFY(!failure.isEmpty());
        // A refused swap leaves nothing to settle; a death leaves the record to the next copy.
        QCOMPARE(QFile::exists(redoPath(shop.path(file))), death != Death::SwapRefused);

        completePendingMoves(shop.journal);
        completePendingMoves(shop.journal);
        QCOMPARE(shop.stockOf(file, 1), stock);
        const JournalReader reader = shop.reader();
        QCOMPARE(reader.size(), rows);
        const auto row = reader.row(rows - 1);
        QVERIFY(row);
        QCOMPARE(QStringList({row->operation, row->customer, QString::number(row->quantity),
                              QString::number(row->stockBefore), QString::number(row->stockAfter)})
                     .join(QLatin1Char('|')),
                 last);
        QVERIFY(row->order > 0);
        if (death == Death::ReturnAfterSwap)
            QCOMPARE(row->order, order);
        QVERIFY(reconcile(shop.journal).empty());
        QCOMPARE(
            shop.dir.entryList({QStringLiteral("*.korvanta-*"), QStringLiteral("*.lock")}, QDir::Files | QDir::Hidden),
            QStringList());
    }

    // A movement, an edit or Сверка's accept on the list settles its pending rows first: the
    // difference the dead copy left is gone before the owner accepts anything.
    void nextMovementCompletesFirst_data()
    {
        QTest::addColumn<bool>("accept"); // the next is Сверка's accept, else a receipt
        QTest::newRow("receipt") << false;
        QTest::newRow("accepting the file's count") << true;
    }
    void nextMovementCompletesFirst()
    {
        QFETCH(bool, accept);
        StockShop shop;
        const ItemRef ref{Ups, 1, QStringLiteral("Ups A")};
        receiveGoods(shop.journal, ref, 2, Owner);
        DyingJournal dying(shop.folder);
        QCOMPARE(failureOf([&] { receiveGoods(dying, ref, 3, Owner); }), QStringLiteral("killed"));
        // Looked at before anyone completed it, the journal lags the file.
        const std::vector<Discrepancy> found = reconcile(shop.journal);
        QCOMPARE(found.size(), size_t(1));
        if (accept)
            QVERIFY(!acceptFileCount(shop.journal, found[0], Owner));
        else
            receiveGoods(shop.journal, ref, 1, Owner);
        const JournalReader reader = shop.reader();
        QCOMPARE(reader.size(), accept ? 2 : 3);
        QCOMPARE(reader.row(1)->operation, ReceiptOp);
        QCOMPARE(reader.row(1)->stockAfter, 10LL);
        QCOMPARE(shop.stockOf(Ups, 1), accept ? QStringLiteral("10") : QStringLiteral("11"));
        QVERIFY(reconcile(shop.journal).empty());
        QVERIFY(!QFile::exists(redoPath(shop.path(Ups))));
    }
};

QTEST_GUILESS_MAIN(TestMovementRedo)
#include "tst_movementredo.moc"
