#include "selection.h"

namespace korvanta {

bool isChosenItem(const QString& item)
{
    return !item.isEmpty() && item != NoneEntry;
}

QString unitSuffix(const PricingSettings& settings)
{
    return settings.rub ? QStringLiteral(" ") + settings.val : QStringLiteral(" у.е.");
}

} // namespace korvanta
