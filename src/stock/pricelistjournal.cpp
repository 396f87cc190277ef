#include "pricelistjournal.h"

namespace korvanta::stock {

PriceListJournal::PriceListJournal(Journal& journal, QString workplace)
    : m_journal(journal), m_workplace(std::move(workplace))
{
}

StockObserver PriceListJournal::observer()
{
    return [this](const std::vector<StockChange>& changes) { record(changes); };
}

void PriceListJournal::record(const std::vector<StockChange>& changes)
{
    std::vector<JournalRow> rows;
    rows.reserve(changes.size());
    for (const StockChange& change : changes) {
        JournalRow row;
        row.order = m_order;
        row.workplace = m_workplace;
        row.operation = CorrectionOp;
        row.fileName = change.file;
        row.record = change.record;
        row.name = change.name;
        row.priceText = change.price;
        // A new item had none; a stock line that was no number held none either.
        row.stockBefore = change.before.value_or(0);
        row.stockAfter = change.after;
        row.quantity = row.stockAfter - row.stockBefore;
        rows.push_back(std::move(row));
    }
    const long long order = m_journal.append(std::move(rows));
    if (m_order == 0)
        m_order = order;
}

} // namespace korvanta::stock
