#pragma once

#include "catalogue/pricelistediting.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

// The price lists as one spreadsheet, a CSV file (cp1251, ';', a header row) or an .xlsx workbook:
// every list exported in list and record order, and such a sheet imported back after the owner or
// a supplier has changed it. Record numbers in the sheet count from 1 (displayRecordNumber).
namespace korvanta {

// "Файл", "Номер", "Название", "Цена", "Резерв 1", "Резерв 2", "Резерв 3", "Остаток", "Описание".
QStringList exportColumns();
// The optional import column that names the item as it was, so that "Название" may rename it.
QString previousNameColumn(); // "Прежнее название"

// Every record of the 30 lists, a header row first; the text columns quoted. Throws Error when a
// list cannot be read.
QByteArray exportPriceLists(const QString& directory);
// The same as an .xlsx workbook: text columns are text cells; a record number, a price and a stock
// that read as numbers (prices with `decimal`) are number cells, so a spreadsheet converts nothing.
QByteArray exportPriceListsWorkbook(const QString& directory, QChar decimal);
// Whether `path` names a workbook (.xlsx) rather than a CSV file.
bool isWorkbookPath(const QString& path);
// The sheet written to `sheetPath` in one step, a workbook or CSV by its name. Throws
// Error("Cannot create file ...").
void exportPriceListsToFile(const QString& directory, const QString& sheetPath, QChar decimal);

// What an import will change, item by item, in list and record order; nothing is written yet.
struct ImportPlan {
    std::vector<ItemChange> items;
    QStringList ignoredColumns; // header titles the import does not know, left alone
    int rows = 0;               // data rows read
    // Text fields (name, description, spare lines) whose text reads as a number or a day and that
    // the sheet holds as a spreadsheet shows it ("00123" as "123", "01.11.2026" as "01.11.26"):
    // passed over, no change.
    int valuesAsShown = 0;
    bool isEmpty() const { return items.empty(); }
};

// Reads a sheet against the lists as they are now. Columns are found by their header titles: "Файл"
// and "Номер" are needed, any of the others may be missing (a supplier's sheet of file, number and
// price changes prices only). A cell equal to the record's line, or a price or stock equal in
// value, is no change. The name is checked: a row whose "Название" differs from the record's is a
// rename only when nothing else in the row changes, or when its "Прежнее название" matches the
// record; otherwise it is refused as a row for another item. A text field whose present text reads
// as a number or a day is unchanged when the sheet holds it as a spreadsheet shows it (leading
// zeros, exponent and blanks gone, 15 digits kept; a day with a two-digit year), since a
// spreadsheet opening the CSV converts it so; the name check counts it as the same name too. Every refused row is named
// by its row and column in one Error (rows counted as the spreadsheet shows them, the header being 1), and nothing is
// planned.
ImportPlan planImport(QByteArrayView sheet, const QString& directory, QChar decimal);
// The same for an .xlsx workbook's first sheet; number cells read as numbers written with
// `decimal`. A workbook that cannot be read, or a cell holding an error or a truth value where a
// column is read, is refused.
ImportPlan planImportWorkbook(QByteArrayView workbook, const QString& directory, QChar decimal);
// A workbook by its name or its content, else CSV.
ImportPlan planImportFile(const QString& sheetPath, const QString& directory, QChar decimal);

// Writes the plan: each changed list in one locked read-modify-write that checks every changed
// record still carries the name the plan saw (applyItemChanges). Lists without changes are not
// touched; records the plan leaves alone keep their bytes. Returns the files written. A refusal
// midway throws an Error that also names the lists already written.
QStringList applyImport(const ImportPlan& plan, const QString& directory, const StockObserver& onStock = {});

} // namespace korvanta
