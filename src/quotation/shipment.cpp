#include "quotation/shipment.h"

#include "base/error.h"
#include "base/facilities.h"
#include "catalogue/catalogue.h"
#include "pricing/order.h"
#include "quotation/printedorder.h"
#include "stock/movements.h"
#include "text/conversions.h"

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

// The order's chosen items as sales, in the order of the summary, each starting from `base` (who
// sells to whom, what the order charged), and the category of each.
std::vector<stock::StockMove> salesOf(const Order& order, const Catalogue& catalogue, const stock::JournalRow& base,
                                      std::vector<Cat>& categories)
{
    std::vector<stock::StockMove> sales;
    int linePosition = 0; // as the order text counts its item lines
    for (Cat c : summaryOrder()) {
        if (!order.computer.isChosen(c))
            continue;
        ++linePosition;
        if (!catalogue.records(c))
            continue; // processor or motherboard without a platform
        const SelectionPair& sold = order.computer[c];
        const int quantity = soldQuantity(order.computer, c);
        stock::JournalRow row = base;
        row.priceText = sold.price;
        row.orderLine = sold.item;
        row.unitPrice = unitPriceText(sold.price, quantity, order.decimal());
        row.amount = sold.price;
        row.linePosition = linePosition;
        sales.push_back(stock::saleOf(catalogue.fileFor(c), sold.record, sold.recordName, quantity, row));
        categories.push_back(c);
    }
    return sales;
}

// Ships the order through `batch`, the window's lists following each list written or refused.
void shipThrough(stock::MoveBatch& batch, const stock::JournalRow& base, Order& order, Catalogue& catalogue,
                 const ShipmentFollowUp& followUp)
{
    std::vector<Cat> categories;
    const std::vector<stock::StockMove> sales = salesOf(order, catalogue, base, categories);
    stock::ShipmentSteps steps;
    steps.written = [&](size_t i, const PriceList& written) {
        catalogue.replaceRecords(categories[i], written);
        if (followUp.listReplaced)
            followUp.listReplaced(categories[i]);
    };
    steps.refused = [&](size_t i, const PriceList& now) {
        catalogue.replaceRecords(categories[i], now);
        order.computer[categories[i]] = SelectionPair{};
        if (followUp.choiceDropped)
            followUp.choiceDropped(categories[i]);
    };
    stock::shipMoves(batch, sales, steps);
}

} // namespace

void shipOrder(Order& order, Catalogue& catalogue, const ShipmentRecorder& recorder, const ShipmentFollowUp& followUp)
{
    stock::Journal journal(catalogue.directory());
    stock::MoveBatch batch(journal, [&recorder](const std::vector<stock::JournalRow>& rows) {
        if (recorder)
            for (const stock::JournalRow& row : rows)
                recorder(row);
    });
    stock::JournalRow base;
    base.customer = order.customer;
    base.workplace = stock::currentWorkplace();
    shipThrough(batch, base, order, catalogue, followUp);
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
    shipThrough(journal.batch(), journal.terms(), order, catalogue, followUp);
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
