// Price-list bytes as a page entry and a choice read them: split into lines, listed record by
// record, every record's lines read and its price and stock converted.
#include "base/error.h"
#include "fuzzing.h"
#include "presentation/categorypages.h"
#include "text/conversions.h"

using namespace korvanta;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    const PriceList list = PriceList::fromBytes(bytes);

    // Lines never hold a line end or what follows a NUL, and the file form reads back as the same lines.
    for (int i = 0; i < list.count(); ++i) {
        const QByteArrayView line = list.bytesAt(i);
        require(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'), "a line holds no line end");
    }
    const PriceList again = PriceList::fromBytes(list.toFileBytes());
    require(again.count() == list.count(), "the file form keeps the line count");
    for (int i = 0; i < list.count(); ++i)
        require(again.bytesAt(i) == list.bytesAt(i), "the file form keeps every line");

    ChoiceList box;
    fillChoiceList(list, box);
    require(box.items.size() == recordCount(list), "one item per record");

    for (int r = 0; r < recordCount(list); ++r) {
        for (int field : {NameLine, PriceLine, StockLine, DescriptionLine}) {
            try {
                recordLine(list, r, field);
            } catch (const Error&) {
                // a record the file cut short: the line is missing, which is reported, not a crash
                require(r == recordCount(list) - 1, "only the last record may be cut short");
            }
        }
        try {
            for (QChar decimal : {QLatin1Char(','), QLatin1Char('.')})
                formatMoney(textToFloat(recordLine(list, r, PriceLine), decimal) * 29.7, decimal);
            textToInt(recordLine(list, r, StockLine));
        } catch (const Error&) {
            // not a number: the choice reports it
        }
    }
    return 0;
}
