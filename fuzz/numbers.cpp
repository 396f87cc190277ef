// Number texts as typed into the fields and read from the files, with either decimal separator.
#include "base/error.h"
#include "fuzzing.h"
#include "text/conversions.h"

#include <cfloat>
#include <cmath>

using namespace korvanta;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The fields hold texts of code page 1251; Latin-1 keeps every byte one character too.
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));

    for (QChar decimal : {QLatin1Char(','), QLatin1Char('.')}) {
        const std::optional<double> value = tryTextToFloat(text, decimal);
        try {
            const double read = textToFloat(text, decimal);
            require(value && read == *value, "both readings agree");
        } catch (const Error& e) {
            require(!value, "a text that reads does not fail");
            require(e.message() == QStringLiteral("'%1' is not a valid floating point value").arg(text),
                    "the message names the text");
        }
        if (!value)
            continue;
        require(std::isfinite(*value), "a number read is finite");

        // What the program writes it reads again: the plain form to its 15 digits, the money form
        // to its cents.
        const std::optional<double> plain = tryTextToFloat(formatPlain(*value, decimal), decimal);
        require(plain.has_value(), "the plain form reads back");
        // (below the normal range a double holds fewer digits, and such a text may read as zero)
        require(std::fabs(*plain - *value) <= std::fabs(*value) * 1e-14 + DBL_MIN, "the plain form keeps 15 digits");
        const QString money = formatMoney(*value, decimal);
        const std::optional<double> cents = tryTextToFloat(money, decimal);
        require(cents.has_value(), "the money form reads back");
        require(std::fabs(*cents - *value) <= std::max(0.0051, std::fabs(*value) * 1e-6), "the money form rounds");
    }

    const std::optional<int> whole = tryTextToInt(text);
    try {
        const int read = textToInt(text);
        require(whole && read == *whole, "both readings agree");
    } catch (const Error& e) {
        require(!whole, "a text that reads does not fail");
        require(e.message() == QStringLiteral("'%1' is not a valid integer value").arg(text),
                "the message names the text");
    }
    if (whole)
        require(tryTextToInt(intToText(*whole)) == whole, "a number written reads back");
    return 0;
}
