#pragma once

#include "catalogue/categorytable.h"
#include "stock/journal.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace korvanta {

class Catalogue;
class MessageBox;
class Order;
class Printer;

extern const QString PrintJobTitle; // "Итого..."
extern const QString PrintErrorMessage; // "Ошибка печати документа! Проверьте принтер!"
extern const QString ShippedStatus; // "Статус: ОТГРУЖЕНО"

// Marks the order text as shipped: " ", " " and the status line.
void appendStatusLines(QStringList& lines);

// One sold item as the journal records it: the price list's bare name, the record (0-based), its
// name, the pieces sold, the price text the order printed, the stock before and after, and the
// item's line of the printed order (its text, unit price, amount and position among the lines).
using ShippedItem = stock::JournalRow;
// Called for each price list right after it was replaced, while its lock is still held.
using ShipmentRecorder = std::function<void(const ShippedItem&)>;

// What the window that built the order does when a shipment changed a list in memory.
struct ShipmentFollowUp {
    // The list of the category now holds the file's new content.
    std::function<void(Cat)> listReplaced;
    // The chosen record no longer carries the chosen name; the choice is dropped and the list
    // holds the file as it is.
    std::function<void(Cat)> choiceDropped;
    // Called once the printer dialog is accepted, before anything is printed: throws to refuse
    // the print when the order no longer matches its lists.
    std::function<void()> beforePrint;
};

// Lowers the stock of every chosen item in its price list, category by category in the order of
// the summary. Each list is changed as one locked update of its file, on the file as it is now,
// so that the sales of other copies on the same folder are never overwritten; the list in memory
// then becomes the file's new content, the choices staying where they are.
// The shipment stops at a category with its Error, the files of the categories before it staying
// written: a stock that is not a whole number, a file that cannot be read or written, a lock that
// another copy does not give up, a record at the chosen position that no longer carries the
// chosen name (its choice is then dropped and the list replaced by the file, which is left as
// it was), or a failure of `recorder` (the list is written by then).
void shipOrder(Order& order, Catalogue& catalogue, const ShipmentRecorder& recorder = {},
               const ShipmentFollowUp& followUp = {});

// What follows the status lines: the printer dialog, the order's number reserved, the print job
// (the shop's heading above the lines, the number below them) and the shipment. A cancelled
// dialog prints and ships nothing and uses no number; a failed print is told in the message box
// and the order is shipped all the same, under its number. A failed shipment is thrown. Every
// shipped item is journaled in the shop folder's journal.csv under that number, with the
// customer field and what the order charged; a `recorder` given takes the journal's place.
void printAndShip(Order& order, Catalogue& catalogue, const QStringList& lines, Printer* printer,
                  MessageBox* messageBox, const ShipmentRecorder& recorder = {}, const ShipmentFollowUp& followUp = {});

} // namespace korvanta
