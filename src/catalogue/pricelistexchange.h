#pragma once

#include "pricelistediting.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

// The price lists as one spreadsheet (cp1251, ';', a header row): every list exported in list and
// record order, and such a sheet imported back after the owner or a supplier has changed it.
// Record numbers in the sheet count from 1 (displayRecordNumber).
namespace korvanta {

// "Файл", "Номер", "Название", "Цена", "Резерв 1", "Резерв 2", "Резерв 3", "Остаток", "Описание".
QStringList exportColumns();
// The optional import column that names the item as it was, so that "Название" may rename it.
QString previousNameColumn(); // "Прежнее название"

// Every record of the 30 lists, a header row first. Throws Error when a list cannot be read.
QByteArray exportPriceLists(const QString& directory);
// The same, written to `sheetPath` in one step. Throws Error("Cannot create file ...").
void exportPriceListsToFile(const QString& directory, const QString& sheetPath);

// What an import will change, item by item, in list and record order; nothing is written yet.
struct ImportPlan {
    std::vector<ItemChange> items;
    QStringList ignoredColumns; // header titles the import does not know, left alone
    int rows = 0;               // data rows read
    bool isEmpty() const { return items.empty(); }
};

// Reads a sheet against the lists as they are now. Columns are found by their header titles: "Файл"
// and "Номер" are needed, any of the others may be missing (a supplier's sheet of file, number and
// price changes prices only). A cell equal to the record's line, or a price or stock equal in
// value, is no change. The name is checked: a row whose "Название" differs from the record's is a
// rename only when nothing else in the row changes, or when its "Прежнее название" matches the
// record; otherwise it is refused as a row for another item. Every refused row is named by its
// row and column in one Error (rows counted as the spreadsheet shows them, the header being 1),
// and nothing is planned.
ImportPlan planImport(QByteArrayView sheet, const QString& directory, QChar decimal);
ImportPlan planImportFile(const QString& sheetPath, const QString& directory, QChar decimal);

// Writes the plan: each changed list in one locked read-modify-write that checks every changed
// record still carries the name the plan saw (applyItemChanges). Lists without changes are not
// touched; records the plan leaves alone keep their bytes. Returns the files written. A refusal
// midway throws an Error that also names the lists already written.
QStringList applyImport(const ImportPlan& plan, const QString& directory, const StockObserver& onStock = {});

} // namespace korvanta
