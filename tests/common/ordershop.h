#pragma once

#include "common/fakes.h"
#include "common/testshop.h"
#include "presentation/mainstate.h"

// A seller's copy on a test shop holding an order: two memory modules "DDR3 4Gb Hynix" at 15 у.е.
// (30,00 for the two), with the decimal comma. Other copies change "Ram.dat" under it.
namespace korvanta::testing {

inline QList<QStringList> ramRecords(const QString& hynixPrice = QStringLiteral("15"),
                                     const QString& hynixName = QStringLiteral("DDR3 4Gb Hynix"),
                                     const QString& hynixStock = QStringLiteral("10"))
{
    return {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
            record(hynixName, hynixPrice, hynixStock),
            record(QStringLiteral("DDR3 8Gb Kingston"), QStringLiteral("30"), QStringLiteral("0"))};
}

struct OrderShop : TestShop {
    Fakes fakes;
    MainState state{fakes.facilities(), QLatin1Char(','), folder};

    OrderShop()
    {
        write(QStringLiteral("Ram.dat"), ramRecords());
        state.enterPage(Page::RAM);
        state.chooseMemoryCount(1);
        state.chooseItem(Cat::RAM, 1);
    }
    const SelectionPair& memory() const { return state.order.computer[Cat::RAM]; }
    // The list replaced as another program replaces it: a new file swapped in.
    void replaceRam(const QList<QStringList>& records) const
    {
        QStringList lines;
        for (const QStringList& r : records)
            lines += r;
        savePriceList(PriceList::fromBytes(crlf(lines)), path(QStringLiteral("Ram.dat")));
    }
};

} // namespace korvanta::testing
