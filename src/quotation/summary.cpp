#include "summary.h"

#include "conversions.h"
#include "error.h"
#include "order.h"

namespace korvanta {

const QString SummarySeparator(54, QLatin1Char('_'));

namespace {

// Appends line by line to `lines`, so that a failure leaves the lines added before it.
void compose(const Order& state, QStringList& lines)
{
    const OrderDate& date = state.orderDate;
    lines.append(QStringLiteral("Заказ выполнен: %1.%2.%3").arg(date.day).arg(date.month).arg(date.year));
    lines.append(SummarySeparator);

    // The chosen prices were taken in the unit the settings name now: a change of unit drops them.
    const QString suffix = unitSuffix(state.settings);
    const QChar decimal = state.decimal();
    double sum = 0;
    for (Cat c : summaryOrder()) {
        if (!state.computer.isChosen(c))
            continue;
        const SelectionPair& pair = state.computer[c];
        lines.append(pair.item + QStringLiteral(":  ") + pair.price + suffix);
        sum = sum + textToFloat(pair.price, decimal);
    }
    lines.append(SummarySeparator);

    const double total = (state.settings.add / 100 + 1) * sum;
    lines.append(QStringLiteral("Итого...    ") + formatMoney(total, decimal) + suffix);
    if (state.settings.ndse) {
        const double vat = total * state.settings.nds / 100;
        lines.append(QStringLiteral("НДС...        ") + formatMoney(vat, decimal) + suffix);
        const double grand = (state.settings.nds / 100 + 1) * total;
        lines.append(QStringLiteral("Всего...    ") + formatMoney(grand, decimal) + suffix);
    }
}

} // namespace

Summary summarize(const Order& state)
{
    Summary summary;
    try {
        compose(state, summary.lines);
    } catch (const Error& e) {
        summary.failure = e.message();
    }
    return summary;
}

QStringList composeSummary(const Order& state)
{
    QStringList lines;
    compose(state, lines);
    return lines;
}

} // namespace korvanta
