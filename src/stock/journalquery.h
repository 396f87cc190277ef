#pragma once

#include "stock/journalreader.h"

#include <QDate>

#include <array>
#include <optional>
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

// Each column's keys, read from the journal once on first use: so that sorting again and
// filtering as one types do not parse a million rows each time. Valid while its reader is.
class JournalIndex {
public:
    explicit JournalIndex(const JournalReader* reader = nullptr) : m_reader(reader) {}
    void reset(const JournalReader* reader);

    // A text column: each row's number of its distinct text, and those texts (cp1251).
    struct Texts {
        std::vector<int> ids;
        std::vector<QByteArray> texts;
        std::vector<int> rank; // of each distinct text in sorted order, letter case ignored
    };
    const Texts& texts(int column);
    // A number column, or the date with its time for the date and time columns.
    const std::vector<long long>& numbers(int column);
    // All rows in ascending order of the column, equal ones in journal order.
    const std::vector<qsizetype>& ascending(int column);

private:
    bool isTextColumn(int column) const;

    const JournalReader* m_reader;
    // Fixed in size: references handed out stay valid while other columns are read.
    std::array<std::optional<Texts>, ColumnCount> m_texts;
    std::array<std::optional<std::vector<long long>>, ColumnCount> m_numbers;
    std::array<std::optional<std::vector<qsizetype>>, ColumnCount> m_ascending;
};

// The rows that pass the filter, in journal order. With an index, texts are matched once per
// distinct text and dates are not read again.
std::vector<qsizetype> selectRows(const JournalReader& reader, const JournalFilter& filter,
                                  JournalIndex* index = nullptr);

// Sorts rows by a column: numbers as numbers, the date with its time, texts ignoring letter case;
// rows that compare equal keep their journal order. With an index, the column's order is worked
// out once and later sorts only pick the rows from it.
void sortRows(const JournalReader& reader, std::vector<qsizetype>& rows, int column, bool ascending,
              JournalIndex* index = nullptr);

// A record of a price list as the owner picks it for receiving.
struct ListItem {
    int record = 0;
    QString name;
    QString stock;
};
// The records of a price list, the none entry left out. Throws Error when the file cannot be read.
std::vector<ListItem> listItems(const QString& path);

} // namespace korvanta::stock
