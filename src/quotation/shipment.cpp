#include "shipment.h"

#include "conversions.h"
#include "error.h"
#include "facilities.h"
#include "filelock.h"
#include "mainstate.h"
#include "movements.h"

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

void shipOrder(MainState& state, const ShipmentRecorder& recorder)
{
    Catalogue& catalogue = state.catalogue;
    for (Cat c : summaryOrder()) {
        if (!state.computer.isChosen(c))
            continue;
        if (!catalogue.records(c))
            continue; // processor or motherboard without a platform
        const QString fileName = catalogue.fileFor(c);
        const ChoiceList& box = catalogue.view(c).box;
        const int record = box.index;
        const QString name = record >= 0 && record < box.items.size() ? box.items.at(record) : QString();
        const int quantity = soldQuantity(state.computer, c);
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
                    state.stockChanged(c);
                    if (recorder)
                        recorder(ShippedItem{fileName, record, name, quantity, state.computer[c].price, before, after});
                });
        } catch (const LockError& e) {
            // "Try later" alone would invite printing the order again, which ships the lists
            // before this one a second time: say what was not shipped.
            throw Error(e.message() + QStringLiteral(" Товары из этого файла и следующие товары заказа не отгружены."));
        } catch (const Error&) {
            if (changedElsewhere) {
                catalogue.replaceRecords(c, *changedElsewhere);
                state.boxChange(c, -1);
                catalogue.view(c).box.editText = category(c).placeholder;
                state.stockChanged(c);
            }
            throw;
        }
    }
}

void printAndShip(MainState& state, const QStringList& lines, Printer* printer, MessageBox* messageBox,
                  const ShipmentRecorder& recorder)
{
    if (!printer || !printer->setup())
        return;
    try {
        printer->print(lines, PrintJobTitle);
    } catch (const std::exception&) {
        if (messageBox)
            messageBox->showError(PrintErrorMessage);
    }
    if (recorder) {
        shipOrder(state, recorder);
        return;
    }
    // One print is one order of the shop's journal; its number is taken with the first sold item.
    stock::ShipmentJournal journal(state.catalogue.directory(), state.customer);
    shipOrder(state, [&journal](const ShippedItem& s) {
        journal.record({s.fileName, s.record, s.name, s.quantity, s.priceText, s.stockBefore, s.stockAfter});
    });
}

void printBtnClick(MainState& state, QStringList& lines, Printer* printer, MessageBox* messageBox,
                   const ShipmentRecorder& recorder)
{
    appendStatusLines(lines);
    printAndShip(state, lines, printer, messageBox, recorder);
}

} // namespace korvanta
