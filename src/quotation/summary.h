#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvanta {

class Order;

extern const QString SummarySeparator; // 54 underscores

// The order text as far as it could be composed, and the failure that stopped it, if any.
struct Summary {
    QStringList lines;
    std::optional<QString> failure;
};

// The order text: the date, a line per chosen item, the total with the markup and, when VAT is
// charged, the VAT and the grand total. A price that is not a number stops the composition after
// its item line: the lines so far are kept and the failure's message is given with them.
Summary summarize(const Order& order);

// The same, but the failure is thrown as the conversion's Error.
QStringList composeSummary(const Order& order);

} // namespace korvanta
