#pragma once

#include <QChar>
#include <QString>
#include <optional>

// Text and number conversions. The decimal separator is always passed in: it is the one of the
// user's regional settings, and tests pin it.
namespace korvanta {

// Blanks around, optional sign, digits with at most one decimal separator, optional exponent.
// Throws Error("'<text>' is not a valid floating point value").
double textToFloat(const QString& text, QChar decimal);
std::optional<double> tryTextToFloat(const QString& text, QChar decimal);

// Leading blanks, optional sign, decimal digits, or hexadecimal after "$" or "0x".
// Throws Error("'<text>' is not a valid integer value").
int textToInt(const QString& text);
std::optional<int> tryTextToInt(const QString& text);

QString intToText(long long value);

// The value of a hexadecimal digit (0-9, a-f, A-F), or -1 for any other character.
int hexDigitValue(QChar c);

// Two decimals, at most seven significant digits, halves away from zero; exponent form
// ("1.234568E07") above seven integer digits. No thousands separator.
QString formatMoney(double value, QChar decimal);

// Up to 15 significant digits, no trailing zeros; exponent form only below 0.00001 or
// above 15 integer digits.
QString formatPlain(double value, QChar decimal);

// The separator of the regional settings the program was started with.
QChar systemDecimalSeparator();

} // namespace korvanta
