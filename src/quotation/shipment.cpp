#include "shipment.h"

#include "conversions.h"
#include "error.h"
#include "facilities.h"
#include "mainstate.h"

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

} // namespace

void shipOrder(MainState& state)
{
    Catalogue& catalogue = state.catalogue;
    for (Cat c : summaryOrder()) {
        if (!state.computer.isChosen(c))
            continue;
        PriceList* list = catalogue.records(c);
        if (!list)
            continue; // processor or motherboard without a platform
        const QString fileName = catalogue.fileFor(c);
        const int line = catalogue.view(c).box.index * RecordLines + StockLine;
        const long long stock = textToInt(list->at(line));
        // The list in memory takes the new count only once its file holds it too.
        PriceList shipped = *list;
        shipped.replace(line, intToText(stock - soldQuantity(state.computer, c)));
        savePriceList(shipped, catalogue.pathOf(fileName));
        catalogue.replaceRecords(c, std::move(shipped));
    }
}

bool printAndShip(MainState& state, const QStringList& lines, Printer* printer, MessageBox* messageBox)
{
    if (!printer || !printer->setup())
        return true;
    try {
        printer->print(lines, PrintJobTitle);
    } catch (const std::exception&) {
        if (messageBox)
            messageBox->showError(PrintErrorMessage);
    }
    shipOrder(state);
    return true;
}

bool printBtnClick(MainState& state, QStringList& lines, Printer* printer, MessageBox* messageBox)
{
    appendStatusLines(lines);
    return printAndShip(state, lines, printer, messageBox);
}

} // namespace korvanta
