#include "quotation/summary.h"

#include "base/error.h"
#include "pricing/order.h"
#include "text/conversions.h"

namespace korvanta {

const QString SummarySeparator(54, QLatin1Char('_'));

namespace {

// Appends line by line to `lines`, so that a failure leaves the lines added before it.
void compose(const OrderText& text, QStringList& lines)
{
    lines.append(QStringLiteral("Заказ выполнен: ") + text.date);
    lines.append(SummarySeparator);

    double sum = 0;
    for (const auto& [item, price] : text.items) {
        lines.append(item + QStringLiteral(":  ") + price + text.suffix);
        sum = sum + textToFloat(price, text.decimal);
    }
    lines.append(SummarySeparator);

    const double total = (text.markupPercent / 100 + 1) * sum;
    lines.append(QStringLiteral("Итого...    ") + formatMoney(total, text.decimal) + text.suffix);
    if (text.vatCharged) {
        const double vat = total * text.vatPercent / 100;
        lines.append(QStringLiteral("НДС...        ") + formatMoney(vat, text.decimal) + text.suffix);
        const double grand = (text.vatPercent / 100 + 1) * total;
        lines.append(QStringLiteral("Всего...    ") + formatMoney(grand, text.decimal) + text.suffix);
    }
}

} // namespace

QString orderDateText(const OrderDate& date)
{
    return QStringLiteral("%1.%2.%3").arg(date.day).arg(date.month).arg(date.year);
}

OrderText orderText(const Order& state)
{
    OrderText text;
    text.date = orderDateText(state.orderDate);
    for (Cat c : summaryOrder()) {
        if (state.computer.isChosen(c))
            text.items.emplace_back(state.computer[c].item, state.computer[c].price);
    }
    // The chosen prices were taken in the unit the settings name now: a change of unit drops them.
    text.suffix = unitSuffix(state.settings);
    text.markupPercent = state.settings.markupPercent;
    text.vatCharged = state.settings.vatCharged;
    text.vatPercent = state.settings.vatPercent;
    text.decimal = state.decimal();
    return text;
}

Summary summarize(const OrderText& text)
{
    Summary summary;
    try {
        compose(text, summary.lines);
    } catch (const Error& e) {
        summary.failure = e.message();
    }
    return summary;
}

Summary summarize(const Order& state)
{
    return summarize(orderText(state));
}

QStringList composeSummary(const Order& state)
{
    QStringList lines;
    compose(orderText(state), lines);
    return lines;
}

} // namespace korvanta
