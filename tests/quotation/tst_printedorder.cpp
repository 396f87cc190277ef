// The printed order as a document: its number, the shop's heading, and the same text rebuilt from
// the journal for a copy.
#include "base/error.h"
#include "common/fakes.h"
#include "common/testshop.h"
#include "presentation/mainstate.h"
#include "quotation/printedorder.h"
#include "quotation/shipment.h"
#include "quotation/summary.h"
#include "stock/journalreader.h"
#include "text/conversions.h"

#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// Prices with kopecks in every list, written with `decimal`, different per file and record.
TestShop::Records pricedRecords(QChar decimal)
{
    return [decimal](const QString& file) {
        const int seed = int(qHash(file) % 97);
        const auto price = [&](int k) {
            return QStringLiteral("%1%2%3")
                .arg(3 + (seed * k) % 400)
                .arg(decimal)
                .arg((seed * 37 * k) % 100, 2, 10, QLatin1Char('0'));
        };
        return QList<QStringList>{record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                                  record(TestShop::stem(file) + QStringLiteral(" A"), price(1), QStringLiteral("5")),
                                  record(TestShop::stem(file) + QStringLiteral(" B"), price(2), QStringLiteral("9"))};
    };
}

struct PrintShop : TestShop {
    Fakes fakes;
    std::unique_ptr<MainState> state;

    explicit PrintShop(QChar decimal = QLatin1Char(',')) : TestShop(Files::Every, pricedRecords(decimal))
    {
        state = std::make_unique<MainState>(fakes.facilities(), decimal, folder);
        state->order.orderDate = OrderDate{5, 3, 2026};
        state->order.settings = PricingSettings{29.7, false, QStringLiteral("руб."), false, 20, 0};
    }
    void choose(Cat c, int index)
    {
        state->enterPage(category(c).page);
        state->chooseItem(c, index);
    }
    // As the summary window does it: the shown lines, then printing.
    QStringList print()
    {
        QStringList lines = summarize(state->order).lines;
        printSummary(*state, lines, &fakes.printer, &fakes.messageBox);
        return lines;
    }
    std::vector<stock::JournalRow> shipped(long long order) const
    {
        std::vector<stock::JournalRow> rows;
        for (const stock::OrderLine& line :
             stock::orderLines(stock::JournalReader::load(path(stock::JournalFile)), order))
            rows.push_back(line.shipped);
        return rows;
    }
};

// The amount at the end of a total line, without its unit.
double amountOf(const QString& line, const QString& suffix, QChar decimal)
{
    QString text = line.chopped(suffix.size());
    text = text.mid(text.lastIndexOf(QLatin1Char(' ')) + 1);
    return textToFloat(text, decimal);
}

} // namespace

