#pragma once

#include "files/textlines.h"

#include <functional>

namespace korvanta {

// A price-list file in memory: its lines as read; record k is lines 7k to 7k+6.
using PriceList = TextLines;

constexpr int RecordLines = 7;
enum RecordField { NameLine = 0, PriceLine = 1, StockLine = 4, DescriptionLine = 5 };

// Lines / 7, rounded to the nearest whole: a trailing block of 4 to 6 lines counts as a record.
int recordCount(const PriceList& list);
// Line `field` of record `record`; throws "List index out of bounds (n)" past the end.
QString recordLine(const PriceList& list, int record, int field);
// The same, but empty when a short last record lacks the line.
QString recordLineOrEmpty(const PriceList& list, int record, int field);

// One record of a price list, field by field. A field past the list's end throws as recordLine does.
class PriceRecord {
public:
    PriceRecord(const PriceList& list, int record) : m_list(&list), m_record(record) {}

    int index() const { return m_record; }
    // The record's name line is in the list.
    bool exists() const { return m_record >= 0 && lineOf(m_record, NameLine) < m_list->count(); }
    QString name() const { return recordLine(*m_list, m_record, NameLine); }
    QString price() const { return recordLine(*m_list, m_record, PriceLine); }
    QString stock() const { return recordLine(*m_list, m_record, StockLine); }
    QString description() const { return recordLine(*m_list, m_record, DescriptionLine); }

    // The line of field `field` of record `record` in the file.
    static int lineOf(int record, int field) { return record * RecordLines + field; }

private:
    const PriceList* m_list;
    int m_record;
};

// Writes the stock text of record `record`; throws past the list's end.
void setRecordStock(PriceList& list, int record, const QString& stock);

PriceList loadPriceList(const QString& fileName);
void savePriceList(const PriceList& list, const QString& fileName);

// One read-modify-write of a price-list file that other copies may change too: takes the file's
// lock, reads the file as it is now, lets `change` alter that content, replaces the file
// atomically, runs `afterWrite` while the lock is still held (the journal's rows of the change),
// and unlocks. Returns the file's new content. A failure before the replace leaves the file as it
// was; one thrown by `afterWrite` leaves it replaced.
PriceList updatePriceListFile(const QString& fileName, const std::function<void(PriceList&)>& change,
                              const std::function<void(const PriceList&)>& afterWrite = {});

} // namespace korvanta
