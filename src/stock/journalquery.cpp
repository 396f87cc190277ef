#include "journalquery.h"

#include "categorytable.h"
#include "cp1251.h"
#include "pricelist.h"

#include <QHash>

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
    return column == OrderColumn || column == RecordColumn || column == QuantityColumn || column == BeforeColumn ||
           column == AfterColumn;
}

// Letter case folded in cp1251 bytes, so that texts sort without decoding them: Latin and
// Cyrillic capitals to small letters, Ё to ё.
QByteArray foldedBytes(QByteArray text)
{
    for (char& ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF))
            ch = char(c + 0x20);
        else if (c == 0xA8)
            ch = char(0xB8);
    }
    return text;
}

template <typename Key> void sortByKey(std::vector<qsizetype>& rows, std::vector<Key>& keys, bool ascending)
{
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return ascending ? keys[a] < keys[b] : keys[b] < keys[a]; });
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
    const QByteArray order = QByteArray::number(filter.order);
    for (qsizetype i = 0; i < reader.size(); ++i) {
        if (filter.order != 0 && reader.fieldBytes(i, OrderColumn) != order)
            continue;
        if (!filter.operation.isEmpty() && reader.fieldBytes(i, OperationColumn) != operation)
            continue;
        if (from > 0 || to < 99999999) {
            const int date = dateKey(reader.fieldBytes(i, DateColumn));
            if (date < from || date > to)
                continue;
        }
        if (!filter.customer.isEmpty() &&
            !reader.field(i, CustomerColumn).contains(filter.customer, Qt::CaseInsensitive))
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
        std::vector<long long> keys(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const QByteArray time = reader.fieldBytes(rows[i], TimeColumn).replace(':', QByteArray());
            keys[i] = dateKey(reader.fieldBytes(rows[i], DateColumn)) * 1000000LL + time.toLongLong();
        }
        sortByKey(rows, keys, ascending);
    } else {
        // A journal repeats the same few thousand names and customers: each distinct text is
        // ranked once and the rows are sorted by rank.
        QHash<QByteArray, int> ids;
        std::vector<QByteArray> texts;
        std::vector<int> keys(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            QByteArray text = foldedBytes(reader.fieldBytes(rows[i], column));
            auto it = ids.find(text);
            if (it == ids.end()) {
                it = ids.insert(text, int(texts.size()));
                texts.push_back(std::move(text));
            }
            keys[i] = it.value();
        }
        std::vector<int> byText(texts.size());
        for (size_t i = 0; i < byText.size(); ++i)
            byText[i] = int(i);
        std::sort(byText.begin(), byText.end(), [&](int a, int b) { return texts[size_t(a)] < texts[size_t(b)]; });
        std::vector<int> rank(texts.size());
        for (size_t i = 0; i < byText.size(); ++i)
            rank[size_t(byText[i])] = int(i);
        // Ranks are few and dense: counting them sorts in one pass and keeps equal rows in order.
        const size_t distinct = texts.size();
        std::vector<size_t> start(distinct + 1, 0);
        for (int& key : keys) {
            key = ascending ? rank[size_t(key)] : int(distinct) - 1 - rank[size_t(key)];
            ++start[size_t(key) + 1];
        }
        for (size_t k = 1; k <= distinct; ++k)
            start[k] += start[k - 1];
        std::vector<qsizetype> sorted(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            sorted[start[size_t(keys[i])]++] = rows[i];
        rows = std::move(sorted);
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
        items.push_back({r, name, recordLineOrEmpty(list, r, StockLine)});
    }
    return items;
}

} // namespace korvanta::stock
