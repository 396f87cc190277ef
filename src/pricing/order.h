#pragma once

#include "pricing/selection.h"

#include <QChar>

namespace korvanta {

// The customer's order apart from the window that builds it: the chosen items, the pricing
// settings, the order's date, the customer and the regional decimal separator its amounts are written with.
// The order text reads this alone.
class Order {
public:
    explicit Order(QChar decimal) : m_decimal(decimal) {}

    Computer computer;
    PricingSettings settings;
    OrderDate orderDate;
    QString customer; // the "Заказчик" field, journaled with every shipped item

    QChar decimal() const { return m_decimal; }

private:
    QChar m_decimal;
};

} // namespace korvanta
