#pragma once

#include "catalogue/pricelist.h"

#include <QChar>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

// The owner's changes to the price lists: editing an item's fields, setting its stock, appending
// new items. Items are identified by position, as the seller's copies identify them, so existing
// records never move and nothing is removed; a change is refused when the record no longer carries
// the name the owner saw.
namespace korvanta {

// The seven lines of a record, by line number.
enum class ItemField { Name = 0, Price = 1, Spare1 = 2, Spare2 = 3, Stock = 4, Description = 5, Spare3 = 6 };
constexpr int ItemFieldCount = RecordLines;

// The field's title in messages and as a spreadsheet column: "Название", "Цена", "Резерв 1",
// "Резерв 2", "Остаток", "Описание", "Резерв 3".
QString fieldTitle(ItemField field);

// A record's lines as texts; lines a short trailing block lacks read as empty.
struct PriceItem {
    std::array<QString, ItemFieldCount> lines;
    QString& operator[](ItemField f) { return lines[size_t(f)]; }
    const QString& operator[](ItemField f) const { return lines[size_t(f)]; }
    bool operator==(const PriceItem& other) const { return lines == other.lines; }
};

// Record `record` (0-based) of the list.
PriceItem itemAt(const PriceList& list, int record);

// Why `text` cannot be stored in the field as typed, or an empty text when it can: a character
// cp1251 lacks or a line break or NUL (as the client base refuses them), a price that is not a
// number in the regional settings' notation (`decimal`), a stock that is not a whole number, an
// empty name; an empty price or stock is named as missing.
QString fieldProblem(ItemField field, const QString& text, QChar decimal);

// Record numbers as a person reads them, in the spreadsheet and the stock journal: the first
// record of a list is 1. The code counts positions from 0; these two are the only conversions.
inline int displayRecordNumber(int record)
{
    return record + 1;
}
inline int recordFromDisplayNumber(int number)
{
    return number - 1;
}

// A stock count changed by the owner, reported while the list's lock is still held.
struct StockChange {
    QString file;              // "Ram.dat"
    int record = 0;            // 0-based; shown as displayRecordNumber(record)
    QString name;              // the item's name after the change
    QString price;             // the item's price line after the change
    std::optional<int> before; // empty for a new item or a stock line that was not a number
    int after = 0;
};
// The stock changes of one list's write, all at once, so that their journal rows go in one append;
// never called with none.
using StockReport = std::function<void(const std::vector<StockChange>&)>;

// The locked write of one list of `directory`: reads the list as it is now, lets `change` alter it
// and name its stock changes, replaces the list and calls `written` with them, all under the
// list's lock. The stock journal's writer writes the rows of the changes with the list.
using ListWriter =
    std::function<void(const QString& directory, const QString& file,
                       const std::function<std::vector<StockChange>(PriceList&)>& change, const StockReport& written)>;

// Who is told of the owner's stock changes, and optionally who writes the lists.
struct StockObserver {
    StockReport report;
    ListWriter writer; // empty: updatePriceListFile

    StockObserver() = default;
    template <typename F, typename = std::enable_if_t<std::is_invocable_v<F, const std::vector<StockChange>&>>>
    StockObserver(F f) : report(std::move(f))
    {
    }
    explicit operator bool() const { return bool(report); }
    void operator()(const std::vector<StockChange>& changes) const
    {
        if (report)
            report(changes);
    }
};

// One field's change as the preview shows it and the list receives it.
struct FieldChange {
    ItemField field;
    QString before;
    QString after;
};

// The changes of one record. `name` is the name the owner saw: the change is refused if the
// record carries another one by the time it is written.
struct ItemChange {
    QString file;
    int record = 0;
    QString name;
    std::vector<FieldChange> fields;
};

// Changes one item: `seen` is the item as the window showed it, `edited` as the owner left it.
// Only the fields that differ are written, in one locked read-modify-write of the list. A stock
// changed by a sale since `seen` was read keeps that sale: the owner's change is applied as the
// difference between `seen` and `edited`. Throws Error with a Russian message for a field that
// cannot be stored (naming the field), or for a record that is gone or renamed (naming file and
// item). Returns false when nothing differs (the file is not touched).
bool editItem(const QString& directory, const QString& file, int record, const PriceItem& seen, const PriceItem& edited,
              QChar decimal, const StockObserver& onStock = {});

// Appends a new item at the end of the list and returns its record number (0-based). The stock
// must be a whole number; an empty stock line is written as 0. A list that ends in a block of one
// to three stray lines is refused (the new item would take them in); a short last record is
// completed with empty lines first. The new item's stock is reported too, with no `before`.
int appendItem(const QString& directory, const QString& file, const PriceItem& item, QChar decimal,
               const StockObserver& onStock = {});

// The locked write of a set of changes to one list: every record's name is checked first, then
// the fields are replaced (a stock by the difference of its change), the file is replaced, and the
// stock changes are reported under the lock. `changes` must all name `file`. Used by editItem and
// the spreadsheet import.
void applyItemChanges(const QString& directory, const QString& file, const std::vector<ItemChange>& changes,
                      const StockObserver& onStock = {});

} // namespace korvanta