class TestPrintedOrder : public QObject {
    Q_OBJECT

private slots:
    // Orders over every category, in both units, with and without VAT and markup: the copy rebuilt
    // from the journal is the printed text line for line, and the journal's amounts give the
    // printed totals to the kopeck.
    void journalRebuildsThePrintedOrder_data()
    {
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<bool>("baseModels");
        QTest::addColumn<bool>("rub");
        QTest::addColumn<double>("curs");
        QTest::addColumn<bool>("ndse");
        QTest::addColumn<double>("nds");
        QTest::addColumn<double>("add");
        QTest::addColumn<int>("ram");  // memory modules chosen: 1..4
        QTest::addColumn<int>("fans"); // case fans chosen: 1..4
        QTest::addColumn<bool>("printFails");
        QTest::addColumn<bool>("badPrice");
        QTest::newRow("components, у.е., no VAT, no markup")
            << "," << false << false << 29.7 << false << 20.0 << 0.0 << 1 << 1 << false << false;
        QTest::newRow("components, у.е., VAT and markup")
            << "," << false << false << 29.7 << true << 18.0 << 12.5 << 2 << 3 << false << false;
        QTest::newRow("components, roubles, VAT, odd markup")
            << "," << false << true << 31.37 << true << 20.0 << 7.3333 << 4 << 2 << false << false;
        QTest::newRow("components, roubles, whole rate, point")
            << "." << false << true << 30.0 << false << 20.0 << 15.0 << 3 << 4 << false << false;
        QTest::newRow("base models, у.е., point, VAT")
            << "." << true << false << 29.7 << true << 10.0 << 0.0 << 1 << 1 << false << false;
        QTest::newRow("base models, roubles, markup")
            << "," << true << true << 28.125 << false << 20.0 << 3.0 << 1 << 1 << false << false;
        QTest::newRow("failed print still journaled")
            << "," << false << true << 29.7 << true << 20.0 << 5.0 << 2 << 1 << true << false;
        QTest::newRow("price that is not a number")
            << "," << false << false << 29.7 << true << 20.0 << 5.0 << 2 << 2 << false << true;
    }
    void journalRebuildsThePrintedOrder()
    {
        QFETCH(QString, decimal);
        QFETCH(bool, baseModels);
        QFETCH(bool, rub);
        QFETCH(double, curs);
        QFETCH(bool, ndse);
        QFETCH(double, nds);
        QFETCH(double, add);
        QFETCH(int, ram);
        QFETCH(int, fans);
        QFETCH(bool, printFails);
        QFETCH(bool, badPrice);
        const QChar dec = decimal.at(0);
        PrintShop shop(dec);
        shop.state->order.settings = PricingSettings{curs, rub, QStringLiteral("грн"), ndse, nds, add};
        shop.state->choosePlatform(baseModels ? ProcessorPlatform::None : ProcessorPlatform::Amd);
        const QList<Cat> baseOrder{Cat::Base, Cat::Nout, Cat::Mon, Cat::Prn,  Cat::Scan,
                                   Cat::UPS,  Cat::OS,   Cat::PO,  Cat::Dop1, Cat::Dop2};
        int position = 0;
        for (Cat c : summaryOrder()) {
            if (baseModels ? !baseOrder.contains(c) : (c == Cat::Base || c == Cat::Nout))
                continue;
            // Every fifth category on the none entry: no line, no row.
            ++position;
            shop.choose(c, position % 5 == 4 ? 0 : 1 + position % 2);
        }
        if (!baseModels) {
            shop.choose(Cat::RAM, 1);
            shop.choose(Cat::Fun1, 2);
            shop.state->chooseMemoryCount(ram - 1);
            shop.state->chooseFanCount(fans - 1);
        }
        if (badPrice) {
            shop.choose(Cat::Video, 1);
            shop.state->order.computer[Cat::Video].price =
                QStringLiteral("12%1").arg(dec == QLatin1Char(',') ? QStringLiteral(".") : QStringLiteral(","));
        }
        shop.state->order.customer = QStringLiteral("Иванов");
        if (printFails)
            shop.fakes.printer.failWith = QStringLiteral("jam");
        QStringList printed = shop.print();
        printed << QStringLiteral("Заказ № 1");
        if (printFails) {
            QCOMPARE(shop.fakes.messageBox.shown, QStringList({PrintErrorMessage}));
        } else {
            QCOMPARE(shop.fakes.printer.printed, QList<QStringList>({printed}));
        }

        const std::vector<stock::JournalRow> rows = shop.shipped(1);
        QVERIFY(rows.size() > 5);
        // Other separator than the writing copy's: the rows themselves tell theirs.
        const QChar other = dec == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
        QCOMPARE(rebuildOrderLines(rows, other) << orderNumberLine(1), printed);
        QCOMPARE(orderCopy(stock::Journal(shop.folder), 1, other), QStringList({CopyMark, " "}) + printed);
        if (badPrice)
            return; // no totals were printed

        // Revenue as charged: Σ amount × (1 + markup) × (1 + VAT), to the kopeck of the paper.
        double sum = 0;
        for (const stock::JournalRow& row : rows)
            sum += *stock::readJournalNumber(row.amount);
        const stock::JournalRow& first = rows.front();
        const double total = (*stock::readJournalNumber(first.markup) / 100 + 1) * sum;
        const QString suffix = QStringLiteral(" ") + first.unit;
        const QString totalLine = printed.at(printed.indexOf(QRegularExpression(QStringLiteral("^Итого.*"))));
        QCOMPARE(formatMoney(total, dec), formatMoney(amountOf(totalLine, suffix, dec), dec));
        QCOMPARE(first.vat.isEmpty(), !ndse);
        if (ndse) {
            const double grand = (*stock::readJournalNumber(first.vat) / 100 + 1) * total;
            QCOMPARE(formatMoney(grand, dec) + suffix, printed.at(printed.size() - 5).mid(12));
        }
        QCOMPARE(first.unit, rub ? QStringLiteral("грн") : QStringLiteral("у.е."));
        QCOMPARE(*stock::readJournalNumber(first.rate), curs);
        // Unit price times count is the line's amount for memory and fans.
        for (const stock::JournalRow& row : rows) {
            QCOMPARE(row.orderDate, QStringLiteral("5.3.2026"));
            QCOMPARE(formatMoney(*stock::readJournalNumber(row.unitPrice) * double(row.quantity), dec),
                     formatMoney(*stock::readJournalNumber(row.amount), dec));
        }
    }

    // A cancelled printer dialog uses no number: the next print still carries the first.
    void cancelledDialogUsesNoNumber()
    {
        PrintShop shop;
        shop.choose(Cat::Key, 1);
        shop.fakes.printer.confirm = false;
        shop.print();
        shop.print();
        QVERIFY(shop.fakes.printer.printed.isEmpty());
        QVERIFY(!QFile::exists(shop.path(stock::CounterFile)));
        QVERIFY(!QFile::exists(shop.path(stock::JournalFile)));
        shop.fakes.printer.confirm = true;
        shop.print();
        QCOMPARE(shop.fakes.printer.printed.size(), 1);
        QCOMPARE(shop.fakes.printer.printed.first().last(), QStringLiteral("Заказ № 1"));
        QCOMPARE(shop.shipped(1).size(), size_t(1));
    }

