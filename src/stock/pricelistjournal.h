#pragma once

#include "journal.h"
#include "pricelistediting.h"

// The owner's changes to the price lists in the stock journal: every stock count that an item's
// edit, a new item or a spreadsheet import sets becomes a "правка" row, appended while the list is
// still locked, so that the journal's last "stock after" and the file agree.
namespace korvanta::stock {

// The rows of one edit or one import: they all carry one order number, the one its first list's
// rows got. Use one object per edit or import.
class PriceListJournal {
public:
    explicit PriceListJournal(Journal& journal, QString workplace = currentWorkplace());

    // The observer to hand to editItem, appendItem or applyImport; it must not outlive this object.
    StockObserver observer();
    // 0 until a row has been written.
    long long orderNumber() const { return m_order; }

private:
    void record(const std::vector<StockChange>& changes);

    Journal& m_journal;
    QString m_workplace;
    long long m_order = 0;
};

} // namespace korvanta::stock
