#pragma once

#include "journalreader.h"

#include <QDate>

#include <vector>

// Which journal rows the owner's view shows, and in which order.
namespace korvanta::stock {

struct JournalFilter {
    QDate from;          // null: no lower bound
    QDate to;            // null: no upper bound
    QString customer;    // part of the customer field, any letter case
    QString item;        // part of the item name, any letter case
    QString operation;   // exact; empty: all
    long long order = 0; // the order number; 0: all

    bool isEmpty() const
    {
        return from.isNull() && to.isNull() && customer.isEmpty() && item.isEmpty() && operation.isEmpty() &&
               order == 0;
    }
};

// The rows that pass the filter, in journal order.
std::vector<qsizetype> selectRows(const JournalReader& reader, const JournalFilter& filter);

// Sorts rows by a column: numbers as numbers, the date with its time, texts ignoring letter case;
// rows that compare equal keep their journal order.
void sortRows(const JournalReader& reader, std::vector<qsizetype>& rows, int column, bool ascending);

// A record of a price list as the owner picks it for receiving.
struct ListItem {
    int record = 0;
    QString name;
    QString stock;
};
// The records of a price list, the none entry left out. Throws Error when the file cannot be read.
std::vector<ListItem> listItems(const QString& path);

} // namespace korvanta::stock