    // A number reserved for a print is never given to anything else, even before its rows exist;
    // the counter follows a journal that ran ahead of it, and a lost counter is seeded again.
    void numbersStayUnique()
    {
        PrintShop shop;
        stock::Journal journal(shop.folder);
        QCOMPARE(journal.reserveOrder(), 1LL);
        QCOMPARE(journal.reserveOrder(), 2LL);
        const long long receipt =
            stock::receiveGoods(journal, {QStringLiteral("Key.dat"), 1, QStringLiteral("Key A")}, 2, stock::Actor{});
        QCOMPARE(receipt, 3LL);
        QVERIFY(QFile::remove(journal.counterPath()));
        QCOMPARE(journal.reserveOrder(), 4LL);
        writeBytes(journal.counterPath(), "garbage\r\n");
        QCOMPARE(journal.reserveOrder(), 4LL); // seeded from the journal's 3 again
        writeBytes(journal.counterPath(), "40\r\n");
        QCOMPARE(journal.reserveOrder(), 41LL);
    }

    void headingGoesAboveTheOrder_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("none") << QStringList() << QStringList();
        QTest::newRow("blank lines only") << QStringList({"", "  "}) << QStringList();
        QTest::newRow("four lines, blanks at the end dropped")
            << QStringList({"ООО «Вектор»", "г. Тверь, ул. Советская, 5", "", "тел. 33-44-55; ИНН 6901234567", "", ""})
            << QStringList({"ООО «Вектор»", "г. Тверь, ул. Советская, 5", "", "тел. 33-44-55; ИНН 6901234567"});
        QTest::newRow("line breaks inside a line")
            << QStringList({"Вектор\r\nТверь\nтел."}) << QStringList({"Вектор", "Тверь", "тел."});
    }
    void headingGoesAboveTheOrder()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, kept);
        PrintShop shop;
        saveHeading(shop.folder, typed);
        QCOMPARE(loadHeading(shop.folder), kept);
        QCOMPARE(QFile::exists(shop.path(HeadingFile)), !kept.isEmpty());
        if (!kept.isEmpty())
            QCOMPARE(shop.bytes(HeadingFile), crlf(kept)); // cp1251, one CR LF per line

        shop.choose(Cat::Mouse, 1);
        const QStringList lines = shop.print();
        const QStringList above = kept.isEmpty() ? QStringList() : kept + QStringList({" "});
        QCOMPARE(shop.fakes.printer.printed.first(), above + lines + QStringList({QStringLiteral("Заказ № 1")}));
        QCOMPARE(orderCopy(stock::Journal(shop.folder), 1, QLatin1Char(',')),
                 QStringList({CopyMark, " "}) + shop.fakes.printer.printed.first());
    }

    // A character code page 1251 lacks is refused and the heading kept as it was.
    void headingOutsideTheCodePageIsRefused()
    {
        PrintShop shop;
        saveHeading(shop.folder, {QStringLiteral("Вектор")});
        const QByteArray before = shop.bytes(HeadingFile);
        try {
            saveHeading(shop.folder, {QStringLiteral("Вектор ✓")});
            QFAIL("saved");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains(QStringLiteral("«✓»")), qPrintable(e.message()));
        }
        QCOMPARE(shop.bytes(HeadingFile), before);
    }

    void numberAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<long long>("number"); // 0: not understood
        QTest::newRow("digits") << "123" << 123LL;
        QTest::newRow("as printed") << "Заказ № 123" << 123LL;
        QTest::newRow("lower case, blanks") << "  заказ №123 " << 123LL;
        QTest::newRow("sign only") << "№ 7" << 7LL;
        QTest::newRow("latin N") << "N 7" << 7LL;
        QTest::newRow("zero") << "0" << 0LL;
        QTest::newRow("two numbers") << "12 13" << 0LL;
        QTest::newRow("words") << "Заказ выполнен: 5.3.2026" << 0LL;
        QTest::newRow("empty") << "" << 0LL;
        QTest::newRow("negative") << "-5" << 0LL;
    }
    void numberAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(long long, number);
        QCOMPARE(orderNumberFromText(text).value_or(0), number);
    }

    void copyOfAnOrderNotShippedIsRefused()
    {
        PrintShop shop;
        stock::Journal journal(shop.folder);
        stock::receiveGoods(journal, {QStringLiteral("Key.dat"), 1, QStringLiteral("Key A")}, 2, stock::Actor{});
        for (long long number : {1LL, 2LL}) {
            try {
                orderCopy(journal, number, QLatin1Char(','));
                QFAIL("a copy of a receipt or of nothing");
            } catch (const Error& e) {
                QCOMPARE(e.message(), QStringLiteral("В журнале нет отгрузки по заказу № %1.").arg(number));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestPrintedOrder)
#include "tst_printedorder.moc"
