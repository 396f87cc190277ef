// The owner's window on a small shop: the journal table with its filters, the receiving, return
// and reconciliation dialogs, and the price lists' editing, export and import, driven as the
// owner would.
#include "common/fakes.h"
#include "common/ownerfakes.h"
#include "common/stockshop.h"
#include "owner/ownerwindow.h"
#include "owner/pricelistwindows.h"
#include "owner/stockdialogs.h"
#include "quotation/printedorder.h"
#include "text/conversions.h"
#include "text/cp1251.h"
#include "workbook/workbook.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
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
    // A dialog that never shows leaves the timer pending: it goes with this call's context.
    QObject context;
    QTimer::singleShot(0, &context, [&] {
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
        QTest::addColumn<QString>("order"); // as typed from the paper
        QTest::addColumn<QList<long long>>("orders");
        QTest::newRow("everything, newest first") << QString() << 0 << QString() << QList<long long>{3, 2, 1, 1};
        QTest::newRow("customer") << QStringLiteral("иван") << 0 << QString() << QList<long long>{1, 1};
        QTest::newRow("receiving") << QString() << 3 << QString() << QList<long long>{3};
        QTest::newRow("nothing") << QStringLiteral("Сидоров") << 1 << QString() << QList<long long>{};
        QTest::newRow("order as printed") << QString() << 0 << QStringLiteral("Заказ № 1") << QList<long long>{1, 1};
        QTest::newRow("order number alone") << QString() << 0 << QStringLiteral("2") << QList<long long>{2};
        QTest::newRow("order and operation") << QString() << 3 << QStringLiteral("2") << QList<long long>{};
        QTest::newRow("number half typed") << QString() << 0 << QStringLiteral("№ 1 /") << QList<long long>{};
    }
    void journalTable()
    {
        QFETCH(QString, customer);
        QFETCH(int, operation);
        QFETCH(QString, order);
        QFETCH(QList<long long>, orders);
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        window.findChild<QLineEdit*>(QStringLiteral("OrderFilterEdit"))->setText(order);
        window.findChild<QLineEdit*>(QStringLiteral("CustomerEdit"))->setText(customer);
        window.findChild<QComboBox*>(QStringLiteral("OperationBox"))->setCurrentIndex(operation);
        window.applyFilter();
        QCOMPARE(shownOrders(window), orders);
        window.resetFilter();
        QCOMPARE(window.model().rowCount(), 4);
        QVERIFY(shop.errors.reported.isEmpty());
    }

    // A receipt whose copy died after the list was swapped in: the journal view shows its row.
    void journalShowsAMovementCutShort()
    {
        struct DyingJournal : Journal {
            using Journal::Journal;
            long long append(std::vector<JournalRow>) override { throw Error(QStringLiteral("killed")); }
        };
        OwnerShop shop;
        DyingJournal dying(shop.tmp.path());
        QVERIFY_THROWS_EXCEPTION(
            Error, receiveGoods(dying, {QStringLiteral("Ups.dat"), 1, QStringLiteral("Ups A")}, 4, Actor{}));
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        QCOMPARE(window.model().rowCount(), 5);
        QVERIFY(shop.errors.reported.isEmpty());
        QVERIFY(reconcile(shop.journal).empty());
    }

    // A copy of a past order from the journal view: the order's text rebuilt, marked, printed;
    // nothing shipped and nothing journaled. A cancelled printer dialog prints nothing.
    void copyFromTheJournalView_data()
    {
        QTest::addColumn<long long>("order");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("items"); // item lines of the order
        QTest::newRow("two items") << 1LL << true << 2;
        QTest::newRow("one item") << 2LL << true << 1;
        QTest::newRow("dialog cancelled") << 1LL << false << 0;
    }
    void copyFromTheJournalView()
    {
        QFETCH(long long, order);
        QFETCH(bool, confirm);
        QFETCH(int, items);
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        FakePrinter printer;
        printer.confirm = confirm;
        window.setPrinter(&printer);
        const auto before = shop.snapshot();
        for (int row = 0; row < window.model().rowCount(); ++row)
            if (window.model().journalRow(row)->order == order)
                window.view()->setCurrentIndex(window.model().index(row, 0));
        window.printCopy();
        QVERIFY2(shop.errors.reported.isEmpty(), qPrintable(shop.errors.reported.join(QLatin1Char('\n'))));
        QCOMPARE(printer.setups, 1);
        QCOMPARE(shop.changedSince(before), QStringList()); // lists and journal as they were
        if (!confirm) {
            QVERIFY(printer.printed.isEmpty());
            return;
        }
        QCOMPARE(printer.printed.size(), 1);
        const QStringList paper = printer.printed.first();
        QCOMPARE(paper.first(), QStringLiteral("КОПИЯ"));
        QCOMPARE(paper.last(), QStringLiteral("Заказ № %1").arg(order));
        QCOMPARE(paper.filter(QStringLiteral(" у.е.")).size(), items + 1); // and the total
        QVERIFY(paper.contains(QStringLiteral("Статус: ОТГРУЖЕНО")));
    }

    void copyWithoutAnOrderIsRefused()
    {
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        FakePrinter printer;
        window.setPrinter(&printer);
        window.view()->setCurrentIndex(window.model().index(0, 0)); // the receipt, order 3
        window.printCopy();
        window.printCopy(9);
        QCOMPARE(shop.errors.reported, QStringList({QStringLiteral("В журнале нет отгрузки по заказу № 3."),
                                                    QStringLiteral("В журнале нет отгрузки по заказу № 9.")}));
        QCOMPARE(printer.setups, 0);
    }

    // "Возврат" finds the order by the number as the paper shows it, and offers its copy.
    void returnByThePrintedNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("lines"); // -1: not understood
        QTest::newRow("as printed") << QStringLiteral("Заказ № 1") << 2;
        QTest::newRow("number sign") << QStringLiteral("№2") << 1;
        QTest::newRow("a receipt") << QStringLiteral("3") << 0;
        QTest::newRow("not a number") << QStringLiteral("Заказ № первый") << -1;
    }
    void returnByThePrintedNumber()
    {
        QFETCH(QString, typed);
        QFETCH(int, lines);
        OwnerShop shop;
        ReturnDialog giveBack(shop.journal, &shop.errors);
        QSignalSpy copies(&giveBack, &ReturnDialog::copyWanted);
        giveBack.findChild<QLineEdit*>(QStringLiteral("OrderEdit"))->setText(typed);
        giveBack.showTypedOrder();
        auto* copy = giveBack.findChild<QPushButton*>(QStringLiteral("CopyBtn"));
        QCOMPARE(shop.errors.reported.size(), lines < 0 ? 1 : 0);
        QCOMPARE(giveBack.lines()->rowCount(), std::max(lines, 0));
        QCOMPARE(copy->isEnabled(), lines > 0);
        if (lines > 0) {
            copy->click();
            QCOMPARE(copies.size(), 1);
            QCOMPARE(copies.first().first().toLongLong(), orderNumberFromText(typed).value());
        }
    }

    // The heading typed in the owner's dialog is what every counter prints above the order.
    void headingEditor()
    {
        OwnerShop shop;
        HeadingDialog dialog(shop.folder, &shop.errors);
        dialog.setText(QStringLiteral("Компьютерный салон «Вектор»\nг. Тверь\n\n"));
        dialog.save();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(loadHeading(shop.folder),
                 QStringList({QStringLiteral("Компьютерный салон «Вектор»"), QStringLiteral("г. Тверь")}));
        HeadingDialog again(shop.folder, &shop.errors);
        again.setText(QStringLiteral("ИНН ✓"));
        again.save();
        QCOMPARE(again.result(), int(QDialog::Rejected));
        QCOMPARE(shop.errors.reported.size(), 1);
        QCOMPARE(loadHeading(shop.folder).size(), 2);
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
        reconcile.acceptAll();
        QCOMPARE(reconcile.table()->rowCount(), 0);

        window.refresh();
        QCOMPARE(window.model().rowCount(), 7);
        QCOMPARE(window.model().journalRow(0)->operation, CorrectionOp);
        QCOMPARE(window.model().journalRow(1)->operation, ReturnOp); // newest first, whatever its number
        QVERIFY(shop.errors.reported.isEmpty());
    }

    // A quantity received is a whole number from 1 up, typed as it is: anything else is refused
    // where it is typed, with the reason and the button disabled, and nothing is written.
    void receiveTakesOnlyATypedQuantity_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stockAfter"); // Video B's stock afterwards; -1: refused
        QTest::newRow("a number") << "7" << 7;
        QTest::newRow("spaces around") << " 12 " << 12;
        QTest::newRow("the limit") << "1000000" << 1000000;
        QTest::newRow("zero") << "0" << -1;
        QTest::newRow("negative") << "-3" << -1;
        QTest::newRow("a word") << "пять" << -1;
        QTest::newRow("too many digits") << "99999999999" << -1;
        QTest::newRow("over the limit") << "1000001" << -1;
        QTest::newRow("a fraction") << "1,5" << -1;
        QTest::newRow("nothing") << "" << -1;
    }
    void receiveTakesOnlyATypedQuantity()
    {
        QFETCH(QString, typed);
        QFETCH(int, stockAfter);
        OwnerShop shop;
        const QByteArray before = shop.bytes(QStringLiteral("Video.dat"));
        const qsizetype rows = shop.reader().size();
        ReceiveDialog receive(shop.journal, &shop.errors);
        receive.chooseList(QStringLiteral("Video.dat"));
        receive.chooseItem(2);
        receive.quantity()->selectAll();
        receive.quantity()->insert(typed); // as typed or pasted over the old text
        const bool refused = stockAfter < 0;
        QCOMPARE(receive.problem().isEmpty(), !refused);
        QCOMPARE(receive.findChild<QPushButton*>(QStringLiteral("ReceiveBtn"))->isEnabled(), !refused);
        receive.receive();
        QVERIFY(shop.errors.reported.isEmpty());
        if (refused) {
            QCOMPARE(shop.bytes(QStringLiteral("Video.dat")), before);
            QCOMPARE(shop.reader().size(), rows);
            return;
        }
        QCOMPARE(shop.stockOf(QStringLiteral("Video.dat"), 2), QString::number(stockAfter));
        QCOMPARE(shop.reader().row(rows)->quantity, (long long)stockAfter);
    }

    // Items of one name are told apart by their number and price.
    void receiveShowsNumberAndPrice()
    {
        OwnerShop shop;
        shop.write(QStringLiteral("Video.dat"), {record("нет", "0", "0"), record("Кабель", "120", "4"),
                                                 record("Кабель", "95", "2"), record("Кабель", "95", "2")});
        ReceiveDialog receive(shop.journal, &shop.errors);
        receive.chooseList(QStringLiteral("Video.dat"));
        QComboBox* items = receive.items();
        QCOMPARE(items->count(), 3);
        QSet<QString> texts;
        for (int i = 0; i < items->count(); ++i)
            texts << items->itemText(i);
        QCOMPARE(texts.size(), 3);
        QVERIFY(items->itemText(0).contains(QStringLiteral("120")));
        QVERIFY(items->itemText(2).contains(QStringLiteral("95")));
        receive.chooseItem(3);
        receive.setQuantity(5);
        receive.receive();
        QCOMPARE(shop.stockOf(QStringLiteral("Video.dat"), 3), QStringLiteral("7"));
        QCOMPARE(shop.stockOf(QStringLiteral("Video.dat"), 2), QStringLiteral("2"));
    }

    // Сверка accepts what is selected; every listed difference only through its own button.
    void reconcileAcceptsAllOnlyWhenAsked_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<bool>("all");
        QTest::addColumn<int>("left"); // differences left afterwards
        QTest::newRow("nothing selected") << QList<int>{} << false << 2;
        QTest::newRow("one selected") << QList<int>{1} << false << 1;
        QTest::newRow("both selected") << QList<int>{0, 1} << false << 0;
        QTest::newRow("all") << QList<int>{} << true << 0;
    }
    void reconcileAcceptsAllOnlyWhenAsked()
    {
        QFETCH(QList<int>, selected);
        QFETCH(bool, all);
        QFETCH(int, left);
        OwnerShop shop;
        writeList(shop.dir, QStringLiteral("Net.dat"), {record("нет", "0", "0"), record("Net A", "10", "11")});
        writeList(shop.dir, QStringLiteral("Key.dat"), {record("нет", "0", "0"), record("Key A", "10", "2")});
        const qsizetype rows = shop.reader().size();
        ReconcileDialog reconcile(shop.journal, &shop.errors);
        reconcile.check();
        QCOMPARE(reconcile.table()->rowCount(), 2);
        QVERIFY(reconcile.acceptAllButton()->text().contains(QStringLiteral("2")));
        QVERIFY(!reconcile.acceptSelectedButton()->isEnabled());
        reconcile.table()->setSelectionMode(QAbstractItemView::MultiSelection);
        for (int r : selected)
            reconcile.table()->selectRow(r);
        QCOMPARE(reconcile.acceptSelectedButton()->isEnabled(), !selected.isEmpty());
        if (all)
            reconcile.acceptAllButton()->click();
        else
            reconcile.acceptSelected();
        QCOMPARE(reconcile.table()->rowCount(), left);
        QCOMPARE(shop.reader().size(), rows + 2 - left);
        QVERIFY(shop.errors.reported.isEmpty());
    }

    // The owner reads counts and stock in the digit groups of the regional settings.
    void countsInDigitGroups()
    {
        const QLocale was;
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        OwnerShop shop;
        writeList(shop.dir, QStringLiteral("Net.dat"), {record("нет", "0", "0"), record("Net A", "10", "1500000")});
        ReconcileDialog reconcile(shop.journal, &shop.errors);
        reconcile.check();
        ReceiveDialog receive(shop.journal, &shop.errors);
        receive.chooseList(QStringLiteral("Net.dat"));
        receive.quantity()->setText(QStringLiteral("1 000"));
        receiveGoods(shop.journal, {QStringLiteral("Net.dat"), 1, QStringLiteral("Net A")}, 2000, Actor{});
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        const QString after = window.model().index(0, AfterColumn).data().toString();
        const QString order = window.model().index(0, OrderColumn).data().toString();
        QLocale::setDefault(was);
        QCOMPARE(after, QStringLiteral("1\u00A0502\u00A0000"));
        QCOMPARE(order, QStringLiteral("4"));
        QCOMPARE(reconcile.table()->item(0, 4)->text(), QStringLiteral("1\u00A0500\u00A0000"));
        QVERIFY(receive.items()->itemText(0).contains(QStringLiteral("1\u00A0500\u00A0000")));
        QVERIFY(!receive.canReceive()); // a grouped quantity is still typed as digits alone
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

    // The question box of unsaved changes names what each button does.
    void unsavedQuestionBox_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("row"); // the item chosen afterwards
        QTest::newRow("save") << "Сохранить"
                              << "Ram A2" << 2;
        QTest::newRow("do not save") << "Не сохранять"
                                     << "Ram A" << 2;
        QTest::newRow("cancel") << "Отмена"
                                << "Ram A" << 1;
    }
    void unsavedQuestionBox()
    {
        QFETCH(QString, button);
        QFETCH(QString, stored);
        QFETCH(int, row);
        OwnerShop shop;
        ItemEditor editor(shop.journal, systemDecimalSeparator(), &shop.errors);
        editor.chooseList(QStringLiteral("Ram.dat"));
        editor.chooseItem(1);
        editor.field(ItemField::Name)->setText(QStringLiteral("Ram A2"));
        QStringList buttons;
        const bool asked = whenShown<QMessageBox>([&] { editor.items()->setCurrentCell(2, 1); },
                                                  [&](QMessageBox* box) {
                                                      for (QAbstractButton* b : box->buttons()) {
                                                          buttons << b->text();
                                                          if (b->text() == button)
                                                              b->click();
                                                      }
                                                  });
        QVERIFY(asked);
        QCOMPARE(buttons.size(), 3);
        QVERIFY(!buttons.contains(QStringLiteral("Отклонить")));
        QCOMPARE(recordLine(shop.list(QStringLiteral("Ram.dat")), 1, NameLine), stored);
        QCOMPARE(editor.items()->currentRow(), row);
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

    // A change unticked in the preview is not written; with every change unticked there is
    // nothing to write.
    void untickedChangesAreNotWritten_data()
    {
        QTest::addColumn<QList<int>>("unticked"); // preview rows: Ram A's price, Ram A's stock, Case B's price
        QTest::addColumn<QStringList>("after");   // Ram A's price and stock, Case B's price
        QTest::addColumn<int>("journalRows");     // added
        QTest::newRow("all ticked") << QList<int>{} << QStringList{"15", "8", "30"} << 1;
        QTest::newRow("the stock unticked") << QList<int>{1} << QStringList{"15", "3", "30"} << 0;
        QTest::newRow("a list unticked") << QList<int>{2} << QStringList{"15", "8", "20"} << 1;
        QTest::newRow("all unticked") << QList<int>{0, 1, 2} << QStringList{"10", "3", "20"} << 0;
    }
    void untickedChangesAreNotWritten()
    {
        QFETCH(QList<int>, unticked);
        QFETCH(QStringList, after);
        QFETCH(int, journalRows);
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        FakeFileChooser files;
        files.answer = shop.dir.filePath(QStringLiteral("поставщик.csv"));
        writeBytes(files.answer, "\xD4\xE0\xE9\xEB;\xCD\xEE\xEC\xE5\xF0;\xD6\xE5\xED\xE0;"
                                 "\xCE\xF1\xF2\xE0\xF2\xEE\xEA\r\nRam.dat;2;15;8\r\nCase.dat;3;30;0\r\n");
        window.setFileChooser(&files);
        const qsizetype rows = shop.reader().size();
        bool applyEnabled = true;
        int shown = 0;
        whenShown<ImportPreview>([&] { window.importPriceLists(); },
                                 [&](ImportPreview* dialog) {
                                     QAbstractItemModel* table = dialog->changes()->model();
                                     shown = table->rowCount();
                                     for (int r : unticked)
                                         table->setData(table->index(r, 0), Qt::Unchecked, Qt::CheckStateRole);
                                     applyEnabled = dialog->applyButton()->isEnabled();
                                     dialog->applyButton()->click();
                                 });
        QCOMPARE(shown, 3);
        QCOMPARE(applyEnabled, unticked.size() < 3);
        QCOMPARE(shop.errors.reported, QStringList());
        const PriceList ram = shop.list(QStringLiteral("Ram.dat"));
        QCOMPARE((QStringList{recordLine(ram, 1, PriceLine), recordLine(ram, 1, StockLine),
                              recordLine(shop.list(QStringLiteral("Case.dat")), 2, PriceLine)}),
                 after);
        QCOMPARE(shop.reader().size(), rows + journalRows);
    }

    void exportToTheChosenFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("CSV") << "прайс.csv";
        QTest::newRow("workbook") << "прайс.xlsx";
        QTest::newRow("workbook, capitals") << "ПРАЙС.XLSX";
    }
    void exportToTheChosenFile()
    {
        QFETCH(QString, name);
        OwnerShop shop;
        OwnerWindow window(shop.tmp.path(), &shop.errors);
        FakeFileChooser files;
        window.setFileChooser(&files);
        window.exportPriceLists(); // cancelled
        QCOMPARE(QDir(shop.tmp.path()).entryList({QStringLiteral("*.csv"), QStringLiteral("*.xlsx")}),
                 QStringList{JournalFile});
        files.answer = shop.dir.filePath(name);
        window.exportPriceLists();
        QVERIFY(shop.errors.reported.isEmpty());
        const QByteArray written = readBytes(files.answer);
        if (!isWorkbookPath(name)) {
            QCOMPARE(written, exportPriceLists(shop.tmp.path()));
            return;
        }
        const std::vector<workbook::Row> rows = workbook::read(written);
        QVERIFY(rows == workbook::read(exportPriceListsWorkbook(shop.tmp.path(), systemDecimalSeparator())));
        QCOMPARE(rows.size(), size_t(1 + 30 * 3));
        // And it comes back as no change.
        QVERIFY(planImportFile(files.answer, shop.tmp.path(), systemDecimalSeparator()).isEmpty());
    }
};

QTEST_MAIN(TestOwnerWindow)
#include "tst_ownerwindow.moc"
