// Text and number conversions, the error report's text and the cp1251 code page.
#include "base/error.h"
#include "base/facilities.h"
#include "text/conversions.h"
#include "text/cp1251.h"

#include "common/failure.h"

#include <QStringDecoder>
#include <QtTest>
#include <cmath>
#include <limits>

using namespace korvanta;
using korvanta::testing::failureOf;

namespace {

const QChar Comma(QLatin1Char(','));
const QChar Point(QLatin1Char('.'));

// Writes the number with the separator given: "1234,57" for ','.
QString withSeparator(QString pointText, QChar decimal)
{
    return pointText.replace(QLatin1Char('.'), decimal);
}

} // namespace

class TestConversions : public QObject {
    Q_OBJECT

private slots:
    void textToFloatAccepts_data()
    {
        QTest::addColumn<QString>("text"); // written with '.', the separator under test replaces it
        QTest::addColumn<double>("expected");

        QTest::newRow("integer") << "125" << 125.0;
        QTest::newRow("fraction") << "29.7" << 29.7;
        QTest::newRow("blanks around") << "  29.7   " << 29.7;
        QTest::newRow("plus sign") << "+3.5" << 3.5;
        QTest::newRow("minus sign") << "-3.5" << -3.5;
        QTest::newRow("sign after blanks") << "   -7" << -7.0;
        QTest::newRow("lone separator") << "." << 0.0;
        QTest::newRow("signed lone separator") << "-." << 0.0;
        QTest::newRow("leading separator") << ".5" << 0.5;
        QTest::newRow("trailing separator") << "5." << 5.0;
        QTest::newRow("exponent") << "1.5E3" << 1500.0;
        QTest::newRow("small e") << "2e2" << 200.0;
        QTest::newRow("negative exponent") << "25e-1" << 2.5;
        QTest::newRow("plus exponent") << "1e+2" << 100.0;
        QTest::newRow("leading zeros") << "007.50" << 7.5;
        QTest::newRow("zero") << "0" << 0.0;
        // Too small for a double: zero, not a failure.
        QTest::newRow("underflow") << "0.0001e-320" << 0.0;
        QTest::newRow("negative underflow") << "-1e-400" << 0.0;
        QTest::newRow("far underflow") << "1e-99999999999999999999" << 0.0;
        QTest::newRow("tiny") << "1e-400" << 0.0;
        QTest::newRow("huge") << "1.5e300" << 1.5e300;
    }

