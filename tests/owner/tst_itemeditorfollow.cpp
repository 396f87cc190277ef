// The owner's item editor while another copy changes the list it shows: shown again, or, midway
// through the owner's own change, a notice; the other copy's change is never saved over unseen.
#include "common/fakes.h"
#include "common/stockshop.h"
#include "owner/pricelistwindows.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestItemEditorFollow : public QObject {
    Q_OBJECT

private slots:
    void listChangedElsewhere_data()
    {
        QTest::addColumn<QString>("typedPrice"); // the owner's unsaved price; empty: none
        QTest::addColumn<QString>("shownPrice"); // the form's price after the other copy's save
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("savedPrice"); // the file's price after the owner saves; empty: not saved
        QTest::newRow("nothing typed") << QString() << "13"
                                       << "изменён в другой копии программы и показан заново" << QString();
        QTest::newRow("owner midway") << "12"
                                      << "12"
                                      << "Ваши изменения ещё не сохранены"
                                      << "13";
    }
    void listChangedElsewhere()
    {
        QFETCH(QString, typedPrice);
        QFETCH(QString, shownPrice);
        QFETCH(QString, notice);
        QFETCH(QString, savedPrice);
        StockShop shop;
        FakeErrorReport errors;
        ItemEditor editor(shop.journal, QLatin1Char(','), &errors);
        editor.show();
        editor.chooseList(QStringLiteral("Ram.dat"));
        editor.chooseItem(1);
        QCOMPARE(editor.field(ItemField::Price)->text(), QStringLiteral("10"));
        if (!typedPrice.isEmpty())
            editor.field(ItemField::Price)->setText(typedPrice);

        // The other copy raises the price.
        QList<QStringList> records = TestShop::smallRecords(QStringLiteral("Ram.dat"));
        records[1][1] = QStringLiteral("13");
        shop.write(QStringLiteral("Ram.dat"), records);
        auto* label = editor.findChild<QLabel*>(QStringLiteral("NoticeLabel"));
        QTRY_VERIFY(label->isVisible());
        QVERIFY2(label->text().contains(notice), qPrintable(label->text()));
        QCOMPARE(editor.field(ItemField::Price)->text(), shownPrice);
        QCOMPARE(editor.items()->item(1, 2)->text(),
                 typedPrice.isEmpty() ? QStringLiteral("13") : QStringLiteral("10"));
        if (!savedPrice.isEmpty()) {
            editor.save();
            QCOMPARE(errors.reported.size(), 1);
            QCOMPARE(recordLine(shop.list(QStringLiteral("Ram.dat")), 1, PriceLine), savedPrice);
        } else {
            QCOMPARE(errors.reported, QStringList());
        }
    }
};

QTEST_MAIN(TestItemEditorFollow)
#include "tst_itemeditorfollow.moc"
