// The owner's item editing when another copy changed the same item meanwhile: what the other copy
// wrote is never written over unseen.
#include "catalogue/pricelistediting.h"
#include "common/failure.h"
#include "common/testshop.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestEditElsewhere : public QObject {
    Q_OBJECT

private slots:
    void otherCopysChangeIsKept_data()
    {
        QTest::addColumn<ItemField>("theirField");
        QTest::addColumn<QString>("theirText");
        QTest::addColumn<ItemField>("ourField");
        QTest::addColumn<QString>("ourText");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("theirFieldAfter");
        QTest::addColumn<QString>("ourFieldAfter");

        QTest::newRow("same field, other value")
            << ItemField::Price << "13" << ItemField::Price << "12,5" << true << "13"
            << "13";
        QTest::newRow("same field, same value")
            << ItemField::Price << "12,5" << ItemField::Price << "12,5" << false << "12,5"
            << "12,5";
        QTest::newRow("another field") << ItemField::Description << "новое" << ItemField::Price << "12,5" << false
                                       << "новое"
                                       << "12,5";
        QTest::newRow("spare line both") << ItemField::Spare1 << "их" << ItemField::Spare1 << "наш" << true << "их"
                                         << "их";
        // A stock is changed by its difference: a sale or receipt meanwhile counts.
        QTest::newRow("stock both") << ItemField::Stock << "7" << ItemField::Stock << "9" << false << "11"
                                    << "11";
    }
    void otherCopysChangeIsKept()
    {
        QFETCH(ItemField, theirField);
        QFETCH(QString, theirText);
        QFETCH(ItemField, ourField);
        QFETCH(QString, ourText);
        QFETCH(bool, refused);
        QFETCH(QString, theirFieldAfter);
        QFETCH(QString, ourFieldAfter);
        const QChar comma = QLatin1Char(',');
        TestShop shop;
        const QString ram = QStringLiteral("Ram.dat");
        // Both copies read the item (stock 5); the other one saves first.
        const PriceItem seen = itemAt(shop.list(ram), 1);
        PriceItem theirs = seen;
        theirs[theirField] = theirText;
        QVERIFY(editItem(shop.folder, ram, 1, seen, theirs, comma));
        const QByteArray afterTheirs = shop.bytes(ram);

        PriceItem ours = seen;
        ours[ourField] = ourText;
        const QString failure = failureOf([&] { editItem(shop.folder, ram, 1, seen, ours, comma); });
        QCOMPARE(!failure.isEmpty(), refused);
        if (refused) {
            QVERIFY(failure.contains(QStringLiteral("изменили в другой копии программы")));
            QVERIFY(failure.contains(theirText));
            QCOMPARE(shop.bytes(ram), afterTheirs);
        }
        const PriceItem now = itemAt(shop.list(ram), 1);
        QCOMPARE(now[theirField], theirFieldAfter);
        QCOMPARE(now[ourField], ourFieldAfter);
        QCOMPARE(now[ItemField::Name], seen[ItemField::Name]);
    }
};

QTEST_GUILESS_MAIN(TestEditElsewhere)
#include "tst_editelsewhere.moc"