    void textToFloatAccepts()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        for (QChar decimal : {Comma, Point}) {
            const QString typed = withSeparator(text, decimal);
            QCOMPARE(textToFloat(typed, decimal), expected);
            const auto maybe = tryTextToFloat(typed, decimal);
            QVERIFY(maybe.has_value());
            QCOMPARE(*maybe, expected);
        }
    }

    void textToFloatRejects_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("decimal");

        for (QChar decimal : {Comma, Point}) {
            const char* tag = decimal == Comma ? "comma" : "point";
            QTest::addRow("%s: empty", tag) << QString() << decimal;
            QTest::addRow("%s: only blanks", tag) << QStringLiteral("   ") << decimal;
            QTest::addRow("%s: lone minus", tag) << QStringLiteral("-") << decimal;
            QTest::addRow("%s: lone plus", tag) << QStringLiteral("+") << decimal;
            QTest::addRow("%s: letters", tag) << QStringLiteral("abc") << decimal;
            QTest::addRow("%s: digits then letters", tag) << QStringLiteral("12abc") << decimal;
            QTest::addRow("%s: two signs", tag) << QStringLiteral("--5") << decimal;
            QTest::addRow("%s: two separators", tag) << withSeparator("1.2.3", decimal) << decimal;
            QTest::addRow("%s: blank inside", tag) << QStringLiteral("1 2") << decimal;
            QTest::addRow("%s: exponent without digits", tag) << QStringLiteral("1e") << decimal;
            QTest::addRow("%s: exponent sign only", tag) << QStringLiteral("1e-") << decimal;
            QTest::addRow("%s: exponent without mantissa", tag) << QStringLiteral("e5") << decimal;
            QTest::addRow("%s: fraction in exponent", tag) << withSeparator("1e2.5", decimal) << decimal;
            QTest::addRow("%s: infinity word", tag) << QStringLiteral("inf") << decimal;
            QTest::addRow("%s: nan word", tag) << QStringLiteral("nan") << decimal;
            QTest::addRow("%s: hex", tag) << QStringLiteral("0x10") << decimal;
        }
        // The separator of the other locale.
        QTest::newRow("comma: point typed") << QStringLiteral("29.7") << Comma;
        QTest::newRow("point: comma typed") << QStringLiteral("29,7") << Point;
        QTest::newRow("comma: lone point") << QStringLiteral(".") << Comma;
        // The text is quoted as typed, blanks and Cyrillic included.
        QTest::newRow("point: Cyrillic word") << QStringLiteral(" сто ") << Point;
        // Too large for a double.
        QTest::newRow("comma: overflow") << QStringLiteral("1e400") << Comma;
        QTest::newRow("point: negative overflow") << QStringLiteral("-1e400") << Point;
        QTest::newRow("point: overflow of the mantissa") << QStringLiteral("100000e304") << Point;
        QTest::newRow("comma: far overflow") << QStringLiteral("1e99999999999999999999") << Comma;
    }

    void textToFloatRejects()
    {
        QFETCH(QString, text);
        QFETCH(QChar, decimal);
        QVERIFY(!tryTextToFloat(text, decimal).has_value());
        QCOMPARE(failureOf([&] { textToFloat(text, decimal); }),
                 QStringLiteral("'%1' is not a valid floating point value").arg(text));
    }

    void textToIntAccepts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");

        QTest::newRow("digits") << "42" << 42;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("leading blanks") << "   15" << 15;
        QTest::newRow("leading zeros") << "0012" << 12;
        QTest::newRow("dollar hex") << "$1F" << 31;
        QTest::newRow("dollar hex lower") << "$ff" << 255;
        QTest::newRow("0x hex") << "0x10" << 16;
        QTest::newRow("0X hex") << "0XaB" << 171;
        QTest::newRow("negative hex") << "-$10" << -16;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1);
        QTest::newRow("hex fills 32 bits") << "$FFFFFFFF" << -1;
        QTest::newRow("hex top bit") << "0x80000000" << int(-2147483647 - 1);
    }

    void textToIntAccepts()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(textToInt(text), expected);
    }

    void textToIntRejects_data()
    {
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << QString();
        QTest::newRow("blanks only") << QStringLiteral("   ");
        QTest::newRow("trailing blank") << QStringLiteral("5 ");
        QTest::newRow("blank inside") << QStringLiteral("1 0");
        QTest::newRow("lone sign") << QStringLiteral("-");
        QTest::newRow("lone dollar") << QStringLiteral("$");
        QTest::newRow("lone 0x") << QStringLiteral("0x");
        QTest::newRow("fraction comma") << QStringLiteral("1,5");
        QTest::newRow("fraction point") << QStringLiteral("1.5");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("hex digits without prefix") << QStringLiteral("1F");
        QTest::newRow("hex digit beyond F") << QStringLiteral("$1G");
        QTest::newRow("exponent") << QStringLiteral("1e3");
        QTest::newRow("overflow") << QStringLiteral("2147483648");
        QTest::newRow("negative overflow") << QStringLiteral("-2147483649");
        QTest::newRow("far overflow") << QStringLiteral("99999999999999999999");
        QTest::newRow("hex overflow") << QStringLiteral("$100000000");
        QTest::newRow("two signs") << QStringLiteral("+-1");
        QTest::newRow("Cyrillic") << QStringLiteral("пять");
        QTest::newRow("Cyrillic word") << QStringLiteral("много");
        QTest::newRow("digit and blank") << QStringLiteral("3 ");
    }

    void textToIntRejects()
    {
        QFETCH(QString, text);
        QVERIFY(!tryTextToInt(text).has_value());
        QCOMPARE(failureOf([&] { textToInt(text); }), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }

    void intToTextWritesSign()
    {
        QCOMPARE(intToText(0), QStringLiteral("0"));
        QCOMPARE(intToText(17), QStringLiteral("17"));
        QCOMPARE(intToText(-3), QStringLiteral("-3"));
        QCOMPARE(intToText(-2147483647LL - 1), QStringLiteral("-2147483648"));
    }

    void formatMoney_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected"); // with '.', the separator under test replaces it

        QTest::newRow("two decimals kept") << 1234.567 << "1234.57";
        QTest::newRow("seven significant") << 123456.789 << "123456.80";
        QTest::newRow("whole") << 5.0 << "5.00";
        QTest::newRow("half away from zero") << 0.125 << "0.13";
        QTest::newRow("negative half away from zero") << -0.125 << "-0.13";
        QTest::newRow("converted price") << 29.7 * 125 << "3712.50";
        QTest::newRow("six integer digits") << 12345.67 * 10 << "123456.70";
        QTest::newRow("seven integer digits") << 1234567.4 << "1234567.00";
        QTest::newRow("seven digits half up") << 1234567.5 << "1234568.00";
        QTest::newRow("seven digits negative half") << -1234567.5 << "-1234568.00";
        QTest::newRow("below half") << 0.124 << "0.12";
        QTest::newRow("cent half") << 0.005 << "0.01";
        QTest::newRow("negative cent half") << -0.005 << "-0.01";
        QTest::newRow("below cent half") << 0.004 << "0.00";
        QTest::newRow("carry through nines") << 999.999 << "1000.00";
        QTest::newRow("one decimal filled") << 60.0 << "60.00";
        QTest::newRow("small fraction") << 0.5 << "0.50";
        QTest::newRow("eight digits") << 12345678.9 << "1.234568E07";
        QTest::newRow("ten million") << 1e7 << "1E07";
        QTest::newRow("rounds up into eight digits") << 9999999.995 << "1E07";
        QTest::newRow("largest seven digits") << 9999999.0 << "9999999.00";
        QTest::newRow("negative eight digits") << -12345678.9 << "-1.234568E07";
        QTest::newRow("large exponent") << 1.5e20 << "1.5E20";
        QTest::newRow("zero") << 0.0 << "0.00";
        QTest::newRow("negative zero") << -0.0 << "0.00";
        QTest::newRow("tiny") << 1e-20 << "0.00";
        QTest::newRow("tiny negative") << -0.001 << "0.00";
        // The decimal expansion of the binary value decides: 1.005 is slightly below the half.
        QTest::newRow("binary below half") << 1.005 << "1.00";
        QTest::newRow("negative ordinary") << -42.5 << "-42.50";
    }

    void formatMoney()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        for (QChar decimal : {Comma, Point})
            QCOMPARE(korvanta::formatMoney(value, decimal), withSeparator(expected, decimal));
    }

    void formatMoneyRoundTripsThroughTextToFloat()
    {
        // Every amount written can be read back with the same separator.
        for (double v : {0.0, 3712.5, 123456.789, 12345678.9, -0.125, 1e7}) {
            for (QChar decimal : {Comma, Point}) {
                const QString text = korvanta::formatMoney(v, decimal);
                QVERIFY2(tryTextToFloat(text, decimal).has_value(), qPrintable(text));
            }
        }
    }

    void formatPlain_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("rate") << 29.7 << "29.7";
        QTest::newRow("whole") << 20.0 << "20";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative") << -5.25 << "-5.25";
        QTest::newRow("fifteen significant") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("sum without noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("fifteen integer digits") << 999999999999999.0 << "999999999999999";
        QTest::newRow("sixteen integer digits") << 1e15 << "1E15";
        QTest::newRow("sixteen digits mantissa") << 1234567890123456.0 << "1.23456789012346E15";
        QTest::newRow("smallest fixed") << 0.00001 << "0.00001";
        QTest::newRow("below smallest fixed") << 0.000001 << "1E-6";
        QTest::newRow("below smallest fixed mantissa") << 0.0000025 << "2.5E-6";
        QTest::newRow("negative tiny") << -0.000001 << "-1E-6";
        QTest::newRow("hundred") << 100.0 << "100";
        QTest::newRow("fraction") << 0.5 << "0.5";
    }

    void formatPlain()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        for (QChar decimal : {Comma, Point})
            QCOMPARE(korvanta::formatPlain(value, decimal), withSeparator(expected, decimal));
    }

    void formatPlainReadsBack()
    {
        // The settings are shown with formatPlain and read back from the edits with textToFloat.
        for (double v : {29.7, 20.0, 0.0, -3.5, 1e-7, 2.5e17, 123.456}) {
            for (QChar decimal : {Comma, Point}) {
                const QString text = korvanta::formatPlain(v, decimal);
                const auto back = tryTextToFloat(text, decimal);
                QVERIFY2(back.has_value(), qPrintable(text));
                QCOMPARE(*back, v);
            }
        }
    }

    void errorReportTextAppendsFullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");

        const QStringList rows[] = {
            {"letter", "Cannot open file \"a\". No such file", "Cannot open file \"a\". No such file."},
            {"closing parenthesis", "List index out of bounds (8)", "List index out of bounds (8)"},
            {"quote", "'x' is not a valid integer value", "'x' is not a valid integer value."},
            {"full stop kept", "Done.", "Done."},
            {"digit", "code 5", "code 5."},
            {"Cyrillic", "Ошибка", "Ошибка."},
            {"comma sorts before", "a,", "a,"},
            {"bang sorts before", "Стоп!", "Стоп!"},
            {"closing parenthesis sorts before", "(x)", "(x)"},
            {"blank sorts before", "a ", "a "},
            {"slash sorts after", "a/", "a/."},
            {"empty", "", ""},
        };
        for (const QStringList& row : rows)
            QTest::addRow("%s", qPrintable(row.at(0))) << row.at(1) << row.at(2);
    }

    void errorReportTextAppendsFullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(errorReportText(message), expected);
    }

    void cp1251AllBytesRoundTrip()
    {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString text = cp1251::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(cp1251::encode(text), all);
        // Each byte value has its own character, so no two bytes collapse into one.
        QSet<QChar> distinct;
        for (QChar c : text)
            distinct.insert(c);
        QCOMPARE(distinct.size(), 256);
        QVERIFY(cp1251::canEncode(text));
        // ASCII is unchanged.
        for (int i = 0; i < 128; ++i)
            QCOMPARE(text.at(i).unicode(), char16_t(i));
    }

    void cp1251CyrillicLetters()
    {
        QCOMPARE(cp1251::decode(QByteArray("\xC0")), QStringLiteral("А"));
        QCOMPARE(cp1251::decode(QByteArray("\xFF")), QStringLiteral("я"));
        QCOMPARE(cp1251::decode(QByteArray("\xA8\xB8")), QStringLiteral("Ёё"));
        QCOMPARE(cp1251::decode(QByteArray("\xED\xE5\xF2")), QStringLiteral("нет"));
        QCOMPARE(cp1251::decode(QByteArray("\xB9")), QStringLiteral("№"));
        QCOMPARE(cp1251::encode(QStringLiteral("руб.")), QByteArray("\xF0\xF3\xE1."));
        QCOMPARE(cp1251::encode(QStringLiteral("у.е.")), QByteArray("\xF3.\xE5."));
        QCOMPARE(cp1251::encode(QStringLiteral("Шт 3")), QByteArray("\xD8\xF2 3"));
    }

    void cp1251AgreesWithQtCodec()
    {
        QStringDecoder decoder("windows-1251");
        if (!decoder.isValid())
            QSKIP("this Qt build has no windows-1251 codec to compare with");
        for (int i = 0; i < 256; ++i) {
            const char byte = char(i);
            const QString qt = decoder(QByteArrayView(&byte, 1));
            QVERIFY(!decoder.hasError());
            QCOMPARE(cp1251::decode(QByteArrayView(&byte, 1)), qt);
        }
    }

    void cp1251CanEncode()
    {
        QVERIFY(cp1251::canEncode(QString()));
        QVERIFY(cp1251::canEncode(QStringLiteral("Процессор Intel 3.5\" №1 – €")));
        QVERIFY(!cp1251::canEncode(QStringLiteral("日本")));
        QVERIFY(!cp1251::canEncode(QStringLiteral("Straße ć")));
        QCOMPARE(cp1251::firstUnencodable(QStringLiteral("ab日")), 2);
        QCOMPARE(cp1251::firstUnencodable(QStringLiteral("абв")), -1);
        // What cannot be held becomes '?', one byte per character.
        QCOMPARE(cp1251::encode(QStringLiteral("a日b")), QByteArray("a?b"));
    }
};

QTEST_APPLESS_MAIN(TestConversions)
#include "tst_conversions.moc"
