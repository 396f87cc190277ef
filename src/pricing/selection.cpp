#include "pricing/selection.h"

namespace korvanta {

bool isChosenItem(const QString& item)
{
    return !item.isEmpty() && item != NoneEntry;
}

QString unitSuffix(const PricingSettings& settings)
{
    return settings.inLocalCurrency ? QStringLiteral(" ") + settings.currencyName : QStringLiteral(" у.е.");
}

} // namespace korvanta
