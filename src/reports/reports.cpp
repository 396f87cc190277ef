#include "reports/reports.h"

#include "base/error.h"
#include "catalogue/categorytable.h"
#include "catalogue/pricelist.h"
#include "stock/journal.h"
#include "text/cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace korvanta::reports {

namespace {

quint64 keyOf(const ItemKey& item)
{
    return (quint64(quint32(item.file)) << 32) | quint32(item.record);
}

// The items of the shop and of the journal by their file and record, in the order first met.
class ItemTable {
public:
    ItemTable(JournalScan& scan, const std::vector<ShopItem>& shop)
    {
        m_index.reserve(shop.size());
        m_items.reserve(shop.size());
        for (const ShopItem& item : shop) {
            ItemFigures& f = at({scan.fileIndex(item.file), item.record}, scan);
            f.name = item.name;
            f.stock = item.stock;
        }
    }

    ItemFigures& at(const ItemKey& key, const JournalScan& scan)
    {
        auto [it, added] = m_index.try_emplace(keyOf(key), m_items.size());
        if (added) {
            if (m_categories.size() <= size_t(key.file))
                m_categories.resize(size_t(key.file) + 1);
            QString& category = m_categories[size_t(key.file)];
            if (category.isNull())
                category = categoryOfFile(scan.files()[size_t(key.file)]);
            ItemFigures f;
            f.file = scan.files()[size_t(key.file)];
            f.record = key.record;
            f.category = category;
            m_items.push_back(std::move(f));
        }
        return m_items[it->second];
    }

    std::vector<ItemFigures>& items() { return m_items; }

private:
    std::unordered_map<quint64, size_t> m_index;
    std::vector<ItemFigures> m_items;
    std::vector<QString> m_categories; // by file index
};

// A line of a record as bytes; empty past a short last record.
QByteArrayView lineBytes(const PriceList& list, int record, int field)
{
    const int line = PriceRecord::lineOf(record, field);
    return line < list.count() ? list.bytesAt(line) : QByteArrayView();
}

} // namespace

QString categoryOfFile(const QString& file)
{
    for (Cat c : allCategories()) {
        const CategoryInfo& info = category(c);
        if (info.files.contains(file, Qt::CaseInsensitive))
            return info.title;
    }
    return file;
}

std::vector<ShopItem> loadShopItems(const QString& folder, QChar decimal)
{
    Q_UNUSED(decimal); // either separator is read, as in the journal
    static const QByteArray none = cp1251::encode(NoneEntry);
    std::vector<ShopItem> items;
    const QDir dir(folder);
    for (Cat c : allCategories()) {
        const CategoryInfo& info = category(c);
        for (const QString& file : info.files) {
            const QString path = dir.filePath(file);
            if (!QFileInfo::exists(path))
                continue;
            const PriceList list = loadPriceList(path);
            const int records = recordCount(list);
            for (int r = 0; r < records; ++r) {
                const QByteArrayView name = lineBytes(list, r, NameLine);
                if (name == QByteArrayView(none))
                    continue;
                ShopItem item;
                item.file = file;
                item.record = r + 1;
                item.name = cp1251::decode(name);
                item.category = info.title;
                // Prices are written with the regional separator, or a point.
                double price = 0;
                if (readNumber(lineBytes(list, r, PriceLine), price))
                    item.price = price;
                long long stock = 0;
                if (readWhole(lineBytes(list, r, StockLine), stock))
                    item.stock = stock;
                items.push_back(std::move(item));
            }
        }
    }
    return items;
}

QByteArray readJournal(const QString& folder)
{
    QFile file(stock::Journal(folder).path());
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Не удалось прочитать журнал \"%1\". %2")
                        .arg(QFileInfo(file.fileName()).absoluteFilePath(), file.errorString()));
    return file.readAll();
}

