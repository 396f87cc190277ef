// Editing price-list items and the spreadsheet round trip: what reaches the files, what is refused
// with nothing written, and a seller shipping while the owner imports.
#include "catalogue/categorytable.h"
#include "catalogue/pricelistediting.h"
#include "catalogue/pricelistexchange.h"
#include "common/failure.h"
#include "common/testshop.h"
#include "common/workbookparts.h"
#include "text/conversions.h"
#include "text/cp1251.h"
#include "text/csv.h"
#include "workbook/workbook.h"

#include <QDateTime>
#include <QFileInfo>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QChar Comma = QLatin1Char(',');

// The small shop with every file dated long ago, so a rewrite shows.
struct Shop : TestShop {
    Shop() { ageAll(); }
};

// Sheet text with '\n' row ends (the last one added), as cp1251 with CR LF; the full header unless the text has one.
QByteArray sheet(const QString& rows, bool withHeader = true)
{
    QString text = withHeader ? exportColumns().join(QLatin1Char(';')) + QLatin1Char('\n') + rows : rows;
    if (!text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    return cp1251::encode(text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

QString describe(const StockChange& s)
{
    return QStringLiteral("%1:%2:%3:%4>%5")
        .arg(s.file)
        .arg(s.record)
        .arg(s.name, s.before ? QString::number(*s.before) : QStringLiteral("-"))
        .arg(s.after);
}

// An observer that describes every reported change into `reported`.
StockObserver describeInto(QStringList& reported)
{
    return [&reported](const std::vector<StockChange>& changes) {
        for (const StockChange& s : changes)
            reported << describe(s);
    };
}

QStringList linesOf(const PriceItem& item)
{
    return QStringList(item.lines.begin(), item.lines.end());
}

// Items whose texts read as numbers or days (lines: name, price, two spare lines, stock,
// description, spare line), and what a spreadsheet with Russian settings opening the CSV with its
// default column types makes of them.
const QList<QStringList> NumberLikeItems{
    {"нет", "0", "", "", "0", "", ""},
    {"00123", "12,50", "1E5", " 42 ", "5", "1234567890123456789", "-0"},
    {"Ram B", "20", "01.11.2026", "3.5", "0", "0,50", "0012"},
};
const int NumberLikeTexts = 7; // of them in text fields: all but the price and the days
const int DayTexts = 2;
const QHash<QString, QString> SpreadsheetShows{
    {"00123", "123"},
    {"12,50", "12,5"},
    {"1E5", "1,00E+05"},
    {" 42 ", "42"},
    {"1234567890123456789", "1,23456789012346E+018"},
    {"-0", "0"},
    {"0,50", "0,5"},
    {"0012", "12"},
    {"01.11.2026", "01.11.26"},
    {"3.5", "03.05.26"},
};

// The exported CSV as a spreadsheet saves it again unchanged, `price` typed as Ram.dat 2's price.
QByteArray csvAsSpreadsheetSaves(const QByteArray& exported, const QString& price)
{
    QByteArray out;
    for (const csv::ParsedRow& row : csv::parse(exported).rows) {
        QStringList fields;
        for (const QString& f : row.fields)
            fields << SpreadsheetShows.value(f, f);
        if (!price.isEmpty() && fields[0] == "Ram.dat" && fields[1] == "2")
            fields[3] = price;
        out += csv::row(fields);
    }
    return out;
}

// The exported workbook with those texts turned into numbers, as a spreadsheet does where one
// types them into a cell.
QByteArray workbookAsNumbers(const QByteArray& exported, const QString& price)
{
    std::vector<workbook::Row> rows = workbook::read(exported);
    for (workbook::Row& row : rows) {
        for (workbook::Cell& cell : row) {
            const std::optional<double> value = tryTextToFloat(SpreadsheetShows.value(cell.text), Comma);
            if (cell.kind == workbook::Cell::Kind::Text && value)
                cell = workbook::Cell::ofNumber(*value);
        }
        if (!price.isEmpty() && row[0].text == "Ram.dat" && row[1].number == 2)
            row[3] = workbook::Cell::ofNumber(*tryTextToFloat(price, Comma));
    }
    return workbook::write(QStringLiteral("Лист1"), rows);
}

} // namespace

class TestPriceListExchange : public QObject {
    Q_OBJECT

private slots:
    void roundTripWritesNothing()
    {
        Shop shop;
        // An LF file with a short last record stays as it is too (a rewrite would give CR LF).
        writeBytes(shop.path(QStringLiteral("Ram.dat")), "A\n10\nx\ny\n3\nd\nz\nB\n20\nx\ny\n4\n");
        shop.age(QStringLiteral("Ram.dat"));
        const Shop::Snapshot before = shop.snapshot();
        const ImportPlan plan = planImport(exportPriceLists(shop.folder), shop.folder, Comma);
        QVERIFY(plan.isEmpty());
        QCOMPARE(plan.rows, 30 * 3 - 1);
        QVERIFY(applyImport(plan, shop.folder).isEmpty());
        QVERIFY(shop.snapshot() == before);
    }

    // What a spreadsheet program makes of unchanged values is no change either.
    void sameValuesWriteNothing_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::newRow("price with decimals") << "Файл;Номер;Цена\nRam.dat;2;10,00\nRam.dat;3;2E1";
        QTest::newRow("stock with a sign") << "Файл;Номер;Остаток\nRam.dat;2;+5\nRam.dat;3;-0";
        QTest::newRow("name, file and number with spaces") << "Файл;Номер;Название\n Ram.dat ; 2;Ram A";
        QTest::newRow("empty rows") << "Файл;Номер;Цена\n;;\n  ;;\n";
    }

    void sameValuesWriteNothing()
    {
        QFETCH(QString, rows);
        Shop shop;
        const Shop::Snapshot before = shop.snapshot();
        const ImportPlan plan = planImport(sheet(rows, false), shop.folder, Comma);
        QVERIFY(plan.isEmpty());
        QVERIFY(applyImport(plan, shop.folder).isEmpty());
        QVERIFY(shop.snapshot() == before);
    }

    // A sheet that went through a spreadsheet unchanged comes back as no change, though the
    // spreadsheet turned every text that reads as a number into that number; a price typed there
    // is the only change, also on an item whose name the spreadsheet showed as a number.
    void spreadsheetNumbersAreNoChange_data()
    {
        QTest::addColumn<bool>("asWorkbook");
        QTest::addColumn<QString>("price");
        QTest::newRow("CSV") << false << QString();
        QTest::newRow("CSV, a price typed") << false << "13";
        QTest::newRow("workbook") << true << QString();
        QTest::newRow("workbook, a price typed") << true << "13,5";
    }
    void spreadsheetNumbersAreNoChange()
    {
        QFETCH(bool, asWorkbook);
        QFETCH(QString, price);
        Shop shop;
        shop.write(QStringLiteral("Ram.dat"), NumberLikeItems);
        shop.age(QStringLiteral("Ram.dat"));
        const Shop::Snapshot before = shop.snapshot();
        const ImportPlan plan =
            asWorkbook ? planImportWorkbook(workbookAsNumbers(exportPriceListsWorkbook(shop.folder, Comma), price),
                                            shop.folder, Comma)
                       : planImport(csvAsSpreadsheetSaves(exportPriceLists(shop.folder), price), shop.folder, Comma);
        QCOMPARE(plan.valuesAsShown, NumberLikeTexts + (asWorkbook ? 0 : DayTexts));
        QCOMPARE(plan.rows, 30 * 3);
        if (price.isEmpty()) {
            QVERIFY(plan.isEmpty());
            return;
        }
        QCOMPARE(int(plan.items.size()), 1);
        QCOMPARE(int(plan.items[0].fields.size()), 1);
        QCOMPARE(plan.items[0].fields[0].field, ItemField::Price);
        QCOMPARE(applyImport(plan, shop.folder), QStringList{"Ram.dat"});
        QStringList expected = NumberLikeItems[1];
        expected[1] = price;
        QCOMPARE(linesOf(itemAt(shop.list(QStringLiteral("Ram.dat")), 1)), expected);
        QCOMPARE(shop.changedSince(before), QStringList{"Ram.dat"});
    }

    // Only the number as a spreadsheet shows it is passed over; another text is a change.
    void numberLikeTextsStillChange_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("after");
        QTest::newRow("another number as a name")
            << "Файл;Номер;Название\nRam.dat;2;124" << int(ItemField::Name) << "124";
        QTest::newRow("a word as a name")
            << "Файл;Номер;Название\nRam.dat;2;Кабель" << int(ItemField::Name) << "Кабель";
        QTest::newRow("another exponent") << "Файл;Номер;Резерв 1\nRam.dat;2;1E6" << int(ItemField::Spare1) << "1E6";
        QTest::newRow("a code one off") << "Файл;Номер;Описание\nRam.dat;2;1234567890123456790"
                                        << int(ItemField::Description) << "1234567890123456790";
        QTest::newRow("another day") << "Файл;Номер;Резерв 1\nRam.dat;3;01.11.27" << int(ItemField::Spare1)
                                     << "01.11.27";
        QTest::newRow("a day shown without its year")
            << "Файл;Номер;Резерв 1\nRam.dat;3;01.11" << int(ItemField::Spare1) << "01.11";
        QTest::newRow("a number where a word was") << "Файл;Номер;Название\nRam.dat;3;0" << int(ItemField::Name) << "0";
    }
    void numberLikeTextsStillChange()
    {
        QFETCH(QString, rows);
        QFETCH(int, field);
        QFETCH(QString, after);
        Shop shop;
        shop.write(QStringLiteral("Ram.dat"), NumberLikeItems);
        const ImportPlan plan = planImport(sheet(rows, false), shop.folder, Comma);
        QCOMPARE(plan.valuesAsShown, 0);
        QCOMPARE(int(plan.items.size()), 1);
        QCOMPARE(int(plan.items[0].fields.size()), 1);
        QCOMPARE(int(plan.items[0].fields[0].field), field);
        QCOMPARE(plan.items[0].fields[0].after, after);
    }

    // The workbook keeps text as text and numbers as numbers, and comes back as it went.
    void workbookRoundTrip()
    {
        Shop shop;
        shop.write(QStringLiteral("Ram.dat"), NumberLikeItems);
        shop.age(QStringLiteral("Ram.dat"));
        const Shop::Snapshot before = shop.snapshot();
        const QByteArray book = exportPriceListsWorkbook(shop.folder, Comma);
        const std::vector<workbook::Row> rows = workbook::read(book);
        const csv::Parsed sheet = csv::parse(exportPriceLists(shop.folder));
        QCOMPARE(rows.size(), sheet.rows.size());
        using Kind = workbook::Cell::Kind;
        for (const workbook::Row& row : rows) {
            if (row[0].text != "Ram.dat" || row[1].number != 2)
                continue;
            QList<int> kinds;
            for (const workbook::Cell& cell : row)
                kinds << int(cell.kind);
            const int text = int(Kind::Text), number = int(Kind::Number);
            QCOMPARE(kinds, (QList<int>{text, number, text, number, text, text, text, number, text}));
            QCOMPARE(row[2].text, QStringLiteral("00123"));
            QCOMPARE(row[3].number, 12.5);
            QCOMPARE(row[6].text, QStringLiteral("-0"));
        }
        const ImportPlan plan = planImportWorkbook(book, shop.folder, Comma);
        QVERIFY(plan.isEmpty());
        QCOMPARE(plan.valuesAsShown, 0);
        QCOMPARE(plan.rows, 30 * 3);
        QVERIFY(shop.snapshot() == before);
    }

    // What is no readable workbook, or holds no value where a column is read, is refused whole.
    void workbookRefusedWithNothingWritten_data()
    {
        const auto inlineRow = [](int row, const QStringList& texts, const QByteArray& last) {
            QByteArray xml = "<row r=\"" + QByteArray::number(row) + "\">";
            for (const QString& t : texts)
                xml += "<c t=\"inlineStr\"><is><t>" + t.toUtf8() + "</t></is></c>";
            return xml + last + "</row>";
        };
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a zip") << sheet("Ram.dat;2;Ram A;11;r2;r3;r6;5;x") << "Книга не читается. Файл — не книга";
        QTest::newRow("no sheet") << zipOf({{"xl/workbook.xml", Book}}) << "нет первого листа";
        QTest::newRow("an error in a price")
            << bookWithSheet(inlineRow(1, {"Файл", "Номер", "Цена"}, {}) +
                             inlineRow(2, {"Ram.dat"}, "<c><v>2</v></c><c t=\"e\"><v>#VALUE!</v></c>"))
            << "Строка 2, столбец «Цена»: в ячейке ошибка «#VALUE!»";
        QTest::newRow("a truth value as a stock")
            << bookWithSheet(inlineRow(1, {"Файл", "Номер", "Остаток"}, {}) +
                             inlineRow(2, {"Ram.dat"}, "<c><v>2</v></c><c><v>3</v></c>") +
                             inlineRow(3, {"Ram.dat"}, "<c><v>3</v></c><c t=\"b\"><v>1</v></c>"))
            << "Строка 3, столбец «Остаток»: в ячейке логическое значение";
        QTest::newRow("a text record number")
            << bookWithSheet(inlineRow(1, {"Файл", "Номер"}, {}) + inlineRow(2, {"Ram.dat", "два"}, {}))
            << "Строка 2, столбец «Номер»: «два» — не номер записи";
    }
    void workbookRefusedWithNothingWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Shop shop;
        const Shop::Snapshot before = shop.snapshot();
        const QString path = shop.dir.filePath(QStringLiteral("прайс.xlsx"));
        writeBytes(path, bytes);
        const QString failure = failureOf([&] { applyImport(planImportFile(path, shop.folder, Comma), shop.folder); });
        QVERIFY2(failure.contains(message), qPrintable(failure));
        QVERIFY(failure.endsWith(QStringLiteral("Ничего не записано.")));
        QFile::remove(path);
        QVERIFY(shop.snapshot() == before);
    }

    // An error cell in a column the import does not read is left alone like the column.
    void workbookIgnoresUnknownColumns()
    {
        Shop shop;
        const QByteArray book = bookWithSheet(
            R"(<row><c t="inlineStr"><is><t>Файл</t></is></c><c t="inlineStr"><is><t>Номер</t></is></c>)"
            R"(<c t="inlineStr"><is><t>Итог</t></is></c><c t="inlineStr"><is><t>Цена</t></is></c></row>)"
            R"(<row><c t="inlineStr"><is><t>Ram.dat</t></is></c><c><v>2</v></c><c t="e"><v>#DIV/0!</v></c>)"
            R"(<c><v>11.5</v></c></row>)");
        const ImportPlan plan = planImportWorkbook(book, shop.folder, Comma);
        QCOMPARE(plan.ignoredColumns, QStringList{"Итог"});
        QCOMPARE(int(plan.items.size()), 1);
        QCOMPARE(plan.items[0].fields[0].after, QStringLiteral("11,5"));
    }

    void exportHasEveryRecordInOrder()
    {
        Shop shop;
        const csv::Parsed parsed = csv::parse(exportPriceLists(shop.folder));
        QCOMPARE(int(parsed.rows.size()), 1 + 30 * 3);
        QCOMPARE(parsed.rows[0].fields, exportColumns());
        QCOMPARE(parsed.rows[1].fields.mid(0, 3), QStringList({"Base.dat", "1", "нет"}));
        QCOMPARE(parsed.rows[2].fields,
                 QStringList({"Base.dat", "2", "Base A", "10", "r2", "r3", "r6", "5", "Base A описание"}));
        QCOMPARE(parsed.rows[4].fields.mid(0, 2), QStringList({"Nout.dat", "1"}));
        QCOMPARE(parsed.rows.back().fields.mid(0, 3), QStringList({"Dop2.dat", "3", "Dop2 B"}));
    }

    void importChanges_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("withHeader");
        QTest::addColumn<int>("record");        // of Ram.dat, 0-based
        QTest::addColumn<QStringList>("lines"); // the record's seven lines afterwards
        QTest::addColumn<QStringList>("stock"); // the callback's reports

        const QStringList a{"Ram A", "10", "r2", "r3", "5", "Ram A описание", "r6"};
        auto with = [](QStringList l, int i, const QString& t) {
            l[i] = t;
            return l;
        };

        QTest::newRow("price") << "Ram.dat;2;Ram A;12,50;r2;r3;r6;5;Ram A описание" << true << 1 << with(a, 1, "12,50")
                               << QStringList();
        QTest::newRow("stock") << "Ram.dat;2;Ram A;10;r2;r3;r6;8;Ram A описание" << true << 1 << with(a, 4, "8")
                               << QStringList{"Ram.dat:1:Ram A:5>8"};
        QTest::newRow("price and stock, rows in any order")
            << "Base.dat;2;Base A;10;r2;r3;r6;5;Base A описание\nRam.dat;2;Ram A;11;r2;r3;r6;-1;Ram A описание" << true
            << 1 << with(with(a, 1, "11"), 4, "-1") << QStringList{"Ram.dat:1:Ram A:5>-1"};
        QTest::newRow("supplier sheet: file, number, price")
            << "Номер;цена;Файл\n2;9,99;Ram.dat" << false << 1 << with(a, 1, "9,99") << QStringList();
        QTest::newRow("unknown columns are left alone")
            << "Файл;Номер;Поставщик;Цена\nRam.dat;2;ООО Ромашка;7" << false << 1 << with(a, 1, "7") << QStringList();
        QTest::newRow("rename alone") << "Ram.dat;2;Ram A снят;10;r2;r3;r6;5;Ram A описание" << true << 1
                                      << with(a, 0, "Ram A снят") << QStringList();
        QTest::newRow("rename with the previous name")
            << "Файл;Номер;Прежнее название;Название;Остаток\nRam.dat;2;Ram A;Ram A2;0" << false << 1
            << with(with(a, 0, "Ram A2"), 4, "0") << QStringList{"Ram.dat:1:Ram A2:5>0"};
        QTest::newRow("text with quotes and separator")
            << "Ram.dat;2;Ram A;10;r2;r3;r6;5;\"DDR5; \"\"быстрая\"\"\"" << true << 1 << with(a, 5, "DDR5; \"быстрая\"")
            << QStringList();
        QTest::newRow("stock written plainly") << "Файл;Номер;Остаток\nRam.dat;2;007" << false << 1 << with(a, 4, "7")
                                               << QStringList{"Ram.dat:1:Ram A:5>7"};
        QTest::newRow("last row without line end")
            << "Файл;Номер;Цена\nRam.dat;2;3" << false << 1 << with(a, 1, "3") << QStringList();
    }

    void importChanges()
    {
        QFETCH(QString, rows);
        QFETCH(bool, withHeader);
        QFETCH(int, record);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, stock);

        Shop shop;
        const Shop::Snapshot before = shop.snapshot();
        QByteArray bytes = sheet(rows, withHeader);
        if (QByteArrayView(QTest::currentDataTag()) == "last row without line end")
            bytes.chop(2);
        const ImportPlan plan = planImport(bytes, shop.folder, Comma);
        QStringList reported;
        const QStringList written = applyImport(plan, shop.folder, describeInto(reported));
        QCOMPARE(written, QStringList{"Ram.dat"});
        QCOMPARE(reported, stock);

        const PriceList ram = shop.list(QStringLiteral("Ram.dat"));
        QCOMPARE(linesOf(itemAt(ram, record)), lines);
        // Every other record of the list and every other list keep their bytes.
        const PriceList old = TextLines::fromBytes(before.value(QStringLiteral("Ram.dat")).bytes);
        QCOMPARE(ram.count(), old.count());
        for (int i = 0; i < old.count(); ++i)
            if (i / RecordLines != record)
                QCOMPARE(ram.bytesAt(i), old.bytesAt(i));
        Shop::Snapshot after = shop.snapshot();
        after.remove(QStringLiteral("Ram.dat"));
        Shop::Snapshot rest = before;
        rest.remove(QStringLiteral("Ram.dat"));
        QVERIFY(after == rest);
    }

    void importRefusesWithNothingWritten_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message"); // a part of the message

        const QString good = "Ram.dat;2;Ram A;11;r2;r3;r6;5;Ram A описание\n";
        QTest::newRow("unknown file") << sheet(good + "Ram.txt;2;Ram A;10;r2;r3;r6;5;x")
                                      << "Строка 3, столбец «Файл»: нет такого прайс-листа «Ram.txt»";
        QTest::newRow("record 0") << sheet(good + "Fun.dat;0;Fun A;10;r2;r3;r6;5;x")
                                  << "Строка 3, столбец «Номер»: в «Fun.dat» нет записи 0";
        QTest::newRow("record past the end") << sheet("Fun.dat;4;Fun A;10;r2;r3;r6;5;x\n" + good)
                                             << "Строка 2, столбец «Номер»: в «Fun.dat» нет записи 4";
        QTest::newRow("record not a number") << sheet(good + "Fun.dat;два;Fun A;10;r2;r3;r6;5;x")
                                             << "Строка 3, столбец «Номер»: «два» — не номер записи";
        QTest::newRow("name of another item with a price")
            << sheet(good + "Fun.dat;2;Fun B;30;r2;r3;r6;5;Fun A описание")
            << "Строка 3, столбец «Название»: запись 2 в «Fun.dat» называется «Fun A», а не «Fun B»";
        QTest::newRow("previous name of another item")
            << sheet("Файл;Номер;Прежнее название;Название\nRam.dat;2;Ram B;Ram C", false)
            << "Строка 2, столбец «Прежнее название»: запись 2 в «Ram.dat» называется «Ram A», а не «Ram B»";
        QTest::newRow("renamed to nothing") << sheet(good + "Fun.dat;2; ;10;r2;r3;r6;5;Fun A описание")
                                            << "Строка 3, столбец «Название»: Название не может быть пустым";
        QTest::newRow("price not a number") << sheet(good + "Fun.dat;2;Fun A;дёшево;r2;r3;r6;5;Fun A описание")
                                            << "Строка 3, столбец «Цена»: Цена «дёшево» — не число";
        QTest::newRow("price with a point")
            << sheet("Файл;Номер;Цена\nRam.dat;2;10.5", false)
            << "Строка 2, столбец «Цена»: Цена «10.5» — не число. Дробную часть отделяйте знаком «,»";
        QTest::newRow("stock not whole") << sheet("Файл;Номер;Остаток\nRam.dat;3;1,5", false)
                                         << "Строка 2, столбец «Остаток»: Остаток «1,5» — не целое число";
        QTest::newRow("empty stock") << sheet("Файл;Номер;Остаток\nRam.dat;3;", false)
                                     << "Строка 2, столбец «Остаток»: Остаток не указан";
        QTest::newRow("NUL in a field")
            << sheet("Файл;Номер;Описание\nRam.dat;3;a", false).chopped(2).append('\0').append("b\r\n")
            << "Строка 2, столбец «Описание»: Нулевой символ в поле «Описание»";
        QTest::newRow("same record twice") << sheet("Файл;Номер;Цена\nRam.dat;2;1\nRam.dat;2;2", false)
                                           << "Строка 3, столбец «Номер»: запись 2 из «Ram.dat» уже есть в строке 2";
        QTest::newRow("short row") << sheet("Файл;Номер;Цена\nRam.dat;2;1\nRam.dat;3", false)
                                   << "Строка 3: 2 ячеек вместо 3";
        QTest::newRow("cell past the header") << sheet("Файл;Номер;Цена\nRam.dat;2;1;9", false)
                                              << "Строка 2: ячейка «9» правее последнего столбца заголовка";
        QTest::newRow("no number column")
            << sheet("Файл;Цена\nRam.dat;1", false) << "Строка 1: в заголовке нет столбца «Номер»";
        QTest::newRow("column twice") << sheet("Файл;Номер;Цена;Цена\nRam.dat;2;1;1", false)
                                      << "Строка 1: столбец «Цена» встречается дважды";
        QTest::newRow("open quote") << sheet("Файл;Номер;Описание\nRam.dat;2;\"abc", false)
                                    << "Строка 2: кавычка не закрыта";
        QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBF") + QStringLiteral("Файл;Номер\n").toUtf8()
                               << "сохранена в кодировке UTF-8";
    }

    void importRefusesWithNothingWritten()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        Shop shop;
        const Shop::Snapshot before = shop.snapshot();
        const QString failure = failureOf([&] { applyImport(planImport(bytes, shop.folder, Comma), shop.folder); });
        QVERIFY2(failure.contains(message), qPrintable(failure));
        QVERIFY(failure.endsWith(QStringLiteral("Ничего не записано.")));
        QVERIFY(shop.snapshot() == before);
    }

    void applyRefusesItemRenamedSincePreview()
    {
        Shop shop;
        const ImportPlan plan =
            planImport(sheet("Файл;Номер;Цена\nBase.dat;2;1\nRam.dat;2;1", false), shop.folder, Comma);
        // Another copy renames the Ram item between the preview and the writing.
        updatePriceListFile(shop.path("Ram.dat"), [](PriceList& l) { l.replace(7, "Ram Z"); });
        const QByteArray ram = shop.bytes("Ram.dat");
        const QString failure = failureOf([&] { applyImport(plan, shop.folder); });
        QVERIFY2(failure.contains("В файле «Ram.dat» запись 2 называется теперь «Ram Z», а не «Ram A»"),
                 qPrintable(failure));
        QVERIFY2(failure.contains("Уже записаны: Base.dat"), qPrintable(failure));
        QCOMPARE(shop.bytes("Ram.dat"), ram);
        QCOMPARE(recordLine(shop.list("Base.dat"), 1, PriceLine), QStringLiteral("1"));
    }

    void journalFailureNamesListsWritten()
    {
        Shop shop;
        const ImportPlan plan =
            planImport(sheet("Файл;Номер;Остаток\nBase.dat;2;1\nRam.dat;2;1\nScan.dat;2;1", false), shop.folder, Comma);
        const QString failure = failureOf([&] {
            applyImport(plan, shop.folder, [](const std::vector<StockChange>& changes) {
                if (changes.front().file == "Ram.dat")
                    throw Error("Журнал недоступен.");
            });
        });
        QCOMPARE(
            failure,
            QStringLiteral("Журнал недоступен.\nУже записаны: Base.dat, Ram.dat; остальные прайс-листы не изменены."));
        QCOMPARE(recordLine(shop.list("Ram.dat"), 1, StockLine), QStringLiteral("1"));
        QCOMPARE(recordLine(shop.list("Scan.dat"), 1, StockLine), QStringLiteral("5"));
    }

    void editItemWritesOnlyChangedFields_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");  // the line afterwards; empty: refused
        QTest::addColumn<QString>("message"); // the refusal

        const struct {
            const char* tag;
            ItemField field;
            const char* text;
            const char* stored;
            const char* message;
        } rows[] = {
            {"name", ItemField::Name, "Ram A 16 ГБ", "Ram A 16 ГБ", ""},
            {"price", ItemField::Price, "12,5", "12,5", ""},
            {"spare", ItemField::Spare3, "SKU-1", "SKU-1", ""},
            {"stock", ItemField::Stock, "+9", "9", ""},
            {"price with a point", ItemField::Price, "12.5", "",
             "Цена «12.5» — не число. Дробную часть отделяйте знаком «,»."},
            {"stock not a number", ItemField::Stock, "много", "", "Остаток «много» — не целое число."},
            {"line break", ItemField::Description, "a\nb", "",
             "Перевод строки в поле «Описание» нельзя сохранить в прайс-листе."},
            {"empty price", ItemField::Price, " ", "", "Цена не указана."},
            {"empty name", ItemField::Name, "", "", "Название не может быть пустым."},
            {"character cp1251 lacks", ItemField::Name, "Ram ☺", "",
             "Символ «☺» в поле «Название» нельзя сохранить в прайс-листе."},
        };
        for (const auto& r : rows)
            QTest::addRow("%s", r.tag) << int(r.field) << QString::fromUtf8(r.text) << QString::fromUtf8(r.stored)
                                       << QString::fromUtf8(r.message);
    }

    void editItemWritesOnlyChangedFields()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(QString, message);

        Shop shop;
        const QByteArray old = shop.bytes("Ram.dat");
        const PriceItem seen = itemAt(shop.list("Ram.dat"), 1);
        PriceItem edited = seen;
        edited[ItemField(field)] = text;
        QCOMPARE(fieldProblem(ItemField(field), text, Comma), message);
        QStringList reported;
        const QString failure = failureOf(
            [&] { QVERIFY(editItem(shop.folder, "Ram.dat", 1, seen, edited, Comma, describeInto(reported))); });
        QCOMPARE(failure, message);
        if (!message.isEmpty()) {
            QCOMPARE(shop.bytes("Ram.dat"), old);
            return;
        }
        PriceItem expected = seen;
        expected[ItemField(field)] = stored;
        QCOMPARE(linesOf(itemAt(shop.list("Ram.dat"), 1)), linesOf(expected));
        QCOMPARE(reported, field == int(ItemField::Stock) ? QStringList{"Ram.dat:1:Ram A:5>9"} : QStringList());
        // The item as the owner saw it is gone now: the same edit again is refused by the name check.
        if (field == int(ItemField::Name))
            QVERIFY(failureOf([&] {
                        editItem(shop.folder, "Ram.dat", 1, seen, edited, Comma);
                    }).startsWith("В файле «Ram.dat» запись 2 называется теперь «Ram A 16 ГБ», а не «Ram A»"));
    }

    void appendItemGoesToTheEnd_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("record");    // the new item's; -1: refused
        QTest::addColumn<int>("keptLines"); // lines of the old content that stay as they were

        QTest::newRow("whole records") << crlf(record("A", "1", "1") + record("B", "2", "2")) << 2 << 14;
        QTest::newRow("empty file") << QByteArray() << 0 << 0;
        QTest::newRow("short last record is completed") << QByteArray("A\r\n1\r\n\r\n\r\n3\r\n") << 1 << 5;
        QTest::newRow("stray lines refuse") << crlf(record("A", "1", "1") + QStringList{"x", "y"}) << -1 << 9;
    }

    void appendItemGoesToTheEnd()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, record);
        QFETCH(int, keptLines);

        Shop shop;
        writeBytes(shop.path("Dop1.dat"), content);
        PriceItem item;
        item[ItemField::Name] = "Новый";
        item[ItemField::Price] = "3,5";
        QStringList reported;
        int added = -1;
        const QString failure =
            failureOf([&] { added = appendItem(shop.folder, "Dop1.dat", item, Comma, describeInto(reported)); });
        QCOMPARE(added, record);
        const PriceList old = TextLines::fromBytes(content);
        const PriceList now = shop.list("Dop1.dat");
        for (int i = 0; i < keptLines; ++i)
            QCOMPARE(now.bytesAt(i), old.bytesAt(i));
        if (record < 0) {
            QVERIFY(failure.startsWith("Файл «Dop1.dat» кончается лишними строками"));
            QCOMPARE(shop.bytes("Dop1.dat"), content);
            return;
        }
        QCOMPARE(now.count(), (record + 1) * RecordLines);
        item[ItemField::Stock] = "0";
        QCOMPARE(linesOf(itemAt(now, record)), linesOf(item));
        QCOMPARE(reported, QStringList{QStringLiteral("Dop1.dat:%1:Новый:->0").arg(record)});
    }

    // A seller ships one piece of Ram A at a time while the owner imports price changes and stock
    // corrections of the same list: every sale and every import counts.
    void sellerShipsWhileOwnerImports()
    {
        Shop shop;
        const QString ram = shop.path("Ram.dat");
        constexpr int Sales = 150;
        constexpr int Imports = 15;
        std::atomic<bool> failed{false};
        std::thread seller([&] {
            try {
                for (int i = 0; i < Sales; ++i)
                    updatePriceListFile(ram, [](PriceList& l) {
                        l.replace(7 + StockLine, intToText(textToInt(l.at(7 + StockLine)) - 1));
                    });
            } catch (const Error&) {
                failed = true;
            }
        });
        int imported = 0;
        int reported = 0;
        for (int i = 1; i <= Imports; ++i) {
            // The sheet is made from an export, so its stock may already be behind the seller.
            const csv::Parsed exported = csv::parse(exportPriceLists(shop.folder));
            const auto it = std::find_if(exported.rows.begin(), exported.rows.end(), [](const csv::ParsedRow& r) {
                return r.fields.mid(0, 2) == QStringList{"Ram.dat", "2"};
            });
            QVERIFY(it != exported.rows.end());
            const int stock = it->fields[7].toInt();
            const ImportPlan plan =
                planImport(sheet(QStringLiteral("Файл;Номер;Цена;Остаток\nRam.dat;2;%1;%2\nRam.dat;3;%1;0\n")
                                     .arg(100 + i)
                                     .arg(stock + 10),
                                 false),
                           shop.folder, Comma);
            for (const ItemChange& c : plan.items)
                for (const FieldChange& f : c.fields)
                    if (f.field == ItemField::Stock)
                        imported += f.after.toInt() - f.before.toInt();
            applyImport(plan, shop.folder, [&](const std::vector<StockChange>& changes) {
                for (const StockChange& s : changes)
                    if (s.record == 1)
                        reported += s.after - *s.before;
            });
        }
        seller.join();
        QVERIFY(!failed);
        const PriceList list = shop.list("Ram.dat");
        QCOMPARE(reported, imported);
        QCOMPARE(recordLine(list, 1, StockLine), intToText(5 - Sales + imported));
        QCOMPARE(recordLine(list, 1, PriceLine), QString::number(100 + Imports));
        QCOMPARE(recordLine(list, 2, PriceLine), QString::number(100 + Imports));
    }
};

QTEST_GUILESS_MAIN(TestPriceListExchange)
#include "tst_pricelistexchange.moc"
