// The owner's price-list changes in the stock journal: each stock an edit, a new item or an
// import sets is one "правка" row, one order number per edit or import; other fields write none.
#include "catalogue/pricelistexchange.h"
#include "common/stockshop.h"
#include "stock/movements.h"
#include "stock/pricelistjournal.h"
#include "text/cp1251.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

const QChar Comma = QLatin1Char(',');
const QString Owner = QStringLiteral("owner@shop");

// Every row from the customer on, '|'-separated: customer, operation, file, record as the journal
// shows it, name, quantity, price, stock before and after.
QStringList described(const JournalReader& reader)
{
    QStringList rows;
    for (qsizetype i = 0; i < reader.size(); ++i) {
        const QStringList fields = reader.fields(i);
        QString row = fields.mid(CustomerColumn, BaseColumnCount - CustomerColumn).join(QLatin1Char('|'));
        // The owner's changes charge nothing: a printed order's columns stay empty.
        const QStringList charged = fields.mid(BaseColumnCount);
        if (charged.size() != ColumnCount - BaseColumnCount || !charged.join(QString()).isEmpty())
            row += QStringLiteral(" charged: ") + charged.join(QLatin1Char('|'));
        rows << row;
    }
    return rows;
}

QList<long long> orders(const JournalReader& reader)
{
    QList<long long> numbers;
    for (qsizetype i = 0; i < reader.size(); ++i)
        numbers << reader.row(i)->order;
    return numbers;
}

} // namespace

class TestPriceListJournal : public QObject {
    Q_OBJECT
private slots:
    // An import of two stocks in two lists and a price: two rows under one number; the next
    // import takes the next number.
    void importJournalsEveryStock()
    {
        StockShop shop;
        const QString path = shop.tmp.path();
        const QByteArray sheet = cp1251::encode(QStringLiteral("Файл;Номер;Цена;Остаток\r\n"
                                                               "Ram.dat;2;10;8\r\n"
                                                               "Ram.dat;3;25;0\r\n"
                                                               "Video.dat;3;20;4\r\n"));
        PriceListJournal journal(shop.journal, Owner);
        applyImport(planImport(sheet, path, Comma), path, journal.observer());
        QCOMPARE(described(shop.reader()),
                 (QStringList{"|правка|Ram.dat|2|Ram A|3|10|5|8", "|правка|Video.dat|3|Video B|4|20|0|4"}));
        QCOMPARE(orders(shop.reader()), (QList<long long>{1, 1}));
        QCOMPARE(shop.reader().field(1, WorkplaceColumn), Owner);
        QCOMPARE(journal.orderNumber(), 1LL);
        QVERIFY(reconcile(shop.journal).empty());

        PriceListJournal next(shop.journal, Owner);
        applyImport(planImport(cp1251::encode(QStringLiteral("Файл;Номер;Остаток\r\nCase.dat;2;1\r\n")), path, Comma),
                    path, next.observer());
        QCOMPARE(orders(shop.reader()), (QList<long long>{1, 1, 2}));
    }

    // One item's edit: a row only when its stock changes, with the item as it is afterwards.
    void editJournalsOnlyStock_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("name only") << "Ram A 16 ГБ"
                                   << "10"
                                   << "5" << QStringList{};
        QTest::newRow("price only") << "Ram A"
                                    << "12,5"
                                    << "5" << QStringList{};
        QTest::newRow("stock") << "Ram A"
                               << "10"
                               << "0" << QStringList{"|правка|Ram.dat|2|Ram A|-5|10|5|0"};
        QTest::newRow("everything") << "Ram A+"
                                    << "11"
                                    << "7" << QStringList{"|правка|Ram.dat|2|Ram A+|2|11|5|7"};
    }
    void editJournalsOnlyStock()
    {
        QFETCH(QString, name);
        QFETCH(QString, price);
        QFETCH(QString, stock);
        QFETCH(QStringList, rows);
        StockShop shop;
        const PriceItem seen = itemAt(shop.list(QStringLiteral("Ram.dat")), 1);
        PriceItem edited = seen;
        edited[ItemField::Name] = name;
        edited[ItemField::Price] = price;
        edited[ItemField::Stock] = stock;
        PriceListJournal journal(shop.journal, Owner);
        QVERIFY(editItem(shop.tmp.path(), QStringLiteral("Ram.dat"), 1, seen, edited, Comma, journal.observer()));
        QCOMPARE(described(shop.reader()), rows);
        QVERIFY(reconcile(shop.journal).empty());
    }

    // A new item's stock is journaled from nothing.
    void newItemJournalsItsStock()
    {
        StockShop shop;
        PriceItem item;
        item[ItemField::Name] = QStringLiteral("Новый");
        item[ItemField::Price] = QStringLiteral("3,5");
        item[ItemField::Stock] = QStringLiteral("4");
        PriceListJournal journal(shop.journal, Owner);
        QCOMPARE(appendItem(shop.tmp.path(), QStringLiteral("Dop1.dat"), item, Comma, journal.observer()), 3);
        QCOMPARE(described(shop.reader()), QStringList{"|правка|Dop1.dat|4|Новый|4|3,5|0|4"});
    }
};

QTEST_GUILESS_MAIN(TestPriceListJournal)
#include "tst_pricelistjournal.moc"
