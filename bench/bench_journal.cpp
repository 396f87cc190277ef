// Opening the owner's journal view at a million rows, timed against a floor measured in the same
// run: reading the journal file's bytes; and appending a row to it against appending to a small
// journal. Run offscreen from an optimised build.
#include "benchcommon.h"
#include "owner/journalmodel.h"
#include "stock/journal.h"
#include "text/csv.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

using namespace korvanta;
using namespace korvanta::stock;

namespace {

QByteArray makeJournal(int rows)
{
    const QStringList customers{QStringLiteral("Иванов Пётр"), QStringLiteral("ООО \"Вектор\""), QString(),
                                QStringLiteral("Смирнова А.В.")};
    const QStringList operations{ShipmentOp, ShipmentOp, ShipmentOp, ReceiptOp, ReturnOp, CorrectionOp};
    QByteArray out = csv::row(columnTitles());
    out.reserve(qsizetype(rows) * 140);
    JournalRow row;
    row.workplace = QStringLiteral("anna@kassa1");
    row.fileName = QStringLiteral("Monitor.dat");
    row.priceText = QStringLiteral("349,90");
    for (int i = 0; i < rows; ++i) {
        row.order = i / 3 + 1;
        row.date = QStringLiteral("%1.%2.2026")
                       .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                       .arg(1 + i / 90000, 2, 10, QLatin1Char('0'));
        row.time = QStringLiteral("12:%1:%2").arg(i % 60, 2, 10, QLatin1Char('0')).arg(i % 59, 2, 10, QLatin1Char('0'));
        row.customer = customers[i % customers.size()];
        row.operation = operations[i % operations.size()];
        row.record = i % 500;
        row.name = QStringLiteral("Монитор 27\" IPS модель %1").arg(i % 500);
        row.quantity = 1 + i % 3;
        row.stockBefore = i % 40;
        row.stockAfter = i % 40 - 1;
        out += csv::row(row.fields());
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bench::keepFreedMemory();
    constexpr int Rows = 1000000;
    QTemporaryDir dir;
    const QString path = dir.filePath(JournalFile);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write(makeJournal(Rows));
    }
    const double floor = bench::bestOf(5, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        if (bytes.isEmpty())
            qFatal("empty journal");
    });

    QTableView view;
    view.resize(1200, 700);
    view.show();
    JournalModel model;
    view.setModel(&model);
    const double open = bench::bestOf(5, [&] {
        model.load(path);
        view.scrollToTop();
        QApplication::processEvents();
        if (model.rowCount() != Rows)
            qFatal("rows: %d", model.rowCount());
    });
    // Typing a customer's name key by key, then deleting it; the first key also reads the column.
    const QString typed = QStringLiteral("вектор");
    double firstKey = 0, slowestKey = 0;
    for (int round = 0; round < 2; ++round)
        for (int k = 1; k <= typed.size() * 2; ++k) {
            const int length = k <= typed.size() ? k : typed.size() * 2 - k;
            JournalFilter f;
            f.customer = typed.left(length);
            const double ms = bench::bestOf(1, [&] {
                model.setFilter(f);
                QApplication::processEvents();
            });
            if (round == 0 && k == 1)
                firstKey = ms;
            else
                slowestKey = std::max(slowestKey, ms);
        }
    model.setFilter({});
    // Sorting by every column, the first time (reading the column) and again the other way.
    double firstSort = 0, slowestSort = 0;
    int firstColumn = 0, slowColumn = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        const double first = bench::bestOf(1, [&] {
            model.sort(c, Qt::AscendingOrder);
            QApplication::processEvents();
        });
        const double again = bench::bestOf(1, [&] {
            model.sort(c, Qt::DescendingOrder);
            QApplication::processEvents();
        });
        if (first > firstSort) {
            firstSort = first;
            firstColumn = c;
        }
        if (again > slowestSort) {
            slowestSort = again;
            slowColumn = c;
        }
    }
    // Typing while sorted by the item's name.
    model.sort(NameColumn, Qt::AscendingOrder);
    double sortedKey = 0;
    for (int k = 1; k <= typed.size(); ++k) {
        JournalFilter f;
        f.customer = typed.left(k);
        sortedKey = std::max(sortedKey, bench::bestOf(1, [&] {
                                 model.setFilter(f);
                                 QApplication::processEvents();
                             }));
    }
    model.setFilter({});
    model.sort(-1);

    // Appending a shipment's row: to the million-row journal and to a new one.
    JournalRow row;
    row.workplace = QStringLiteral("anna@kassa1");
    row.operation = ShipmentOp;
    row.fileName = QStringLiteral("Ram.dat");
    row.name = QStringLiteral("Kingston FURY Beast DDR4 16GB 3200");
    Journal big(dir.path());
    QTemporaryDir emptyDir;
    Journal fresh(emptyDir.path());
    const double appendBig = bench::bestOf(10, [&] { big.append({row}); });
    const double appendFresh = bench::bestOf(10, [&] { fresh.append({row}); });

    std::printf("journal of %d rows, %.1f MB\n", Rows, double(QFile(path).size()) / 1e6);
    std::printf("floor: read the file's bytes          %8.1f ms\n", floor);
    std::printf("open the journal view (first paint)   %8.1f ms  ratio %.2f\n", open, open / floor);
    std::printf("filter by customer, first key         %8.1f ms  ratio %.2f\n", firstKey, firstKey / floor);
    std::printf("filter by customer, slowest other key %8.1f ms  ratio %.2f\n", slowestKey, slowestKey / floor);
    std::printf("  the same, sorted by item name       %8.1f ms  ratio %.2f\n", sortedKey, sortedKey / floor);
    std::printf("sort, slowest first by a column (%2d)  %8.1f ms  ratio %.2f\n", firstColumn, firstSort,
                firstSort / floor);
    std::printf("sort, slowest again (%2d)              %8.1f ms  ratio %.2f\n", slowColumn, slowestSort,
                slowestSort / floor);
    std::printf("append a row, small journal (floor)   %8.2f ms\n", appendFresh);
    std::printf("append a row, million-row journal     %8.2f ms  ratio %.2f\n", appendBig, appendBig / appendFresh);
    return 0;
}
