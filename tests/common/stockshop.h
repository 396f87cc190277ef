#pragma once

#include "journal.h"
#include "journalreader.h"
#include "movements.h"
#include "pricelist.h"
#include "testshop.h"

// The small shop with a journal, and a seller's shipment of one item as printing journals it:
// the list replaced under its lock, its row appended before the lock is let go.
namespace korvanta::testing {

struct StockShop : TestShop {
    stock::Journal journal{folder};

    QString stockOf(const QString& file, int record) const { return recordLine(list(file), record, StockLine); }
    stock::JournalReader reader() const { return stock::JournalReader::load(journal.path()); }

    void ship(stock::ShipmentJournal& order, const QString& file, int record, int quantity) const
    {
        const QString filePath = path(file);
        updatePriceListFile(
            filePath,
            [&](PriceList& list) {
                const int line = record * RecordLines + StockLine;
                list.replace(line, QString::number(list.at(line).toLongLong() - quantity));
            },
            [&](const PriceList& list) {
                const long long after = recordLine(list, record, StockLine).toLongLong();
                order.record({filePath,
                              record,
                              recordLine(list, record, NameLine),
                              quantity,
                              recordLine(list, record, PriceLine),
                              after + quantity,
                              after,
                              {},
                              {},
                              {},
                              0});
            });
    }
};

} // namespace korvanta::testing
