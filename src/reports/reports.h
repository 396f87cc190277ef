#pragma once

#include "reports/journalscan.h"
#include "reports/period.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The owner's reports over the journal's bytes and the 30 price lists. Each report reads the
// journal once; amounts are in у.е. unless named otherwise.
namespace korvanta::reports {

// One item of a price list as it is now.
struct ShopItem {
    QString file;
    int record = 0; // from 1, as the journal counts
    QString name;
    QString category;
    std::optional<double> price;    // у.е.; none when the price line is not a number
    std::optional<long long> stock; // none when the stock line is not a whole number
};

// Every item of the shop's price lists, the none entries left out, in category and record order.
// A list that is missing is passed over; one that cannot be read throws Error. Prices are read
// with `decimal` (or '.', which the lists may hold too).
std::vector<ShopItem> loadShopItems(const QString& folder, QChar decimal);

// The category title of a price-list file ("Процессоры" for "Proc_amd.dat"), else the file's name.
QString categoryOfFile(const QString& file);

// The journal's bytes; a missing journal is an empty one, one that cannot be read throws Error.
QByteArray readJournal(const QString& folder);

// --- Sales over time ---

struct SalesFigures {
    int orders = 0;                    // orders with a shipment in the group
    long long items = 0;               // pieces shipped
    double revenueUe = 0;              // shipments as charged, in у.е.
    std::vector<double> revenueByUnit; // as charged in each currency of SalesReport::units
    long long returnedItems = 0;
    double returnsUe = 0;   // returns as charged, in у.е.
    bool estimated = false; // some rows were written before the charged columns
    double netUe() const { return revenueUe - returnsUe; }
};

struct SalesGroup {
    QDate start; // the group's first day (may be before the period)
    QString label;
    SalesFigures figures;
};

struct SalesReport {
    Period period;
    Period previous;
    Grouping grouping = Grouping::Day;
    QStringList units;                      // the currencies other than у.е. orders were printed in, by first use
    std::vector<SalesGroup> groups;         // of the period
    std::vector<SalesGroup> previousGroups; // of the previous period, for comparison by position
    SalesFigures total;
    SalesFigures previousTotal;
};

SalesReport salesReport(QByteArrayView journal, const Period& period, Grouping grouping);

// --- Items ---

struct ItemFigures {
    QString file;
    int record = 0;
    QString name;
    QString category;
    long long sold = 0;
    long long returned = 0;
    long long received = 0;
    std::optional<long long> stock; // now, from its list; none when not in a list or unreadable
    double revenueUe = 0;           // net of returns
    bool idle = false;              // in stock and not sold in the period: "лежит без движения"
};

struct ItemsReport {
    Period period;
    std::vector<ItemFigures> items;      // every item moved in the period or in a list now
    std::vector<ItemFigures> categories; // the same added up per category (name = category)
};

ItemsReport itemsReport(QByteArrayView journal, const std::vector<ShopItem>& shop, const Period& period);
// The items sold in the period, the best `count` by revenue (then by pieces).
std::vector<ItemFigures> topSellers(const ItemsReport& report, int count);
// The items in stock that did not sell in the period.
std::vector<ItemFigures> idleItems(const ItemsReport& report);

// --- Stock ---

struct CategoryStock {
    QString category;
    int items = 0;       // items with stock above 0
    long long units = 0; // pieces on hand (stock above 0)
    double valueUe = 0;  // pieces x list price
    int unpriced = 0;    // items in stock whose price cannot be read (not in the value)
};

struct StockReport {
    std::vector<CategoryStock> categories; // in category order
    CategoryStock total;
    std::vector<ShopItem> negative; // sold before they were received
};

StockReport stockReport(const std::vector<ShopItem>& shop);

// --- What to order ---

struct OrderSuggestion {
    QString file;
    int record = 0;
    QString name;
    QString category;
    long long stock = 0;
    long long sold = 0; // net pieces over the rate's days
    double perDay = 0;
    double daysLeft = 0;     // at that rate; 0 when none is left
    long long suggested = 0; // to last `horizon` days from today
};

// Items in stock (or below) whose sales over the `rateDays` days up to `today` will use up their
// stock within `horizon` days, soonest first.
std::vector<OrderSuggestion> whatToOrder(QByteArrayView journal, const std::vector<ShopItem>& shop, const QDate& today,
                                         int horizon, int rateDays);

} // namespace korvanta::reports
