#pragma once

#include "base/error.h"
#include "catalogue/pricelist.h"
#include "stock/journal.h"

#include <functional>
#include <vector>

// How every stock movement is written: a sale, a receipt, a return, a correction. One list at a
// time: its lock, the list as it is now, the name check of each record at its position, the new
// counts, then the list and its journal rows together. A redo record beside the list
// ("<list>.korvanta-redo": the rows as the journal is to hold them and a fingerprint of the new
// list) is written before the list is swapped in and removed once the rows are appended, so a copy
// that dies in between leaves the rows to whoever takes that list's lock next.
namespace korvanta::stock {

// One record's stock change.
struct StockMove {
    enum class Count { Add, Set };

    QString fileName; // bare name of the price list
    int record = 0;
    QString name; // as the mover saw it: the record must still carry it
    Count count = Count::Add;
    long long amount = 0; // Add: added to the stock (a sale adds less than 0); Set: the new stock
    // What the row carries besides the counts: operation, workplace, customer, what a printed
    // order charged. An empty price text takes the record's price line.
    JournalRow row;
};

// A sale of `quantity` pieces of a record; `row` carries who sold it and what the order printed.
StockMove saleOf(const QString& fileName, int record, const QString& name, long long quantity, JournalRow row = {});

// The record at a move's position no longer carries the name the mover saw (or is gone).
class RecordChangedError : public Error {
public:
    RecordChangedError(const StockMove& move, const PriceList& now);
    const PriceList& listNow() const { return m_list; }

private:
    PriceList m_list;
};

// The journal row of a move from `before` to `after`; `list` is the list after the change. A sale
// counts the pieces that went, every other movement the change of the stock.
JournalRow movementRow(const StockMove& move, const PriceList& list, long long before, long long after);

// The moves applied to a list in memory (names checked first, so a refusal changes nothing);
// returns their rows.
std::vector<JournalRow> applyMoves(PriceList& list, const std::vector<StockMove>& moves);

// The redo record of a price list, beside it.
QString redoPath(const QString& listPath);

// Under the list's lock: finishes a movement a dead copy left between the list and the journal.
// When the list holds the content the redo record names, its rows are appended unless the journal
// has them already; the record is then removed. A failed append leaves it for the next one.
void completePendingMove(Journal& journal, const QString& listPath);
// The same for every list of the journal's folder that has one, each under its lock.
void completePendingMoves(Journal& journal);

// Runs `work` under the lock of the list (a bare name in the journal's folder), after a pending
// movement of the list is completed.
void withListLock(Journal& journal, const QString& fileName, const std::function<void()>& work);

// Moves of several lists under one order number, list by list.
class MoveBatch {
public:
    // Rows go to `journal` under `order`; 0: a number is reserved when the first rows are written.
    explicit MoveBatch(Journal& journal, long long order = 0);
    // Rows go to `sink` instead, without a redo record (a stand-in for the journal).
    MoveBatch(Journal& journal, std::function<void(const std::vector<JournalRow>&)> sink);

    long long order() const { return m_order; }
    void setOrder(long long order) { m_order = order; }

    // Called with a list's new content right after it was swapped in, before its rows are
    // appended, under its lock.
    using Written = std::function<void(const PriceList&)>;
    // The moves of one list (all naming `fileName`). Returns the list's new content.
    PriceList apply(const QString& fileName, const std::vector<StockMove>& moves, const Written& written = {});
    // The general form: `change` alters the list as it is now and returns the rows of the change.
    // No rows: the list is replaced alone (or left as it is when it did not change).
    PriceList change(const QString& fileName, const std::function<std::vector<JournalRow>(PriceList&)>& change,
                     const Written& written = {});

private:
    Journal& m_journal;
    std::function<void(const std::vector<JournalRow>&)> m_sink;
    long long m_order = 0;
};

// What a shipment tells its caller, by the index of the move.
struct ShipmentSteps {
    // The list of the move holds its new content.
    std::function<void(size_t move, const PriceList& written)> written;
    // The record no longer carries the name: the list as it is, left unchanged.
    std::function<void(size_t move, const PriceList& now)> refused;
};

// Ships the moves (a sale each) list by list, in their order. Stops at the first failure with its
// Error, the lists before staying shipped; a lock that cannot be had and a record that no longer
// carries its name say that the item and the following ones were not shipped.
void shipMoves(MoveBatch& batch, const std::vector<StockMove>& moves, const ShipmentSteps& steps = {});

} // namespace korvanta::stock
