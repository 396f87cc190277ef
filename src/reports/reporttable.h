#pragma once

#include "reports/reports.h"

#include <QByteArray>
#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

// The reports as tables of cells with their captions: what the window shows, prints and exports.
namespace korvanta::reports {

struct Cell {
    QString text; // a text cell, or what a number cell shows besides its number (empty)
    double number = 0;
    int decimals = -1; // -1: a text cell
    bool isNumber() const { return decimals >= 0; }
    static Cell of(const QString& text) { return {text, 0, -1}; }
    static Cell of(double value, int decimals) { return {QString(), value, decimals}; }
};

struct Table {
    QString title;
    QStringList headers;
    std::vector<std::vector<Cell>> rows;
};

// Sales per group, then the period's total and the previous period's.
Table salesTable(const SalesReport& report);
// Items (or categories) with their figures, in the order given.
Table itemsTable(const std::vector<ItemFigures>& items, const QString& title, bool categories = false);
Table stockTable(const StockReport& report);
Table negativeStockTable(const StockReport& report);
Table orderTable(const std::vector<OrderSuggestion>& suggestions);

// A number cell as the regional settings write it: thousands separated, `decimal` before the
// fraction.
QString displayText(const Cell& cell, const QLocale& locale);

// The tables as a spreadsheet file's bytes: cp1251, ';', each table's title and header row, a blank
// row between tables; numbers without thousands separators, with `decimal`.
QByteArray tablesCsv(const std::vector<Table>& tables, QChar decimal);
// Written atomically; throws Error when it cannot be.
void writeTablesCsv(const QString& path, const std::vector<Table>& tables, QChar decimal);

} // namespace korvanta::reports
