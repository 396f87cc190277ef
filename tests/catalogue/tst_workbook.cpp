// The .xlsx workbook: what is written reads back cell for cell with its kind, a sheet as a
// spreadsheet program saves it (shared and inline strings, runs, cells without references) reads
// as it shows, and what is not a readable workbook is refused with a message.
#include "base/error.h"
#include "common/failure.h"
#include "common/workbookparts.h"
#include "workbook/workbook.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;
using workbook::Cell;
using workbook::Row;

Q_DECLARE_METATYPE(std::vector<Row>)

namespace {

Cell text(const QString& t)
{
    return Cell::ofText(t);
}
Cell number(double n)
{
    return Cell::ofNumber(n);
}

} // namespace

class TestWorkbook : public QObject {
    Q_OBJECT
private slots:
    void writtenReadsBack_data()
    {
        QTest::addColumn<std::vector<Row>>("rows");
        QTest::newRow("texts that look like numbers stay text")
            << std::vector<Row>{{text("Название"), text("Код")},
                                {text("00123"), text("1234567890123456789")},
                                {text("1E5"), text(" 42 ")},
                                {text("12,50"), text("-0")}};
        QTest::newRow("numbers stay numbers")
            << std::vector<Row>{{number(12.5), number(0), number(-3)}, {number(1e18), number(0.1), number(1e-7)}};
        QTest::newRow("gaps, marks and other scripts")
            << std::vector<Row>{{text("a"), Cell(), text("c")},
                                {},
                                {Cell(), text("<&>\"'; Ёж №")},
                                {text("строка\nдве"), {Cell::Kind::Boolean, QStringLiteral("1"), 1}}};
    }
    void writtenReadsBack()
    {
        QFETCH(std::vector<Row>, rows);
        const std::vector<Row> back = workbook::read(workbook::write(QStringLiteral("Лист"), rows));
        QCOMPARE(back.size(), rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            QCOMPARE(back[r].size(), rows[r].size());
            for (size_t c = 0; c < rows[r].size(); ++c) {
                QCOMPARE(int(back[r][c].kind), int(rows[r][c].kind));
                QVERIFY2(back[r][c] == rows[r][c], qPrintable(back[r][c].text));
            }
        }
    }

    // A sheet as a spreadsheet program saves it.
    void savedSheetReads_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<std::vector<Row>>("rows");
        QTest::newRow("shared strings, runs, phonetic runs left out")
            << QByteArray(R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>2</v></c></row>)"
                          R"(<row r="3"><c r="B3" t="s"><v>1</v></c></row>)")
            << std::vector<Row>{{text("Файл"), Cell(), text("Ram A")}, {}, {Cell(), text(" 00123 ")}};
        QTest::newRow("numbers in the file's own form")
            << QByteArray(R"(<row r="1"><c r="A1"><v>1.23456789012346E+18</v></c><c r="B1" t="n"><v>12.5</v></c>)"
                          R"(<c r="C1" s="1"/></row>)")
            << std::vector<Row>{{number(1.23456789012346e18), number(12.5)}};
        QTest::newRow("cells and rows without references, inline and formula strings")
            << QByteArray(R"(<row><c t="inlineStr"><is><t>Ram</t></is></c><c t="str"><f>A1</f><v>Ram</v></c></row>)"
                          R"(<row><c/><c t="e"><v>#N/A</v></c></row>)")
            << std::vector<Row>{{text("Ram"), text("Ram")}, {Cell(), {Cell::Kind::Error, QStringLiteral("#N/A"), 0}}};
        Row ab(28);
        ab[27] = number(7);
        QTest::newRow("columns past Z") << QByteArray(R"(<row r="2"><c r="AB2"><v>7</v></c></row>)")
                                        << std::vector<Row>{{}, ab};
    }
    void savedSheetReads()
    {
        QFETCH(QByteArray, xml);
        QFETCH(std::vector<Row>, rows);
        const std::vector<Row> back = workbook::read(bookWithSheet(xml));
        QCOMPARE(back.size(), rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            QCOMPARE(back[r].size(), rows[r].size());
            for (size_t c = 0; c < rows[r].size(); ++c)
                QVERIFY2(back[r][c] == rows[r][c],
                         qPrintable(QStringLiteral("%1:%2 %3").arg(r).arg(c).arg(back[r][c].text)));
        }
    }

    void malformedIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a zip") << QByteArray("Файл;Номер\r\n") << "не архив ZIP";
        QTest::newRow("a cut zip") << bookWithSheet("<row/>").left(200) << "не архив ZIP";
        QTest::newRow("a zip of something else") << zipOf({{"readme.txt", "hello"}}) << "нет «xl/workbook.xml»";
        QTest::newRow("no sheet") << zipOf({{"xl/workbook.xml", "<workbook><sheets/></workbook>"}})
                                  << "нет ни одного листа";
        QTest::newRow("the sheet missing")
            << zipOf({{"xl/workbook.xml", Book}, {"xl/_rels/workbook.xml.rels", BookRels}}) << "нет первого листа";
        QTest::newRow("a sheet that is not XML") << bookWithSheet("<row><c>") << "повреждена";
        QTest::newRow("a string that is not there")
            << bookWithSheet(R"(<row><c t="s"><v>9</v></c></row>)") << "ссылается на строку 9";
        QTest::newRow("a number that is not one")
            << bookWithSheet(R"(<row><c r="B4"><v>abc</v></c></row>)") << "в ячейке B4 «abc» вместо числа";
        QTest::newRow("an unknown type") << bookWithSheet(R"(<row><c t="x"><v>1</v></c></row>)") << "тип «x»";
        QTest::newRow("a cell beyond the sheet")
            << bookWithSheet(R"(<row><c r="ZZZZ1"><v>1</v></c></row>)") << "ячейка «ZZZZ1»";
    }
    void malformedIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QVERIFY(!bytes.isEmpty());
        const QString failure = failureOf([&] { workbook::read(bytes); });
        QVERIFY2(failure.contains(message), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
