#include "stock/pricelistjournal.h"

namespace korvanta::stock {

PriceListJournal::PriceListJournal(Journal& journal, QString workplace)
    : m_batch(journal), m_workplace(std::move(workplace))
{
}

StockObserver PriceListJournal::observer()
{
    StockObserver observer;
    observer.writer = [this](const QString&, const QString& file,
                             const std::function<std::vector<StockChange>(PriceList&)>& change,
                             const StockReport& written) {
        std::vector<StockChange> changes;
        m_batch.change(
            file,
            [&](PriceList& list) {
                changes = change(list);
                std::vector<JournalRow> rows;
                for (const StockChange& c : changes) {
                    StockMove move{c.file, c.record, c.name, StockMove::Count::Set, c.after, {}};
                    move.row.workplace = m_workplace;
                    move.row.operation = CorrectionOp;
                    // A new item had none; a stock line that was no number held none either.
                    rows.push_back(movementRow(move, list, c.before.value_or(0), c.after));
                }
                return rows;
            },
            [&](const PriceList&) { written(changes); });
    };
    return observer;
}

} // namespace korvanta::stock
