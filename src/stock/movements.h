#pragma once

#include "stock/journal.h"
#include "stock/journalreader.h"
#include "stock/movement.h"

#include <QDateTime>

// Stock movements of the owner's program and of printing, each written as movement.h writes every
// movement: the list and its journal rows together, so the journal's last "stock after" of a
// record and the file agree.
namespace korvanta::stock {

// A record of a price list as the owner chose it: the name is checked against the file.
struct ItemRef {
    QString fileName; // bare name, in the journal's folder
    int record = 0;
    QString name;
};

// Who makes the movement.
struct Actor {
    QString workplace = currentWorkplace();
    QString customer;
};

// Приход: raises the stock by `quantity` (more than 0). Returns the new order number.
long long receiveGoods(Journal& journal, const ItemRef& item, long long quantity, const Actor& actor);

// Правка: sets the stock to `count`. Returns the new order number.
long long setStock(Journal& journal, const ItemRef& item, long long count, const Actor& actor);

// One shipped row of an order and whether it has been taken back.
struct OrderLine {
    JournalRow shipped;
    bool returned = false;
};
// The shipment rows of an order, in journal order.
std::vector<OrderLine> orderLines(const JournalReader& reader, long long order);

// Возврат: takes back the given rows of order `order` (file and record name a row), or all rows
// not yet returned when `lines` is empty. The stock goes up by the shipped quantity; each row is
// journaled as "возврат" with the order's number. A row already returned, or not in the order,
// is refused before anything changes in its file. Returns the number of rows taken back.
int returnItems(Journal& journal, long long order, const std::vector<ItemRef>& lines, const Actor& actor);

// A record whose stock in its file is not the journal's last "stock after" for it.
struct Discrepancy {
    QString fileName;
    int record = 0;
    QString name; // as the file has it now
    long long journalStock = 0;
    QString fileStock; // the file's text, which may not be a number
};

// Сверка: every journaled record whose file count differs from the journal, in file and record
// order. Records the journal never mentions are not listed.
std::vector<Discrepancy> reconcile(const Journal& journal);
std::vector<Discrepancy> reconcile(const Journal& journal, const JournalReader& reader);

// Accepts the file's count with a "правка" row, after checking under the list's lock that the
// difference is still there. Returns false when it is gone already.
bool acceptFileCount(Journal& journal, const Discrepancy& discrepancy, const Actor& actor);

// What a printed order charged, the same for all its rows (texts as the journal keeps them).
struct OrderTerms {
    QString unit;
    QString rate;
    QString markup;
    QString vat; // empty: VAT not charged
    QString orderDate;
};

// The shipment of one printed order: its rows carry the number reserved for the print (or else
// the number its first rows reserve), the customer and what the order charged.
class ShipmentJournal {
public:
    // The journal of `directory` (empty: the working folder).
    ShipmentJournal(const QString& directory, const QString& customer, const QString& workplace = currentWorkplace());

    // The number reserved for the printed order, and what it charged.
    void setOrder(long long order, const OrderTerms& terms);
    long long orderNumber() const { return m_batch.order(); }

    // The row every sale of the order starts from: customer, workplace and the order's terms.
    const JournalRow& terms() const { return m_terms; }
    // A sale of `quantity` pieces of a record of the order.
    StockMove sale(const QString& fileName, int record, const QString& name, long long quantity) const;
    MoveBatch& batch() { return m_batch; }

private:
    Journal m_journal;
    MoveBatch m_batch;
    JournalRow m_terms;
};

} // namespace korvanta::stock
