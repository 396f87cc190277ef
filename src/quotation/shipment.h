#pragma once

#include <QString>
#include <QStringList>

namespace korvanta {

class MainState;
class MessageBox;
class Printer;

extern const QString PrintJobTitle; // "Итого..."
extern const QString PrintErrorMessage; // "Ошибка печати документа! Проверьте принтер!"
extern const QString ShippedStatus; // "Статус: ОТГРУЖЕНО"

// Marks the order text as shipped: " ", " " and the status line.
void appendStatusLines(QStringList& lines);

// Lowers the stock of every chosen item in its price list, category by category in the order of
// the summary, and writes each changed price list back at once. A stock that is not a whole
// number or a file that cannot be written stops the shipment there with its Error; the files of
// the categories before it stay written. A price list in memory changes only when its file did.
void shipOrder(MainState& state);

// What follows the status lines: the printer dialog, the print job and the shipment. A cancelled
// dialog prints and ships nothing; a failed print is told in the message box and the order is
// shipped all the same. Returns true: the summary window closes. A failed shipment is thrown
// instead, and the window stays open.
bool printAndShip(MainState& state, const QStringList& lines, Printer* printer, MessageBox* messageBox);

// PrintBtnClick as a whole: appends the status lines to `lines`, then prints and ships.
bool printBtnClick(MainState& state, QStringList& lines, Printer* printer, MessageBox* messageBox);

} // namespace korvanta
