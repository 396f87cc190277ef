// The owner's window on a small shop: the journal table with its filters, the receiving, return
// and reconciliation dialogs, and the price lists' editing, export and import, driven as the
// owner would.
#include "conversions.h"
#include "cp1251.h"
#include "fakes.h"
#include "ownerfakes.h"
#include "ownerwindow.h"
#include "pricelistwindows.h"
#include "stockdialogs.h"
#include "stockshop.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace korvanta;
using namespace korvanta::stock;
using namespace korvanta::testing;

namespace {

// Two printed orders and a delivery.
struct OwnerShop : StockShop {
    FakeErrorReport errors;
    OwnerShop()
    {
        ShipmentJournal first(tmp.path(), QStringLiteral("Иванов"));
        ship(first, QStringLiteral("Ram.dat"), 1, 2);
        ship(first, QStringLiteral("Case.dat"), 1, 1);
        ShipmentJournal second(tmp.path(), QStringLiteral("Петрова"));
        ship(second, QStringLiteral("Net.dat"), 1, 1);
        receiveGoods(journal, {QStringLiteral("Key.dat"), 1, QStringLiteral("Key A")}, 6, Actor{});
    }
};

// Runs `look` on the modal dialog `open` shows, once it shows, and returns what it saw there.
template <typename Dialog> bool whenShown(const std::function<void()>& open, const std::function<void(Dialog*)>& look)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            shown = true;
            look(dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    open();
    return shown;
}

QList<long long> shownOrders(OwnerWindow& window)
{
    QList<long long> orders;
    for (int r = 0; r < window.model().rowCount(); ++r)
        orders << window.model().journalRow(r)->order;
    return orders;
}

} // namespace

class TestOwnerWindow : public QObject {
    Q_OBJECT
private slots:
    void journalTable_data()
    {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<int>("operation"); // index in the operation list
        QTest::addColumn<QList<long long>>("orders");
        QTest::newRow("everything, newest first") << QString() << 0 << QList<long long>{3, 2, 1, 1};
        QTest::newRow("customer") << QStringLiteral("иван") << 0 << QList<long long>{1, 1};
        QTest::newRow("receiving") << QString() << 3 << QList<long long>{3};
        QTest::newRow("nothing") << QStringLiteral("Сидоров") << 1 << QList<long long>{};
    }
    void journalTable()
    {
        QFETCH(QString, customer);
        QFETCH(int, operation);
        QFETCH(QList<long long>, orders);
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        window.findChild<QLineEdit*>(QStringLiteral("CustomerEdit"))->setText(customer);
        window.findChild<QComboBox*>(QStringLiteral("OperationBox"))->setCurrentIndex(operation);
        window.applyFilter();
        QCOMPARE(shownOrders(window), orders);
        window.resetFilter();
        QCOMPARE(window.model().rowCount(), 4);
        QVERIFY(shop.errors.reported.isEmpty());
    }

    void sortByClickingAColumn()
    {
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        window.view()->sortByColumn(QuantityColumn, Qt::DescendingOrder);
        QCOMPARE(window.model().journalRow(0)->quantity, 6LL);
        QCOMPARE(window.model().index(0, NameColumn).data().toString(), QStringLiteral("Key A"));
    }

    void failedRefreshGivesTheCursorBack()
    {
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        QVERIFY(QFile::remove(shop.journal.path()));
        QVERIFY(QDir().mkdir(shop.journal.path())); // a journal that exists but cannot be read
        window.refresh();
        QCOMPARE(shop.errors.reported.size(), 1);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void dialogs()
    {
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);

        ReceiveDialog receive(window.journal(), &shop.errors);
        receive.chooseList(QStringLiteral("Video.dat"));
        receive.chooseItem(2);
        receive.setQuantity(4);
        receive.receive();
        QCOMPARE(shop.stockOf(QStringLiteral("Video.dat"), 2), QStringLiteral("4"));

        ReturnDialog giveBack(window.journal(), &shop.errors);
        giveBack.showOrder(1);
        QCOMPARE(giveBack.lines()->rowCount(), 2);
        giveBack.lines()->item(1, 0)->setCheckState(Qt::Checked);
        giveBack.returnChecked();
        QCOMPARE(shop.stockOf(QStringLiteral("Case.dat"), 1), QStringLiteral("5"));
        QCOMPARE(shop.stockOf(QStringLiteral("Ram.dat"), 1), QStringLiteral("3"));
        QVERIFY(!(giveBack.lines()->item(1, 0)->flags() & Qt::ItemIsUserCheckable));

        writeList(shop.dir, QStringLiteral("Net.dat"), {record("нет", "0", "0"), record("Net A", "10", "11")});
        ReconcileDialog reconcile(window.journal(), &shop.errors);
        reconcile.check();
        QCOMPARE(reconcile.table()->rowCount(), 1);
        QCOMPARE(reconcile.table()->item(0, 4)->text(), QStringLiteral("11"));
        reconcile.acceptSelected();
        QCOMPARE(reconcile.table()->rowCount(), 0);

        window.refresh();
        QCOMPARE(window.model().rowCount(), 7);
        QCOMPARE(window.model().journalRow(0)->operation, CorrectionOp);
        QCOMPARE(window.model().journalRow(1)->operation, ReturnOp); // newest first, whatever its number
        QVERIFY(shop.errors.reported.isEmpty());
    }

