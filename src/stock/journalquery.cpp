#include "journalquery.h"

#include "categorytable.h"
#include "cp1251.h"
#include "pricelist.h"

#include <algorithm>

namespace korvanta::stock {

namespace {

// "dd.MM.yyyy" as yyyymmdd; 0 when the text is not such a date.
int dateKey(const QByteArray& text)
{
    if (text.size() != 10 || text[2] != '.' || text[5] != '.')
        return 0;
    int value = 0;
    for (int i : {6, 7, 8, 9, 3, 4, 0, 1}) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

int dateKey(const QDate& date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

bool isNumeric(int column)
{
    return column == OrderColumn || column == RecordColumn || column == QuantityColumn || column == BeforeColumn
           || column == AfterColumn;
}

template <typename Key>
void sortByKey(std::vector<qsizetype>& rows, std::vector<Key>& keys, bool ascending)
{
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
    std::vector<qsizetype> sorted(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        sorted[i] = rows[order[i]];
    rows = std::move(sorted);
}

} // namespace

std::vector<qsizetype> selectRows(const JournalReader& reader, const JournalFilter& filter)
{
    std::vector<qsizetype> rows;
    rows.reserve(size_t(std::max<qsizetype>(0, reader.size())));
    const int from = filter.from.isNull() ? 0 : dateKey(filter.from);
    const int to = filter.to.isNull() ? 99999999 : dateKey(filter.to);
    const QByteArray operation = cp1251::encode(filter.operation);
    for (qsizetype i = 0; i < reader.size(); ++i) {
        if (!filter.operation.isEmpty() && reader.fieldBytes(i, OperationColumn) != operation)
            continue;
        if (from > 0 || to < 99999999) {
            const int date = dateKey(reader.fieldBytes(i, DateColumn));
            if (date < from || date > to)
                continue;
        }
        if (!filter.customer.isEmpty()
            && !reader.field(i, CustomerColumn).contains(filter.customer, Qt::CaseInsensitive))
            continue;
        if (!filter.item.isEmpty() && !reader.field(i, NameColumn).contains(filter.item, Qt::CaseInsensitive))
            continue;
        rows.push_back(i);
    }
    return rows;
}

void sortRows(const JournalReader& reader, std::vector<qsizetype>& rows, int column, bool ascending)
{
    if (isNumeric(column)) {
        std::vector<long long> keys(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            keys[i] = reader.fieldBytes(rows[i], column).toLongLong();
        sortByKey(rows, keys, ascending);
    } else if (column == DateColumn || column == TimeColumn) {
        std::vector<std::pair<int, QByteArray>> keys(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            keys[i] = {dateKey(reader.fieldBytes(rows[i], DateColumn)), reader.fieldBytes(rows[i], TimeColumn)};
        sortByKey(rows, keys, ascending);
    } else {
        std::vector<QString> keys(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            keys[i] = reader.field(rows[i], column).toCaseFolded();
        sortByKey(rows, keys, ascending);
    }
}

std::vector<ListItem> listItems(const QString& path)
{
    const PriceList list = loadPriceList(path);
    std::vector<ListItem> items;
    for (int r = 0; r < recordCount(list); ++r) {
        const QString name = recordLine(list, r, NameLine);
        if (name == NoneEntry)
            continue;
        const int line = r * RecordLines + StockLine;
        items.push_back({r, name, line < list.count() ? list.at(line) : QString()});
    }
    return items;
}

} // namespace korvanta::stock
