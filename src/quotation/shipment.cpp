#include "shipment.h"

#include "catalogue.h"
#include "conversions.h"
#include "error.h"
#include "facilities.h"
#include "filelock.h"
#include "movements.h"
#include "order.h"

#include <optional>

namespace korvanta {

const QString PrintJobTitle = QStringLiteral("Итого...");
const QString PrintErrorMessage = QStringLiteral("Ошибка печати документа! Проверьте принтер!");
const QString ShippedStatus = QStringLiteral("Статус: ОТГРУЖЕНО");

void appendStatusLines(QStringList& lines)
{
    lines << QStringLiteral(" ") << QStringLiteral(" ") << ShippedStatus;
}

namespace {

int soldQuantity(const Computer& computer, Cat c)
{
    if (c == Cat::RAM)
        return computer.RAMCount;
    if (c == Cat::Fun1)
        return computer.Fun1Count;
    return 1;
}

bool carriesName(const PriceList& list, int record, const QString& name)
{
    const PriceRecord r(list, record);
    return r.exists() && r.name() == name;
}

} // namespace

void shipOrder(Order& order, Catalogue& catalogue, const ShipmentRecorder& recorder, const ShipmentFollowUp& followUp)
{
    for (Cat c : summaryOrder()) {
        if (!order.computer.isChosen(c))
            continue;
        if (!catalogue.records(c))
            continue; // processor or motherboard without a platform
        const QString fileName = catalogue.fileFor(c);
        const SelectionPair& chosen = order.computer[c];
        const int record = chosen.record;
        const QString name = chosen.recordName;
        const int quantity = soldQuantity(order.computer, c);
        long long before = 0;
        long long after = 0;
        std::optional<PriceList> changedElsewhere;
        try {
            updatePriceListFile(
                catalogue.pathOf(fileName),
                [&](PriceList& now) {
                    // The owner may have edited the list since this copy read it: the position
                    // must still hold the item the salesperson saw, or the wrong item's count
                    // would go down.
                    if (!carriesName(now, record, name)) {
                        changedElsewhere = now;
                        throw Error(QStringLiteral("Прайс-лист \"%1\" изменён: на месте товара \"%2\" теперь другая "
                                                   "запись. Этот товар и следующие товары заказа не отгружены; "
                                                   "выберите товар заново.")
                                        .arg(fileName, name));
                    }
                    before = textToInt(PriceRecord(now, record).stock());
                    after = before - quantity;
                    setRecordStock(now, record, intToText(after));
                },
                [&](const PriceList& written) {
                    catalogue.replaceRecords(c, written);
                    if (followUp.listReplaced)
                        followUp.listReplaced(c);
                    if (recorder)
                        recorder(ShippedItem{fileName, record, name, quantity, order.computer[c].price, before, after});
                });
        } catch (const LockError& e) {
            // "Try later" alone would invite printing the order again, which ships the lists
            // before this one a second time: say what was not shipped.
            throw Error(e.message() + QStringLiteral(" Товары из этого файла и следующие товары заказа не отгружены."));
        } catch (const Error&) {
            if (changedElsewhere) {
                catalogue.replaceRecords(c, *changedElsewhere);
                order.computer[c] = SelectionPair{};
                if (followUp.choiceDropped)
                    followUp.choiceDropped(c);
            }
            throw;
        }
    }
}

void printAndShip(Order& order, Catalogue& catalogue, const QStringList& lines, Printer* printer,
                  MessageBox* messageBox, const ShipmentRecorder& recorder, const ShipmentFollowUp& followUp)
{
    if (!printer || !printer->setup())
        return;
    if (followUp.beforePrint)
        followUp.beforePrint();
    try {
        printer->print(lines, PrintJobTitle);
    } catch (const std::exception&) {
        if (messageBox)
            messageBox->showError(PrintErrorMessage);
    }
    if (recorder) {
        shipOrder(order, catalogue, recorder, followUp);
        return;
    }
    // One print is one order of the shop's journal; its number is taken with the first sold item.
    stock::ShipmentJournal journal(catalogue.directory(), order.customer);
    shipOrder(
        order, catalogue,
        [&journal](const ShippedItem& s) {
            journal.record({s.fileName, s.record, s.name, s.quantity, s.priceText, s.stockBefore, s.stockAfter});
        },
        followUp);
}

} // namespace korvanta
