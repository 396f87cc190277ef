#include "text/conversions.h"

#include "base/error.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace korvanta {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Decimal digits and the decimal exponent of |value|: value = 0.d1d2d3... * 10^exponent.
struct Decimal {
    std::string digits; // no leading zeros; empty for zero
    int exponent = 0;
};

Decimal decimalExpansion(double value, int significant)
{
    Decimal d;
    if (value == 0.0)
        return d;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, significant - 1);
    std::string text(buf, res.ptr);
    const auto ePos = text.find('e');
    const std::string mantissa = text.substr(0, ePos);
    const int exp10 = std::stoi(text.substr(ePos + 1));
    for (char c : mantissa)
        if (c >= '0' && c <= '9')
            d.digits.push_back(c);
    d.exponent = exp10 + 1;
    return d;
}

// Keeps the first `keep` digits, rounding an exact half (and above) away from zero.
void roundDigits(Decimal& d, int keep)
{
    if (keep < 0 || d.digits.empty()) {
        d.digits.clear();
        return;
    }
    if (static_cast<int>(d.digits.size()) <= keep)
        return;
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            d.exponent += 1;
            d.digits.pop_back();
            if (keep == 0)
                d.digits = "1";
        } else {
            d.digits[i] += 1;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

QString exponentForm(const Decimal& d, bool negative, QChar decimal, int minExponentDigits)
{
    QString out;
    if (negative)
        out += QLatin1Char('-');
    out += QLatin1Char(d.digits[0]);
    if (d.digits.size() > 1) {
        out += decimal;
        out += QString::fromLatin1(d.digits.c_str() + 1);
    }
    out += QLatin1Char('E');
    const int power = d.exponent - 1;
    if (power < 0)
        out += QLatin1Char('-');
    QString p = QString::number(std::abs(power));
    while (p.size() < minExponentDigits)
        p.prepend(QLatin1Char('0'));
    return out + p;
}

// Order of magnitude of "[-]digits[.digits][e[+|-]digits]" with at least one non-zero digit:
// positive for a number of 1 or more, zero or negative below 1.
long long decimalMagnitude(const std::string& plain)
{
    const size_t ePos = plain.find('e');
    const std::string mantissa = plain.substr(0, ePos);
    const size_t nonZero = mantissa.find_first_of("123456789");
    if (nonZero == std::string::npos)
        return 0;
    const auto point = static_cast<long long>(std::min(mantissa.find('.'), mantissa.size()));
    const auto first = static_cast<long long>(nonZero);
    long long magnitude = first < point ? point - first : point - first + 1;
    if (ePos != std::string::npos) {
        long long exponent = 0;
        const bool negative = plain[ePos + 1] == '-';
        for (size_t k = ePos + 1; k < plain.size(); ++k)
            if (plain[k] >= '0' && plain[k] <= '9')
                exponent = std::min(exponent * 10 + (plain[k] - '0'), 1000000000LL);
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude;
}

} // namespace

std::optional<double> tryTextToFloat(const QString& text, QChar decimal)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    int end = n;
    while (end > i && text[end - 1] == QLatin1Char(' '))
        --end;
    if (i == end)
        return std::nullopt;
    std::string plain;
    if (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')) {
        if (text[i] == QLatin1Char('-'))
            plain.push_back('-');
        ++i;
    }
    bool anyMantissa = false;
    bool separatorSeen = false;
    std::string mantissa;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            mantissa.push_back(char(c.unicode()));
            anyMantissa = true;
        } else if (c == decimal && !separatorSeen) {
            separatorSeen = true;
            mantissa.push_back('.');
        } else {
            break;
        }
    }
    if (!anyMantissa && !separatorSeen)
        return std::nullopt; // a lone sign, or nothing numeric at all
    if (!anyMantissa)
        mantissa = "0"; // a lone separator reads as 0
    plain += mantissa.front() == '.' ? "0" + mantissa : mantissa;
    if (plain.back() == '.')
        plain.push_back('0');
    if (i < end) {
        if (text[i] != QLatin1Char('e') && text[i] != QLatin1Char('E'))
            return std::nullopt;
        ++i;
        std::string exponent = "e";
        if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
            exponent.push_back(char(text[i].unicode()));
            ++i;
        }
        bool anyExponent = false;
        for (; i < end && isDigit(text[i]); ++i) {
            exponent.push_back(char(text[i].unicode()));
            anyExponent = true;
        }
        if (!anyExponent || i != end)
            return std::nullopt;
        plain += exponent;
    }
    double value = 0;
    const char* first = plain.data();
    const char* last = plain.data() + plain.size();
    auto res = std::from_chars(first, last, value);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone here, so tell underflow (reads as zero) from overflow
        // (not a number we can hold) by the number's order of magnitude.
        if (decimalMagnitude(plain) <= 0)
            return plain.front() == '-' ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (res.ec != std::errc() || res.ptr != last)
        return std::nullopt;
    return value;
}