SalesReport salesReport(QByteArrayView journal, const Period& period, Grouping grouping)
{
    SalesReport report;
    report.period = period;
    report.grouping = grouping;
    if (!period.isValid())
        return report;
    report.previous = previousPeriod(period);
    for (const QDate& start : groupStarts(period, grouping))
        report.groups.push_back({start, groupLabel(start, grouping), {}});
    for (const QDate& start : groupStarts(report.previous, grouping))
        report.previousGroups.push_back({start, groupLabel(start, grouping), {}});

    // Each day of both periods points at its group: current ones from 0, previous ones below -1.
    const qint64 base = report.previous.from.toJulianDay();
    std::vector<int> groupOfDay(size_t(period.to.toJulianDay() - base + 1), -1);
    const auto mark = [&](const Period& p, const std::vector<SalesGroup>& groups, bool current) {
        size_t g = 0;
        for (QDate d = p.from; d <= p.to; d = d.addDays(1)) {
            while (g + 1 < groups.size() && groups[g + 1].start <= d)
                ++g;
            groupOfDay[size_t(d.toJulianDay() - base)] = current ? int(g) : -2 - int(g);
        }
    };
    mark(report.previous, report.previousGroups, false);
    mark(period, report.groups, true);

    std::vector<QByteArray> units;
    // The order numbers of each group, the rows of one order being together; counted once at the end.
    std::vector<std::vector<long long>> orders(report.groups.size() + report.previousGroups.size() + 2);
    const size_t totalOrders = orders.size() - 2;
    const size_t previousOrders = orders.size() - 1;
    const auto addOrder = [&](size_t list, long long order) {
        if (orders[list].empty() || orders[list].back() != order)
            orders[list].push_back(order);
    };
    const auto distinct = [&](size_t list) {
        std::vector<long long>& o = orders[list];
        std::sort(o.begin(), o.end());
        return int(std::unique(o.begin(), o.end()) - o.begin());
    };
    const auto unitIndex = [&](QByteArrayView unit) {
        for (size_t i = 0; i < units.size(); ++i)
            if (QByteArrayView(units[i]) == unit)
                return i;
        units.emplace_back(unit.data(), unit.size());
        report.units << cp1251::decode(units.back());
        return units.size() - 1;
    };
    const auto add = [](SalesFigures& f, const Movement& m, qsizetype unit) {
        f.estimated = f.estimated || m.estimated;
        if (m.operation == Operation::Shipment) {
            f.items += m.quantity;
            f.revenueUe += m.chargedUe();
            if (unit >= 0) {
                if (f.revenueByUnit.size() <= size_t(unit))
                    f.revenueByUnit.resize(size_t(unit) + 1, 0.0);
                f.revenueByUnit[size_t(unit)] += m.charged();
            }
        } else {
            f.returnedItems += m.quantity;
            f.returnsUe += m.chargedUe();
        }
    };

    JournalScan scan;
    const qint64 last = period.to.toJulianDay();
    scan.setDays(base, last);
    scan.scan(journal, [&](const Movement& m) {
        if (m.operation != Operation::Shipment && m.operation != Operation::Return)
            return;
        if (m.day < base || m.day > last)
            return;
        const int g = groupOfDay[size_t(m.day - base)];
        if (g == -1)
            return;
        const qsizetype unit = m.inUe() ? -1 : qsizetype(unitIndex(m.unit));
        const bool current = g >= 0;
        const size_t index = current ? size_t(g) : size_t(-2 - g);
        SalesGroup& group = current ? report.groups[index] : report.previousGroups[index];
        add(group.figures, m, unit);
        add(current ? report.total : report.previousTotal, m, unit);
        if (m.operation == Operation::Shipment) {
            addOrder(current ? index : report.groups.size() + index, m.order);
            addOrder(current ? totalOrders : previousOrders, m.order);
        }
    });
    for (size_t i = 0; i < report.groups.size(); ++i)
        report.groups[i].figures.orders = distinct(i);
    for (size_t i = 0; i < report.previousGroups.size(); ++i)
        report.previousGroups[i].figures.orders = distinct(report.groups.size() + i);
    report.total.orders = distinct(totalOrders);
    report.previousTotal.orders = distinct(previousOrders);
    // Every group has a figure for every currency.
    for (auto* groups : {&report.groups, &report.previousGroups})
        for (SalesGroup& g : *groups)
            g.figures.revenueByUnit.resize(units.size(), 0.0);
    report.total.revenueByUnit.resize(units.size(), 0.0);
    report.previousTotal.revenueByUnit.resize(units.size(), 0.0);
    return report;
}

