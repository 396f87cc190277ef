#pragma once

#include "categorytable.h"
#include "shopfiles.h"

namespace korvanta::testing {

// Every price list of the shop with three records: the none entry, "<stem> A" at 10 with 5 in
// stock and "<stem> B" at 20 out of stock.
inline void writeSmallShop(const QDir& dir)
{
    for (Cat c : allCategories()) {
        for (const QString& file : category(c).files) {
            const QString stem = file.section(QLatin1Char('.'), 0, 0);
            writeList(dir, file,
                      {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                       record(stem + QStringLiteral(" A"), QStringLiteral("10"), QStringLiteral("5")),
                       record(stem + QStringLiteral(" B"), QStringLiteral("20"), QStringLiteral("0"))});
        }
    }
}

} // namespace korvanta::testing
