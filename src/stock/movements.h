#pragma once

#include "journal.h"
#include "journalreader.h"

#include <QDateTime>

#include <memory>

// Stock movements of the owner's program and of printing. Every one changes a price list the way
// printing does (the list's lock, the file as it is now, the name check of the record at its
// position, an atomic replace) and appends its journal rows while the list is still locked, so
// the journal's last "stock after" of a record and the file agree unless a copy died in between.
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

// Rows of printing: one object per printed order. The rows carry the number reserved for the
// print, or else the first row takes the next order number and the rows after it carry the same.
// Call record() for each shipped item right after its list was replaced, under the list's lock.
class ShipmentJournal {
public:
    struct Item {
        QString fileName; // a path or a bare name; the journal keeps the bare name
        int record = 0;
        QString name;
        long long quantity = 0;
        QString priceText;
        long long stockBefore = 0;
        long long stockAfter = 0;
        // The item's line of the printed order: its text, unit price, amount and position.
        QString orderLine;
        QString unitPrice;
        QString amount;
        int linePosition = 0;
    };

    // The journal of `directory` (empty: the working folder).
    ShipmentJournal(const QString& directory, const QString& customer, const QString& workplace = currentWorkplace());
    // Another journal, e.g. one that fails on purpose.
    ShipmentJournal(Journal& journal, const QString& customer, const QString& workplace = currentWorkplace());

    // The number reserved for the printed order, and what it charged.
    void setOrder(long long order, const OrderTerms& terms)
    {
        m_order = order;
        m_terms = terms;
    }
    void record(const Item& item);
    long long orderNumber() const { return m_order; }

private:
    OrderTerms m_terms;
    std::unique_ptr<Journal> m_own;
    Journal* m_journal;
    QString m_customer;
    QString m_workplace;
    long long m_order = 0;
};

} // namespace korvanta::stock
