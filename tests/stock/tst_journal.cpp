// The journal file: rows of a shipment, order numbers, quoting, and a torn last row.
#include "catalogue/pricelistexchange.h"
#include "common/stockshop.h"
#include "stock/journalquery.h"
#include "text/csv.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

JournalRow movement(long long order, const QString& operation, const QString& name = QStringLiteral("Ram A"))
{
    return {order, "01.12.2026", "10:00:00", "anna@shop", QString(), operation, "Ram.dat", 1,  name, 1, "10", 5,
            4,     {},           {},         {},          {},        {},        {},        {}, {},   0};
}

} // namespace

Q_DECLARE_METATYPE(korvanta::stock::JournalFilter)

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void shipmentRows()
    {
        StockShop shop;
        for (int print = 0; print < 2; ++print) {
            ShipmentJournal order(shop.tmp.path(), QStringLiteral("Иванов; \"Мир ПК\""), QStringLiteral("anna@shop"));
            shop.ship(order, QStringLiteral("Ram.dat"), 1, 2);
            shop.ship(order, QStringLiteral("Case.dat"), 1, 1);
            QCOMPARE(order.orderNumber(), print + 1);
        }
        const QByteArray bytes = readBytes(shop.journal.path());
        QVERIFY(bytes.startsWith(csv::row(columnTitles())));
        const JournalReader reader = shop.reader();
        QCOMPARE(reader.size(), 4);
        const QList<QStringList> expected{
            {"1", "anna@shop", "Иванов; \"Мир ПК\"", "отгрузка", "Ram.dat", "2", "Ram A", "2", "10", "5", "3"},
            {"1", "anna@shop", "Иванов; \"Мир ПК\"", "отгрузка", "Case.dat", "2", "Case A", "1", "10", "5", "4"},
            {"2", "anna@shop", "Иванов; \"Мир ПК\"", "отгрузка", "Ram.dat", "2", "Ram A", "2", "10", "3", "1"},
            {"2", "anna@shop", "Иванов; \"Мир ПК\"", "отгрузка", "Case.dat", "2", "Case A", "1", "10", "4", "3"}};
        for (qsizetype i = 0; i < reader.size(); ++i) {
            QStringList fields = reader.fields(i);
            QCOMPARE(fields.size(), int(ColumnCount));
            QVERIFY(QDate::fromString(fields[DateColumn], QStringLiteral("dd.MM.yyyy")).isValid());
            QVERIFY(QTime::fromString(fields[TimeColumn], QStringLiteral("HH:mm:ss")).isValid());
            fields.removeAt(TimeColumn);
            fields.removeAt(DateColumn);
            // Rows recorded without the printed order's terms leave its columns empty.
            QCOMPARE(fields.mid(BaseColumnCount - 2), QStringList(ColumnCount - BaseColumnCount, QString()));
            QCOMPARE(fields.first(BaseColumnCount - 2), expected[i]);
            QCOMPARE(reader.field(i, CustomerColumn), expected[i][2]);
        }
        QCOMPARE(shop.stockOf(QStringLiteral("Ram.dat"), 1), QStringLiteral("1"));
        // The owner reads one numbering: the journal's record is the sheet's "Номер" of the item.
        QStringList sheetRow;
        for (const csv::ParsedRow& row : csv::parse(exportPriceLists(shop.tmp.path())).rows)
            if (row.fields.value(0) == QStringLiteral("Ram.dat") && row.fields.value(2) == QStringLiteral("Ram A"))
                sheetRow = row.fields;
        QCOMPARE(sheetRow.value(1), reader.field(0, RecordColumn));
        QCOMPARE(reader.row(0)->record, 1);
    }

    // The next number is one more than the highest of the journal's end, whatever order the rows
    // came in; returns repeat an old number and do not count.
    void nextOrderNumber_data()
    {
        QTest::addColumn<QList<long long>>("orders"); // negative: a row repeating that order's number
        QTest::addColumn<QString>("repeating");       // the operation of those rows
        QTest::addColumn<long long>("next");
        QTest::newRow("empty") << QList<long long>{} << ReturnOp << 1LL;
        QTest::newRow("running") << QList<long long>{1, 1, 2, 3} << ReturnOp << 4LL;
        QTest::newRow("order finished after another") << QList<long long>{5, 6, 5} << ReturnOp << 7LL;
        QTest::newRow("return last") << QList<long long>{8, 9, -2} << ReturnOp << 10LL;
        QList<long long> manyRepeats{41};
        for (int i = 0; i < 3000; ++i)
            manyRepeats << -7;
        QTest::newRow("returns beyond the read-back") << manyRepeats << ReturnOp << 42LL;
        // A seller's order printed while a long import wrote the corrections of its later lists.
        QTest::newRow("corrections beyond the read-back") << manyRepeats << CorrectionOp << 42LL;
    }
    void nextOrderNumber()
    {
        QFETCH(QList<long long>, orders);
        QFETCH(QString, repeating);
        QFETCH(long long, next);
        StockShop shop;
        std::vector<JournalRow> rows;
        for (long long o : orders)
            rows.push_back(movement(o < 0 ? -o : o, o < 0 ? repeating : ShipmentOp));
        shop.journal.append(rows);
        QCOMPARE(shop.journal.append({movement(0, ReceiptOp)}), next);
    }

    // A copy killed inside the swap of the number counter, the old counter already deleted by the
    // share: the number it was giving out is still given out, and none is given twice.
    void counterSwapCutShort_data()
    {
        QTest::addColumn<bool>("reserving"); // the next number is reserved for a print, else appended
        QTest::newRow("print") << true;
        QTest::newRow("receipt") << false;
    }
    void counterSwapCutShort()
    {
        QFETCH(bool, reserving);
        StockShop shop;
        for (int i = 0; i < 5; ++i)
            shop.journal.reserveOrder();
        writeBytes(shop.journal.counterPath() + QStringLiteral(".korvanta-ready-Ab12Cd"), "6\r\n");
        QVERIFY(QFile::remove(shop.journal.counterPath()));
        const long long next = reserving ? shop.journal.reserveOrder() : shop.journal.append({movement(0, ReceiptOp)});
        QCOMPARE(next, 7LL);
    }

    // A crash left half a row: the next append sets it aside, and it is never read as a movement.
    void tornLastRow_data()
    {
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("no line end") << QByteArray("3;01.12.2026;10:00:00;anna@shop;;\xee\xf2");
        QTest::newRow("lone CR") << csv::row(movement(3, ShipmentOp).fields()).chopped(1);
        QTest::newRow("open quote") << QByteArray("3;01.12.2026;10:00:00;anna@shop;\"Ivanov\r\n");
    }
    void tornLastRow()
    {
        QFETCH(QByteArray, tail);
        StockShop shop;
        shop.journal.append({movement(1, ShipmentOp), movement(2, ShipmentOp)});
        const QByteArray whole = readBytes(shop.journal.path());
        writeBytes(shop.journal.path(), whole + tail);
        QCOMPARE(shop.reader().size(), 2);
        QVERIFY(shop.reader().tornBytes() > 0);

        QCOMPARE(shop.journal.append({movement(0, ReceiptOp)}), 3LL);
        const QByteArray after = readBytes(shop.journal.path());
        QVERIFY(after.startsWith(whole));
        QCOMPARE(after.mid(whole.size()).count('\n'), 1);
        QVERIFY(readBytes(shop.journal.tornPath()).contains(tail.split('\n').last()));
        const JournalReader reader = shop.reader();
        QCOMPARE(reader.size(), 3);
        QCOMPARE(reader.tornBytes(), 0);
        QCOMPARE(reader.row(2)->operation, ReceiptOp);
    }

    // The owner's view: which rows a filter keeps, and sorting.
    void filterAndSort_data()
    {
        QTest::addColumn<JournalFilter>("filter");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QList<long long>>("orders");
        QTest::newRow("all, journal order") << JournalFilter{} << -1 << true << QList<long long>{1, 2, 3, 4, 5};
        QTest::newRow("operation") << JournalFilter{{}, {}, {}, {}, ReturnOp} << -1 << true << QList<long long>{4};
        QTest::newRow("dates") << JournalFilter{QDate(2026, 11, 30), QDate(2026, 12, 1), {}, {}, {}} << -1 << true
                               << QList<long long>{2, 3};
        QTest::newRow("customer, any case")
            << JournalFilter{{}, {}, QStringLiteral("иван"), {}, {}} << -1 << true << QList<long long>{1, 4};
        QTest::newRow("item") << JournalFilter{{}, {}, {}, QStringLiteral("мон"), {}} << -1 << true
                              << QList<long long>{3, 5};
        QTest::newRow("order number") << JournalFilter{{}, {}, {}, {}, {}, 4} << -1 << true << QList<long long>{4};
        QTest::newRow("order number and item")
            << JournalFilter{{}, {}, {}, QStringLiteral("мон"), {}, 4} << -1 << true << QList<long long>{};
        QTest::newRow("order number nowhere")
            << JournalFilter{{}, {}, {}, {}, {}, 40} << -1 << true << QList<long long>{};
        QTest::newRow("by date, newest first")
            << JournalFilter{} << int(DateColumn) << false << QList<long long>{5, 4, 3, 2, 1};
        QTest::newRow("by quantity") << JournalFilter{} << int(QuantityColumn) << true
                                     << QList<long long>{2, 1, 3, 4, 5};
        QTest::newRow("by item") << JournalFilter{} << int(NameColumn) << true << QList<long long>{1, 3, 5, 2, 4};
        QTest::newRow("by item, last first, equal ones in journal order")
            << JournalFilter{} << int(NameColumn) << false << QList<long long>{2, 4, 5, 3, 1};
        QTest::newRow("by customer, last first")
            << JournalFilter{} << int(CustomerColumn) << false << QList<long long>{2, 4, 1, 3, 5};
        QTest::newRow("customer, by quantity, largest first") << JournalFilter{{}, {}, QStringLiteral("ИВАН"), {}, {}}
                                                              << int(QuantityColumn) << false << QList<long long>{4, 1};
        QTest::newRow("customer, item and operation at once")
            << JournalFilter{{}, {}, QStringLiteral("иван"), QStringLiteral("МЫШ"), ReturnOp} << -1 << true
            << QList<long long>{4};
        QTest::newRow("dates and operation, by time")
            << JournalFilter{QDate(2026, 11, 30), QDate(2026, 12, 2), {}, {}, ShipmentOp} << int(TimeColumn) << true
            << QList<long long>{2};
    }
    void filterAndSort()
    {
        QFETCH(JournalFilter, filter);
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(QList<long long>, orders);
        const struct {
            const char* date;
            const char* customer;
            const char* name;
            const QString& operation;
            int quantity;
        } rows[] = {{"29.11.2026", "Иванов", "Клавиатура", ShipmentOp, 2},
                    {"30.11.2026", "Петров", "Мышь", ShipmentOp, -1},
                    {"01.12.2026", "", "Монитор 24", ReceiptOp, 3},
                    {"02.12.2026", "ИВАНОВА", "Мышь", ReturnOp, 4},
                    {"02.12.2026", "", "монитор 27", CorrectionOp, 5}};
        QByteArray bytes = csv::row(columnTitles());
        long long order = 0;
        for (const auto& r : rows) {
            JournalRow row = movement(++order, r.operation, QString::fromUtf8(r.name));
            row.date = QString::fromUtf8(r.date);
            row.time = QStringLiteral("12:00:0%1").arg(order);
            row.customer = QString::fromUtf8(r.customer);
            row.quantity = r.quantity;
            bytes += csv::row(row.fields());
        }
        const JournalReader reader(bytes);
        // Read field by field, and through the index the owner's view keeps; twice, so that the
        // second sort and filter come from the index's kept keys.
        JournalIndex index(&reader);
        for (JournalIndex* with : {static_cast<JournalIndex*>(nullptr), &index, &index}) {
            std::vector<qsizetype> selected = selectRows(reader, filter, with);
            if (column >= 0)
                sortRows(reader, selected, column, ascending, with);
            QList<long long> got;
            for (qsizetype i : selected)
                got << reader.row(i)->order;
            QCOMPARE(got, orders);
        }
    }

    // The charged columns are written with the copy's separator and read with either; a rate
    // always shows its separator.
    void chargedNumbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<bool>("showSeparator");
        QTest::addColumn<QString>("text");
        QTest::newRow("rate with comma") << 29.7 << "," << true << "29,7";
        QTest::newRow("whole rate shows the point") << 30.0 << "." << true << "30.0";
        QTest::newRow("whole markup") << 15.0 << "," << false << "15";
        QTest::newRow("markup beyond two decimals") << 7.3333 << "," << false << "7,3333";
        QTest::newRow("a third") << 1.0 / 3 << "." << false << "0.3333333333333333";
    }
    void chargedNumbers()
    {
        QFETCH(double, value);
        QFETCH(QString, decimal);
        QFETCH(bool, showSeparator);
        QFETCH(QString, text);
        QCOMPARE(journalNumber(value, decimal.at(0), showSeparator), text);
        QCOMPARE(readJournalNumber(text), std::optional<double>(value)); // exactly, not nearly
        JournalRow row;
        row.rate = text;
        QCOMPARE(decimalOf(row, QLatin1Char('#')), text.contains(decimal) ? decimal.at(0) : QLatin1Char('#'));
    }

    // Fields are read one at a time without decoding the row, quotes and all.
    void fieldsOfQuotedRows()
    {
        JournalRow r = movement(12, ShipmentOp, QStringLiteral("Монитор 27\" IPS; 165 Гц"));
        r.customer = QStringLiteral("ООО \"Ромашка\"\r\nфилиал");
        const JournalReader reader(csv::row(columnTitles()) + csv::row(r.fields()));
        QCOMPARE(reader.size(), 1);
        QCOMPARE(reader.field(0, NameColumn), r.name);
        QCOMPARE(reader.field(0, CustomerColumn), QStringLiteral("ООО \"Ромашка\"  филиал"));
        QCOMPARE(reader.field(0, AfterColumn), QStringLiteral("4"));
        QCOMPARE(reader.row(0)->order, 12LL);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