    // Typing into the item's fields: what the list cannot hold is refused as it is typed, with
    // the core's message, and never written; the rest is saved, a stock with its journal row.
    void itemEditing_data()
    {
        const QString dec = systemDecimalSeparator();
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        QTest::newRow("name") << int(ItemField::Name) << "Ram A 32 ГБ" << false;
        QTest::newRow("blank name") << int(ItemField::Name) << "  " << true;
        QTest::newRow("price") << int(ItemField::Price) << "12" + dec + "5" << false;
        QTest::newRow("price not a number") << int(ItemField::Price) << "12 у.е." << true;
        QTest::newRow("stock") << int(ItemField::Stock) << "9" << false;
        QTest::newRow("stock not whole") << int(ItemField::Stock) << "1" + dec + "5" << true;
        QTest::newRow("description") << int(ItemField::Description) << "DDR5, 6000 МГц" << false;
        QTest::newRow("spare line, no cp1251") << int(ItemField::Spare2) << "☃" << true;
    }
    void itemEditing()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, refused);
        OwnerShop shop;
        const QByteArray before = shop.bytes(QStringLiteral("Ram.dat"));
        const qsizetype rows = shop.reader().size();
        ItemEditor editor(shop.journal, systemDecimalSeparator(), &shop.errors);
        editor.chooseList(QStringLiteral("Ram.dat"));
        QCOMPARE(editor.items()->rowCount(), 3);
        editor.chooseItem(1);
        QCOMPARE(editor.field(ItemField::Name)->text(), QStringLiteral("Ram A"));
        QVERIFY(!editor.canSave());

        QLineEdit* edit = editor.field(ItemField(field));
        edit->selectAll();
        edit->insert(text); // as typed or pasted over the old text
        QCOMPARE(edit->text(), text);
        QCOMPARE(editor.problem(), fieldProblem(ItemField(field), text, systemDecimalSeparator()));
        QCOMPARE(editor.problem().isEmpty(), !refused);
        QCOMPARE(editor.canSave(), !refused);
        editor.save();
        QVERIFY(shop.errors.reported.isEmpty());
        if (refused) {
            QCOMPARE(shop.bytes(QStringLiteral("Ram.dat")), before);
            return;
        }
        QCOMPARE(recordLine(shop.list(QStringLiteral("Ram.dat")), 1, field), text);
        const bool stock = field == int(ItemField::Stock);
        QCOMPARE(shop.reader().size(), rows + (stock ? 1 : 0));
        if (stock)
            QCOMPARE(shop.reader().row(rows)->stockAfter, 9LL);
        // The window shows the list as written, the same item still chosen.
        QCOMPARE(editor.field(ItemField(field))->text(), text);
        QVERIFY(!editor.canSave());
    }

    // Changes not yet saved are not lost by choosing another item: the owner saves, drops or
    // stays with them.
    void unsavedChangesAreAsked_data()
    {
        QTest::addColumn<bool>("otherList"); // the owner picks another list, not the next item
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("stored"); // Ram A's name in the file afterwards
        QTest::addColumn<QString>("shown");  // the name in the form afterwards
        QTest::newRow("save") << false << int(ItemEditor::Unsaved::Save) << "Ram A2"
                              << "Ram B";
        QTest::newRow("discard") << false << int(ItemEditor::Unsaved::Discard) << "Ram A"
                                 << "Ram B";
        QTest::newRow("stay") << false << int(ItemEditor::Unsaved::Stay) << "Ram A"
                              << "Ram A2";
        QTest::newRow("save, other list") << true << int(ItemEditor::Unsaved::Save) << "Ram A2"
                                          << "нет";
        QTest::newRow("stay, other list") << true << int(ItemEditor::Unsaved::Stay) << "Ram A"
                                          << "Ram A2";
    }
    void unsavedChangesAreAsked()
    {
        QFETCH(bool, otherList);
        QFETCH(int, answer);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        OwnerShop shop;
        ItemEditor editor(shop.journal, systemDecimalSeparator(), &shop.errors);
        QStringList asked;
        editor.setUnsavedQuestion([&](const QString& name) {
            asked << name;
            return ItemEditor::Unsaved(answer);
        });
        editor.chooseList(QStringLiteral("Ram.dat"));
        editor.chooseItem(1);
        editor.field(ItemField::Name)->setText(QStringLiteral("Ram A2"));
        if (otherList)
            editor.chooseList(QStringLiteral("Case.dat"));
        else
            editor.items()->setCurrentCell(2, 1); // the owner clicks the next item
        QCOMPARE(asked, QStringList{"Ram A2"});
        QCOMPARE(recordLine(shop.list(QStringLiteral("Ram.dat")), 1, NameLine), stored);
        QCOMPARE(editor.field(ItemField::Name)->text(), shown);
        if (!otherList)
            QCOMPARE(editor.items()->currentRow(), shown == "Ram A2" ? 1 : 2);
        QVERIFY(shop.errors.reported.isEmpty());
    }

    void newItemGoesToTheEnd()
    {
        OwnerShop shop;
        ItemEditor editor(shop.journal, systemDecimalSeparator(), &shop.errors);
        editor.chooseList(QStringLiteral("Dop1.dat"));
        editor.startNewItem();
        QVERIFY(!editor.canSave()); // a new item needs a name and a price
        editor.field(ItemField::Name)->insert(QStringLiteral("Кабель HDMI"));
        QTest::keyClicks(editor.field(ItemField::Price), QStringLiteral("3"));
        editor.field(ItemField::Stock)->setText(QStringLiteral("12"));
        QVERIFY(editor.canSave());
        editor.save();
        QVERIFY(shop.errors.reported.isEmpty());
        const PriceList list = shop.list(QStringLiteral("Dop1.dat"));
        QCOMPARE(recordCount(list), 4);
        QCOMPARE(recordLine(list, 3, NameLine), QStringLiteral("Кабель HDMI"));
        QCOMPARE(recordLine(list, 3, StockLine), QStringLiteral("12"));
        QCOMPARE(editor.items()->rowCount(), 4);
        QCOMPARE(editor.field(ItemField::Name)->text(), QStringLiteral("Кабель HDMI"));
        const auto row = shop.reader().row(shop.reader().size() - 1);
        QCOMPARE(row->record, 3);
        QCOMPARE(row->stockAfter, 12LL);
    }

    // The import from the owner's window: the preview lists every change, and the lists are
    // written only when the owner confirms; a refused sheet opens no preview and writes nothing.
    void importThroughThePreview_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QStringList>("preview"); // "file|№|item|field|before|after"
        QTest::addColumn<QString>("refusal");
        const QStringList changes{"Ram.dat|2|Ram A|Цена|10|15", "Ram.dat|2|Ram A|Остаток|3|8"};
        QTest::newRow("confirmed") << "Файл;Номер;Цена;Остаток\nRam.dat;2;15;8\nCase.dat;2;10;4\n"
                                   << true << changes << QString();
        QTest::newRow("cancelled") << "Файл;Номер;Цена;Остаток\nRam.dat;2;15;8\n" << false << changes << QString();
        QTest::newRow("refused") << "Файл;Номер;Цена\nRam.dat;2;15\nRam.dat;9;1\n"
                                 << true << QStringList{} << "Строка 3, столбец «Номер»";
    }
    void importThroughThePreview()
    {
        QFETCH(QString, sheet);
        QFETCH(bool, confirm);
        QFETCH(QStringList, preview);
        QFETCH(QString, refusal);
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        FakeFileChooser files;
        files.answer = shop.dir.filePath(QStringLiteral("поставщик.csv"));
        writeBytes(files.answer, cp1251::encode(sheet.replace(QLatin1Char('\n'), QStringLiteral("\r\n"))));
        window.setFileChooser(&files);
        const QByteArray ram = shop.bytes(QStringLiteral("Ram.dat"));
        const int rows = window.model().rowCount();

        QStringList shown;
        const bool opened = whenShown<ImportPreview>([&] { window.importPriceLists(); },
                                                     [&](ImportPreview* dialog) {
                                                         const QAbstractItemModel* table = dialog->changes()->model();
                                                         for (int r = 0; r < table->rowCount(); ++r) {
                                                             QStringList cells;
                                                             for (int c = 0; c < table->columnCount(); ++c)
                                                                 cells << table->index(r, c).data().toString();
                                                             shown << cells.join(QLatin1Char('|'));
                                                         }
                                                         if (confirm)
                                                             dialog->applyButton()->click();
                                                     });
        QCOMPARE(opened, refusal.isEmpty());
        QCOMPARE(shown, preview);
        QCOMPARE(shop.errors.reported.size(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty())
            QVERIFY2(shop.errors.reported[0].contains(refusal), qPrintable(shop.errors.reported[0]));
        const bool written = confirm && refusal.isEmpty();
        QCOMPARE(shop.bytes(QStringLiteral("Ram.dat")) == ram, !written);
        QCOMPARE(window.model().rowCount(), rows + (written ? 1 : 0));
        if (written) {
            QCOMPARE(shop.stockOf(QStringLiteral("Ram.dat"), 1), QStringLiteral("8"));
            QCOMPARE(window.model().journalRow(0)->operation, CorrectionOp);
        }
    }

    void exportToTheChosenFile()
    {
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        FakeFileChooser files;
        window.setFileChooser(&files);
        window.exportPriceLists(); // cancelled
        QCOMPARE(QDir(shop.tmp.path()).entryList({QStringLiteral("*.csv")}), QStringList{JournalFile});
        files.answer = shop.dir.filePath(QStringLiteral("прайс.csv"));
        window.exportPriceLists();
        QVERIFY(shop.errors.reported.isEmpty());
        QCOMPARE(readBytes(files.answer), exportPriceLists(shop.tmp.path()));
    }
};

QTEST_MAIN(TestOwnerWindow)
#include "tst_ownerwindow.moc"
