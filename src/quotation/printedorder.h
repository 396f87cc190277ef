#pragma once

#include "stock/journal.h"
#include "stock/movements.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The order as it goes to paper: the shop's heading above it and the journal's number below the
// status line; and the same text rebuilt from the journal for a copy.
namespace korvanta {

class Order;

extern const QString HeadingFile; // "heading.txt": the shop's own lines above every order
extern const QString CopyMark;    // "КОПИЯ"

// "Заказ № 123"
QString orderNumberLine(long long number);
// The order number in what a user types from the paper: "123", "№ 123", "Заказ № 123".
std::optional<long long> orderNumberFromText(const QString& text);

// The heading of the shop folder `directory`: its lines without the blank ones at the end; none
// when there is no file. A file that cannot be read throws Error.
QStringList loadHeading(const QString& directory);
// Writes the heading in one step; lines ending blank are dropped, and no lines remove the file.
// A character code page 1251 lacks, or a failed write, throws Error and leaves the file as it was.
void saveHeading(const QString& directory, const QStringList& lines);

// The printed text: the heading and a blank line when there is one, the order's lines, its
// number; a copy is marked above everything.
QStringList paperText(const QStringList& heading, const QStringList& lines, long long number, bool copy = false);

// What the order charged, as its journal rows keep it.
stock::OrderTerms orderTerms(const Order& order);

// The order text (with the status lines) as printed, from its shipment rows. Rows written before
// the journal kept the printed line are taken as their name and price text in у.е., without
// markup or VAT, dated by the journal. `fallbackDecimal`: for rows that show no separator.
QStringList rebuildOrderLines(std::vector<stock::JournalRow> shipped, QChar fallbackDecimal);

// The copy of order `number` of the journal, heading and number included, marked as a copy.
// Throws Error when the journal holds no shipment of that number.
QStringList orderCopy(const stock::Journal& journal, long long number, QChar fallbackDecimal);

} // namespace korvanta
