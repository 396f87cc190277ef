#pragma once

#include "catalogue/pricelistediting.h"
#include "stock/journal.h"
#include "stock/movement.h"

// The owner's changes to the price lists in the stock journal: every stock count that an item's
// edit, a new item or a spreadsheet import sets becomes a "правка" row, written with its list as
// every stock movement is (movement.h), so that the journal's last "stock after" and the file agree.
namespace korvanta::stock {

// The rows of one edit or one import: they all carry one order number, reserved when its first
// list's rows are written. Use one object per edit or import, on the lists of the journal's folder.
class PriceListJournal {
public:
    explicit PriceListJournal(Journal& journal, QString workplace = currentWorkplace());

    // The observer to hand to editItem, appendItem or applyImport; it must not outlive this object.
    StockObserver observer();
    // 0 until a row has been written.
    long long orderNumber() const { return m_batch.order(); }

private:
    MoveBatch m_batch;
    QString m_workplace;
};

} // namespace korvanta::stock
