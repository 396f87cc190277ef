#pragma once

#include "stock/journal.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

// The journal's rows read straight from its bytes in one pass, without decoding texts: what the
// reports add up. Rows written before the charged columns existed (13 fields) count with their
// price text as the amount, in у.е., without markup or VAT, and are marked estimated.
namespace korvanta::reports {

enum class Operation { Shipment, Return, Receipt, Correction, Other };

// The journal's columns after its first 13: what the printed order charged.
using stock::AmountColumn;
using stock::LinePositionColumn;
using stock::MarkupColumn;
using stock::OrderDateColumn;
using stock::OrderLineColumn;
using stock::RateColumn;
using stock::UnitColumn;
using stock::UnitPriceColumn;
using stock::VatColumn;
constexpr int ChargedColumnEnd = stock::ColumnCount;

// A price-list file and record as an item of the reports.
struct ItemKey {
    int file = 0;   // index into JournalScan::files()
    int record = 0; // as the journal shows it, from 1
    bool operator==(const ItemKey& o) const { return file == o.file && record == o.record; }
};

struct Movement {
    long long order = 0;
    int day = 0; // Julian day of the row's date
    Operation operation = Operation::Other;
    ItemKey item;
    QByteArrayView name; // cp1251, valid during the call only
    long long quantity = 0;
    double amount = 0;      // the line amount in the order's unit, before markup and VAT
    QByteArrayView unit;    // cp1251; empty or "у.е.": у.е.
    double rate = 0;        // local units per у.е.; 0: not known
    double markup = 0;      // percent
    double vat = 0;         // percent; 0 when not charged
    bool estimated = false; // no charged columns: amount from the price text

    bool inUe() const;
    // What the customer was charged, in the order's unit and in у.е.
    double charged() const { return amount * (1 + markup / 100) * (1 + vat / 100); }
    double chargedUe() const;
};

// Reads a number written with ',' or '.' as its decimal separator; false when it is not one.
bool readNumber(QByteArrayView text, double& value);
// Reads a whole number, blanks around allowed; false when it is not one.
bool readWhole(QByteArrayView text, long long& value);

class JournalScan {
public:
    // Calls `visit` for every movement row, in journal order. The header, rows that are not
    // movements and a torn last row (no line end) are passed over and counted.
    void scan(QByteArrayView journal, const std::function<void(const Movement&)>& visit);
    // Only rows dated from `first` to `last` (Julian days) are visited; the others are passed over
    // after their date, which is what makes a month of a long journal quick.
    void setDays(qint64 first, qint64 last)
    {
        m_first = first;
        m_last = last;
    }

    qsizetype rowsRead() const { return m_rows; }
    qsizetype rowsSetAside() const { return m_setAside; }
    // The price-list file names met so far; ItemKey::file indexes them.
    const std::vector<QString>& files() const { return m_files; }
    int fileIndex(const QString& name);

private:
    int fileIndex(QByteArrayView name);

    std::vector<QString> m_files;
    std::vector<QByteArray> m_fileBytes;
    // By the bytes of m_fileBytes, which stay where they are as the vector grows.
    std::unordered_map<std::string_view, int> m_fileIndex;
    qsizetype m_rows = 0;
    qsizetype m_setAside = 0;
    qint64 m_first = std::numeric_limits<qint64>::min();
    qint64 m_last = std::numeric_limits<qint64>::max();
};

} // namespace korvanta::reports
