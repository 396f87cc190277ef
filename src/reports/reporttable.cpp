#include "reports/reporttable.h"

#include "base/error.h"
#include "files/atomicfile.h"
#include "text/csv.h"

#include <QFileInfo>
#include <QLocale>

namespace korvanta::reports {

namespace {

const QString Estimated = QStringLiteral("оценка");

std::vector<Cell> salesRow(const QString& label, const SalesFigures& f, qsizetype units)
{
    std::vector<Cell> row{Cell::of(label), Cell::of(f.orders, 0), Cell::of(double(f.items), 0),
                          Cell::of(f.revenueUe, 2)};
    for (qsizetype u = 0; u < units; ++u)
        row.push_back(Cell::of(size_t(u) < f.revenueByUnit.size() ? f.revenueByUnit[size_t(u)] : 0.0, 2));
    row.push_back(Cell::of(double(f.returnedItems), 0));
    row.push_back(Cell::of(f.returnsUe, 2));
    row.push_back(Cell::of(f.netUe(), 2));
    row.push_back(Cell::of(f.estimated ? Estimated : QString()));
    return row;
}

QString numberText(const Cell& cell, QChar decimal)
{
    QString text = QString::number(cell.number, 'f', cell.decimals);
    if (decimal != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), decimal);
    return text;
}

} // namespace

Table salesTable(const SalesReport& report)
{
    Table t;
    t.title =
        QStringLiteral("Продажи за %1 (сравнение: %2)").arg(periodLabel(report.period), periodLabel(report.previous));
    t.headers << QStringLiteral("Период") << QStringLiteral("Заказов") << QStringLiteral("Продано, шт.")
              << QStringLiteral("Выручка, у.е.");
    for (const QString& unit : report.units)
        t.headers << QStringLiteral("Выручка, %1").arg(unit);
    t.headers << QStringLiteral("Возвращено, шт.") << QStringLiteral("Возвраты, у.е.") << QStringLiteral("Итого, у.е.")
              << QStringLiteral("Примечание");
    for (const SalesGroup& g : report.groups)
        t.rows.push_back(salesRow(g.label, g.figures, report.units.size()));
    t.rows.push_back(salesRow(QStringLiteral("Итого за период"), report.total, report.units.size()));
    t.rows.push_back(salesRow(QStringLiteral("Предыдущий период"), report.previousTotal, report.units.size()));
    return t;
}

Table itemsTable(const std::vector<ItemFigures>& items, const QString& title, bool categories)
{
    Table t;
    t.title = title;
    if (categories)
        t.headers << QStringLiteral("Категория");
    else
        t.headers << QStringLiteral("Товар") << QStringLiteral("Категория") << QStringLiteral("Файл")
                  << QStringLiteral("Запись");
    t.headers << QStringLiteral("Продано") << QStringLiteral("Возвращено") << QStringLiteral("Получено")
              << QStringLiteral("Остаток") << QStringLiteral("Выручка, у.е.");
    for (const ItemFigures& f : items) {
        std::vector<Cell> row;
        if (categories)
            row.push_back(Cell::of(f.category));
        else
            row.insert(row.end(), {Cell::of(f.name), Cell::of(f.category), Cell::of(f.file), Cell::of(f.record, 0)});
        row.insert(row.end(),
                   {Cell::of(double(f.sold), 0), Cell::of(double(f.returned), 0), Cell::of(double(f.received), 0),
                    f.stock ? Cell::of(double(*f.stock), 0) : Cell::of(QStringLiteral("?")), Cell::of(f.revenueUe, 2)});
        t.rows.push_back(std::move(row));
    }
    return t;
}

Table stockTable(const StockReport& report)
{
    Table t;
    t.title = QStringLiteral("Остатки на складе по ценам прайс-листов");
    t.headers << QStringLiteral("Категория") << QStringLiteral("Товаров") << QStringLiteral("Штук")
              << QStringLiteral("Стоимость, у.е.") << QStringLiteral("Без цены");
    const auto row = [](const CategoryStock& c) {
        return std::vector<Cell>{Cell::of(c.category), Cell::of(c.items, 0), Cell::of(double(c.units), 0),
                                 Cell::of(c.valueUe, 2), Cell::of(c.unpriced, 0)};
    };
    for (const CategoryStock& c : report.categories)
        t.rows.push_back(row(c));
    t.rows.push_back(row(report.total));
    return t;
}

Table negativeStockTable(const StockReport& report)
{
    Table t;
    t.title = QStringLiteral("Отрицательный остаток (продано раньше, чем оприходовано)");
    t.headers << QStringLiteral("Товар") << QStringLiteral("Категория") << QStringLiteral("Файл")
              << QStringLiteral("Запись") << QStringLiteral("Остаток");
    for (const ShopItem& item : report.negative)
        t.rows.push_back({Cell::of(item.name), Cell::of(item.category), Cell::of(item.file), Cell::of(item.record, 0),
                          Cell::of(double(*item.stock), 0)});
    return t;
}

Table orderTable(const std::vector<OrderSuggestion>& suggestions)
{
    Table t;
    t.title = QStringLiteral("Что заказать");
    t.headers << QStringLiteral("Товар") << QStringLiteral("Категория") << QStringLiteral("Файл")
              << QStringLiteral("Запись") << QStringLiteral("Остаток") << QStringLiteral("Продано")
              << QStringLiteral("В день") << QStringLiteral("Хватит на, дней") << QStringLiteral("Заказать, шт.");
    for (const OrderSuggestion& s : suggestions)
        t.rows.push_back({Cell::of(s.name), Cell::of(s.category), Cell::of(s.file), Cell::of(s.record, 0),
                          Cell::of(double(s.stock), 0), Cell::of(double(s.sold), 0), Cell::of(s.perDay, 2),
                          Cell::of(s.daysLeft, 1), Cell::of(double(s.suggested), 0)});
    return t;
}

QString displayText(const Cell& cell, const QLocale& locale)
{
    if (!cell.isNumber())
        return cell.text;
    return locale.toString(cell.number, 'f', cell.decimals);
}

QByteArray tablesCsv(const std::vector<Table>& tables, QChar decimal)
{
    QByteArray out;
    for (size_t i = 0; i < tables.size(); ++i) {
        const Table& t = tables[i];
        if (i > 0)
            out += csv::row({});
        out += csv::row({t.title});
        out += csv::row(t.headers);
        for (const std::vector<Cell>& cells : t.rows) {
            QStringList fields;
            for (const Cell& c : cells)
                fields << (c.isNumber() ? numberText(c, decimal) : c.text);
            out += csv::row(fields);
        }
    }
    return out;
}

void writeTablesCsv(const QString& path, const std::vector<Table>& tables, QChar decimal)
{
    const QString reason = replaceFile(path, tablesCsv(tables, decimal));
    if (!reason.isEmpty())
        throw Error(
            QStringLiteral("Не удалось записать файл \"%1\". %2").arg(QFileInfo(path).absoluteFilePath(), reason));
}

} // namespace korvanta::reports