double textToFloat(const QString& text, QChar decimal)
{
    if (auto v = tryTextToFloat(text, decimal))
        return *v;
    throw Error(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

std::optional<int> tryTextToInt(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return std::nullopt;
    unsigned long long magnitude = 0;
    const unsigned long long limit = base == 16 ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    for (; i < n; ++i) {
        const int digit = base == 16 ? hexDigitValue(text[i]) : isDigit(text[i]) ? text[i].unicode() - '0' : -1;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    // A hexadecimal number fills all 32 bits, so $FFFFFFFF reads as -1.
    long long value = base == 16 ? static_cast<long long>(static_cast<qint32>(static_cast<quint32>(magnitude)))
                                 : static_cast<long long>(magnitude);
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

int textToInt(const QString& text)
{
    if (auto v = tryTextToInt(text))
        return *v;
    throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QString intToText(long long value)
{
    return QString::number(value);
}

QString formatMoney(double value, QChar decimal)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    Decimal d = decimalExpansion(value, 18);
    const bool negative = value < 0;
    roundDigits(d, std::min(7, d.exponent + 2));
    if (d.digits.empty())
        return QStringLiteral("0") + decimal + QStringLiteral("00");
    if (d.exponent > 7)
        return exponentForm(d, negative, decimal, 2);
    QString out;
    if (negative)
        out += QLatin1Char('-');
    const int intDigits = d.exponent;
    if (intDigits <= 0) {
        out += QLatin1Char('0');
    } else {
        for (int k = 0; k < intDigits; ++k)
            out += QLatin1Char(k < int(d.digits.size()) ? d.digits[k] : '0');
    }
    out += decimal;
    for (int k = intDigits; k < intDigits + 2; ++k)
        out += QLatin1Char(k >= 0 && k < int(d.digits.size()) ? d.digits[k] : '0');
    return out;
}

QString formatPlain(double value, QChar decimal)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    Decimal d = decimalExpansion(value, 15);
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        return QStringLiteral("0");
    const bool negative = value < 0;
    if (d.exponent > 15 || std::fabs(value) < 0.00001)
        return exponentForm(d, negative, decimal, 1);
    QString out;
    if (negative)
        out += QLatin1Char('-');
    const int digitCount = int(d.digits.size());
    if (d.exponent <= 0) {
        out += QLatin1Char('0');
        out += decimal;
        out += QString(-d.exponent, QLatin1Char('0'));
        out += QString::fromLatin1(d.digits.c_str());
        return out;
    }
    for (int k = 0; k < d.exponent; ++k)
        out += QLatin1Char(k < digitCount ? d.digits[k] : '0');
    if (digitCount > d.exponent) {
        out += decimal;
        out += QString::fromLatin1(d.digits.c_str() + d.exponent);
    }
    return out;
}

QChar systemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

} // namespace korvanta
