#include "shipment.h"

#include "catalogue.h"
#include "conversions.h"
#include "error.h"
#include "facilities.h"
#include "filelock.h"
#include "movements.h"
#include "order.h"
#include "printedorder.h"

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
        return computer.memoryCount;
    if (c == Cat::Fun1)
        return computer.fanCount;
    return 1;
}

// The price of one piece: the line's amount shared out over its count, unrounded, so that the
// count of pieces taken back comes to the amount charged for them to the kopeck.
QString unitPriceText(const QString& amount, int quantity, QChar decimal)
{
    if (quantity == 1)
        return amount;
    const auto value = tryTextToFloat(amount, decimal);
    return value ? stock::journalNumber(*value / quantity, decimal) : amount;
}

bool carriesName(const PriceList& list, int record, const QString& name)
{
    const PriceRecord r(list, record);
    return r.exists() && r.name() == name;
}

} // namespace

void shipOrder(Order& order, Catalogue& catalogue, const ShipmentRecorder& recorder, const ShipmentFollowUp& followUp)
{
    int linePosition = 0; // as the order text counts its item lines
    for (Cat c : summaryOrder()) {
        if (!order.computer.isChosen(c))
            continue;
        ++linePosition;
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
                    if (recorder) {
                        const SelectionPair& sold = order.computer[c];
                        recorder(ShippedItem{fileName, record, name, quantity, sold.price, before, after, sold.item,
                                             unitPriceText(sold.price, quantity, order.decimal()), sold.price,
                                             linePosition});
                    }
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

namespace {

// The number this print carries on paper and in the journal, taken once the user confirmed the
// printer dialog.
long long reserveOrderNumber(const Catalogue& catalogue)
{
    return stock::Journal(catalogue.directory()).reserveOrder();
}

// The heading, the lines and the number; a failed print is told and the order ships all the same.
void printOrder(const Catalogue& catalogue, const QStringList& lines, long long number, Printer* printer,
                MessageBox* messageBox)
{
    try {
        printer->print(paperText(loadHeading(catalogue.directory()), lines, number), PrintJobTitle);
    } catch (const std::exception&) {
        if (messageBox)
            messageBox->showError(PrintErrorMessage);
    }
}

// Every shipped item journaled as one order under `number`, with what the order charged.
void shipUnderNumber(Order& order, Catalogue& catalogue, long long number, const ShipmentRecorder& recorder,
                     const ShipmentFollowUp& followUp)
{
    if (recorder) {
        shipOrder(order, catalogue, recorder, followUp);
        return;
    }
    stock::ShipmentJournal journal(catalogue.directory(), order.customer);
    journal.setOrder(number, orderTerms(order));
    shipOrder(
        order, catalogue,
        [&journal](const ShippedItem& s) {
            journal.record({s.fileName, s.record, s.name, s.quantity, s.priceText, s.stockBefore, s.stockAfter,
                            s.orderLine, s.unitPrice, s.amount, s.linePosition});
        },
        followUp);
}

} // namespace

void printAndShip(Order& order, Catalogue& catalogue, const QStringList& lines, Printer* printer,
                  MessageBox* messageBox, const ShipmentRecorder& recorder, const ShipmentFollowUp& followUp)
{
    if (!printer || !printer->setup())
        return;
    if (followUp.beforePrint)
        followUp.beforePrint();
    const long long number = reserveOrderNumber(catalogue);
    printOrder(catalogue, lines, number, printer, messageBox);
    shipUnderNumber(order, catalogue, number, recorder, followUp);
}

} // namespace korvanta
