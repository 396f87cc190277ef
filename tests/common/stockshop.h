#pragma once

#include "catalogue/pricelist.h"
#include "common/testshop.h"
#include "stock/journal.h"
#include "stock/journalreader.h"
#include "stock/movements.h"

// The small shop with a journal, and a seller's shipment of one item as printing journals it.
namespace korvanta::testing {

struct StockShop : TestShop {
    stock::Journal journal{folder};

    QString stockOf(const QString& file, int record) const { return recordLine(list(file), record, StockLine); }
    stock::JournalReader reader() const { return stock::JournalReader::load(journal.path()); }

    void ship(stock::ShipmentJournal& order, const QString& file, int record, int quantity) const
    {
        const QString name = recordLine(list(file), record, NameLine);
        order.batch().apply(file, {order.sale(file, record, name, quantity)});
    }
};

} // namespace korvanta::testing