ItemsReport itemsReport(QByteArrayView journal, const std::vector<ShopItem>& shop, const Period& period)
{
    ItemsReport report;
    report.period = period;
    JournalScan scan;
    ItemTable table(scan, shop);
    const qint64 from = period.from.toJulianDay();
    const qint64 to = period.to.toJulianDay();
    scan.setDays(from, to);
    scan.scan(journal, [&](const Movement& m) {
        if (m.day < from || m.day > to)
            return;
        switch (m.operation) {
        case Operation::Shipment: {
            ItemFigures& f = table.at(m.item, scan);
            f.sold += m.quantity;
            f.revenueUe += m.chargedUe();
            if (f.name.isEmpty())
                f.name = cp1251::decode(m.name);
            break;
        }
        case Operation::Return: {
            ItemFigures& f = table.at(m.item, scan);
            f.returned += m.quantity;
            f.revenueUe -= m.chargedUe();
            if (f.name.isEmpty())
                f.name = cp1251::decode(m.name);
            break;
        }
        case Operation::Receipt: {
            ItemFigures& f = table.at(m.item, scan);
            f.received += m.quantity;
            if (f.name.isEmpty())
                f.name = cp1251::decode(m.name);
            break;
        }
        default:
            break;
        }
    });
    report.items = std::move(table.items());
    QHash<QString, size_t> categories;
    for (ItemFigures& f : report.items) {
        f.idle = f.stock && *f.stock > 0 && f.sold == 0;
        auto it = categories.find(f.category);
        if (it == categories.end()) {
            it = categories.insert(f.category, report.categories.size());
            ItemFigures c;
            c.name = f.category;
            c.category = f.category;
            c.stock = 0;
            report.categories.push_back(c);
        }
        ItemFigures& c = report.categories[it.value()];
        c.sold += f.sold;
        c.returned += f.returned;
        c.received += f.received;
        c.revenueUe += f.revenueUe;
        if (f.stock)
            *c.stock += *f.stock;
    }
    return report;
}

std::vector<ItemFigures> topSellers(const ItemsReport& report, int count)
{
    std::vector<ItemFigures> sold;
    for (const ItemFigures& f : report.items)
        if (f.sold > 0)
            sold.push_back(f);
    std::stable_sort(sold.begin(), sold.end(), [](const ItemFigures& a, const ItemFigures& b) {
        return a.revenueUe != b.revenueUe ? a.revenueUe > b.revenueUe : a.sold > b.sold;
    });
    if (sold.size() > size_t(std::max(0, count)))
        sold.resize(size_t(std::max(0, count)));
    return sold;
}

std::vector<ItemFigures> idleItems(const ItemsReport& report)
{
    std::vector<ItemFigures> idle;
    for (const ItemFigures& f : report.items)
        if (f.idle)
            idle.push_back(f);
    return idle;
}

StockReport stockReport(const std::vector<ShopItem>& shop)
{
    StockReport report;
    report.total.category = QStringLiteral("Итого");
    QHash<QString, size_t> index;
    for (const ShopItem& item : shop) {
        auto it = index.find(item.category);
        if (it == index.end()) {
            it = index.insert(item.category, report.categories.size());
            report.categories.push_back({item.category});
        }
        if (!item.stock)
            continue;
        if (*item.stock < 0) {
            report.negative.push_back(item);
            continue;
        }
        if (*item.stock == 0)
            continue;
        for (CategoryStock* c : {&report.categories[it.value()], &report.total}) {
            ++c->items;
            c->units += *item.stock;
            if (item.price)
                c->valueUe += *item.price * double(*item.stock);
            else
                ++c->unpriced;
        }
    }
    return report;
}

std::vector<OrderSuggestion> whatToOrder(QByteArrayView journal, const std::vector<ShopItem>& shop, const QDate& today,
                                         int horizon, int rateDays)
{
    std::vector<OrderSuggestion> out;
    if (horizon < 1 || rateDays < 1)
        return out;
    JournalScan scan;
    std::unordered_map<quint64, long long> sold;
    const qint64 last = today.toJulianDay();
    const qint64 first = last - rateDays + 1;
    scan.setDays(first, last);
    scan.scan(journal, [&](const Movement& m) {
        if (m.day < first || m.day > last)
            return;
        if (m.operation == Operation::Shipment)
            sold[keyOf(m.item)] += m.quantity;
        else if (m.operation == Operation::Return)
            sold[keyOf(m.item)] -= m.quantity;
    });
    for (const ShopItem& item : shop) {
        if (!item.stock)
            continue;
        const auto it = sold.find(keyOf({scan.fileIndex(item.file), item.record}));
        if (it == sold.end() || it->second <= 0)
            continue;
        OrderSuggestion s;
        s.file = item.file;
        s.record = item.record;
        s.name = item.name;
        s.category = item.category;
        s.stock = *item.stock;
        s.sold = it->second;
        s.perDay = double(s.sold) / rateDays;
        s.daysLeft = std::max(0.0, double(s.stock) / s.perDay);
        if (s.daysLeft > horizon)
            continue;
        // Enough for the horizon's days of sales, less what is still there.
        s.suggested = std::max(1LL, (long long)std::ceil(s.perDay * horizon - 1e-9) - std::max(0LL, s.stock));
        out.push_back(std::move(s));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const OrderSuggestion& a, const OrderSuggestion& b) { return a.daysLeft < b.daysLeft; });
    return out;
}

} // namespace korvanta::reports
