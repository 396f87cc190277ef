#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace korvanta {

class Order;
struct OrderDate;

extern const QString SummarySeparator; // 54 underscores

// The order text as far as it could be composed, and the failure that stopped it, if any.
struct Summary {
    QStringList lines;
    std::optional<QString> failure;
};

// What the order text is made of, whether taken from the order or read back from the journal.
struct OrderText {
    QString date;                                   // "5.3.2004"
    std::vector<std::pair<QString, QString>> items; // item text and price text, in line order
    QString suffix;                                 // " у.е." or a blank and the currency name
    double markupPercent = 0;
    bool vatCharged = false;
    double vatPercent = 0;
    QChar decimal = QLatin1Char('.');
};

// The date as the date line shows it: day, month and year without leading zeros.
QString orderDateText(const OrderDate& date);
// The chosen items of the order, in the summary's order, with its settings.
OrderText orderText(const Order& order);

// The order text: the date, a line per chosen item, the total with the markup and, when VAT is
// charged, the VAT and the grand total. A price that is not a number stops the composition after
// its item line: the lines so far are kept and the failure's message is given with them.
Summary summarize(const Order& order);
Summary summarize(const OrderText& text);

// The same, but the failure is thrown as the conversion's Error.
QStringList composeSummary(const Order& order);

} // namespace korvanta
