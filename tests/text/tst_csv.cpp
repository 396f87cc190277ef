// Spreadsheet rows: quoting, round trip, and a row cut short by a crash.
#include "text/csv.h"

#include <QtTest>

using namespace korvanta;

class TestCsv : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << QStringList{"1", "Иванов", "12,50"}
                               << QByteArray("1;\xc8\xe2\xe0\xed\xee\xe2;12,50\r\n");
        QTest::newRow("separator") << QStringList{"a;b", ""} << QByteArray("\"a;b\";\r\n");
        QTest::newRow("quote") << QStringList{"24\" IPS"} << QByteArray("\"24\"\" IPS\"\r\n");
        QTest::newRow("line break") << QStringList{"a\r\nb", "c"} << QByteArray("\"a\r\nb\";c\r\n");
        QTest::newRow("edge spaces") << QStringList{" a", "b "} << QByteArray("\" a\";\"b \"\r\n");
    }
    void roundTrip()
    {
        QFETCH(QStringList, fields);
        QFETCH(QByteArray, bytes);
        QCOMPARE(csv::row(fields), bytes);
        const csv::Parsed parsed = csv::parse(bytes + csv::row({"next"}));
        QCOMPARE(parsed.rows.size(), size_t(2));
        QCOMPARE(parsed.rows[0].fields, fields);
        QCOMPARE(parsed.rows[1].offset, bytes.size());
        QCOMPARE(parsed.tornOffset, qsizetype(-1));
    }

    void parseOddFields_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("LF row end") << QByteArray("a;b\n") << QStringList{"a", "b"};
        QTest::newRow("empty fields") << QByteArray(";;\r\n") << QStringList{"", "", ""};
        QTest::newRow("quoted empty") << QByteArray("\"\";x\r\n") << QStringList{"", "x"};
        QTest::newRow("lone CR is text") << QByteArray("a\rb;c\r\n") << QStringList{"a\rb", "c"};
        QTest::newRow("quotes mid-field") << QByteArray("ab\"c;d\"e;f\r\n") << QStringList{"abc;de", "f"};
    }
    void parseOddFields()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        const csv::Parsed parsed = csv::parse(bytes);
        QCOMPARE(parsed.rows.size(), size_t(1));
        QCOMPARE(parsed.rows[0].fields, fields);
        QCOMPARE(parsed.rows[0].length, bytes.size());
    }

    void tornLastRow_data()
    {
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("no line end") << QByteArray("3;x;5");
        QTest::newRow("open quote") << QByteArray("3;\"x\r\ny;5\r\n");
        QTest::newRow("lone CR") << QByteArray("3;x\r");
    }
    void tornLastRow()
    {
        QFETCH(QByteArray, tail);
        const QByteArray head = csv::row({"1", "a"}) + csv::row({"2", "b"});
        const csv::Parsed parsed = csv::parse(head + tail);
        QCOMPARE(parsed.rows.size(), size_t(2));
        QCOMPARE(parsed.tornOffset, head.size());
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
