#include "stock/journalquery.h"

#include "catalogue/categorytable.h"
#include "catalogue/pricelist.h"
#include "text/cp1251.h"

#include <QHash>

#include <algorithm>

namespace korvanta::stock {

namespace {

// "dd.MM.yyyy" as yyyymmdd; 0 when the text is not such a date.
int dateKey(QByteArrayView text)
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

bool isDateTime(int column)
{
    return column == DateColumn || column == TimeColumn;
}

// Plain digits as the journal writes them, read in place; anything else as QByteArray reads it.
std::optional<long long> plainNumber(QByteArrayView text, bool colons = false)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    long long value = 0;
    bool negative = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            value = value * 10 + (c - '0');
        else if (c == '-' && i == 0 && !colons)
            negative = true;
        else if (!(colons && c == ':'))
            return std::nullopt;
    }
    return negative ? -value : value;
}

long long numberKey(const JournalReader& reader, qsizetype row, int column)
{
    if (isDateTime(column)) {
        const auto time = plainNumber(reader.rawField(row, TimeColumn), true);
        const QByteArrayView date = reader.rawField(row, DateColumn);
        return dateKey(date.startsWith('"') ? QByteArrayView(reader.fieldBytes(row, DateColumn)) : date) * 1000000LL +
               (time ? *time : reader.fieldBytes(row, TimeColumn).replace(':', QByteArray()).toLongLong());
    }
    const auto number = plainNumber(reader.rawField(row, column));
    return number ? *number : reader.fieldBytes(row, column).toLongLong();
}

// A journal repeats the same few thousand names and customers: each distinct text is ranked once
// (letter case ignored, so texts differing only in case share a rank).
template <typename RowAt>
JournalIndex::Texts textsOf(const JournalReader& reader, size_t count, RowAt rowAt, int column)
{
    JournalIndex::Texts t;
    // Told apart by their bytes in the journal, without a copy per row; a text written quoted in
    // one row and plain in another gets two numbers of the same rank.
    QHash<QByteArrayView, int> ids;
    t.ids.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const QByteArrayView raw = reader.rawField(rowAt(i), column);
        auto it = ids.find(raw);
        if (it == ids.end()) {
            it = ids.insert(raw, int(t.texts.size()));
            t.texts.push_back(reader.fieldBytes(rowAt(i), column));
        }
        t.ids[i] = it.value();
    }
    std::vector<QByteArray> folded(t.texts.size());
    std::vector<int> byText(t.texts.size());
    for (size_t i = 0; i < byText.size(); ++i) {
        folded[i] = foldedBytes(t.texts[i]);
        byText[i] = int(i);
    }
    std::sort(byText.begin(), byText.end(), [&](int a, int b) { return folded[size_t(a)] < folded[size_t(b)]; });
    t.rank.resize(t.texts.size());
    int rank = 0;
    for (size_t i = 0; i < byText.size(); ++i) {
        if (i > 0 && folded[size_t(byText[i])] != folded[size_t(byText[i - 1])])
            ++rank;
        t.rank[size_t(byText[i])] = rank;
    }
    return t;
}

// Ranks are few and dense: counting them sorts in one pass and keeps equal rows in order.
template <typename RowAt>
std::vector<qsizetype> sortByRank(const JournalIndex::Texts& t, size_t count, RowAt rowAt, bool ascending)
{
    const int distinct = t.rank.empty() ? 0 : *std::max_element(t.rank.begin(), t.rank.end()) + 1;
    std::vector<size_t> start(size_t(distinct) + 1, 0);
    const auto keyOf = [&](size_t i) {
        const int r = t.rank[size_t(t.ids[i])];
        return size_t(ascending ? r : distinct - 1 - r);
    };
    for (size_t i = 0; i < count; ++i)
        ++start[keyOf(i) + 1];
    for (size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    std::vector<qsizetype> sorted(count);
    for (size_t i = 0; i < count; ++i)
        sorted[start[keyOf(i)]++] = rowAt(i);
    return sorted;
}

// Whether the field's distinct texts hold `part`, any letter case.
std::vector<char> matching(const JournalIndex::Texts& t, const QString& part)
{
    std::vector<char> match(t.texts.size());
    for (size_t i = 0; i < match.size(); ++i)
        match[i] = cp1251::decode(t.texts[i]).contains(part, Qt::CaseInsensitive);
    return match;
}

} // namespace

void JournalIndex::reset(const JournalReader* reader)
{
    m_reader = reader;
    m_texts = {};
    m_numbers = {};
    m_ascending = {};
}

bool JournalIndex::isTextColumn(int column) const
{
    return !isNumeric(column) && !isDateTime(column);
}

const JournalIndex::Texts& JournalIndex::texts(int column)
{
    auto& texts = m_texts.at(size_t(column));
    if (!texts)
        texts = textsOf(
            *m_reader, size_t(std::max<qsizetype>(0, m_reader->size())), [](size_t i) { return qsizetype(i); }, column);
    return *texts;
}

const std::vector<long long>& JournalIndex::numbers(int column)
{
    if (isDateTime(column))
        column = DateColumn; // one key for both
    auto& numbers = m_numbers.at(size_t(column));
    if (!numbers) {
        numbers.emplace(size_t(std::max<qsizetype>(0, m_reader->size())));
        for (size_t i = 0; i < numbers->size(); ++i)
            (*numbers)[i] = numberKey(*m_reader, qsizetype(i), column);
    }
    return *numbers;
}

const std::vector<qsizetype>& JournalIndex::ascending(int column)
{
    if (isDateTime(column))
        column = DateColumn;
    auto& order = m_ascending.at(size_t(column));
    if (!order) {
        const size_t count = size_t(std::max<qsizetype>(0, m_reader->size()));
        const auto all = [](size_t i) { return qsizetype(i); };
        if (isTextColumn(column)) {
            order = sortByRank(texts(column), count, all, true);
        } else {
            const std::vector<long long>& keys = numbers(column);
            order.emplace(count);
            for (size_t i = 0; i < count; ++i)
                (*order)[i] = qsizetype(i);
            std::stable_sort(order->begin(), order->end(),
                             [&](qsizetype a, qsizetype b) { return keys[size_t(a)] < keys[size_t(b)]; });
        }
    }
    return *order;
}

std::vector<qsizetype> selectRows(const JournalReader& reader, const JournalFilter& filter, JournalIndex* index)
{
    std::vector<qsizetype> rows;
    rows.reserve(size_t(std::max<qsizetype>(0, reader.size())));
    const int from = filter.from.isNull() ? 0 : dateKey(filter.from);
    const int to = filter.to.isNull() ? 99999999 : dateKey(filter.to);
    const QByteArray operation = cp1251::encode(filter.operation);
    // With an index each distinct text is matched once, and a row looks up its text's answer.
    const JournalIndex::Texts* customers = nullptr;
    const JournalIndex::Texts* items = nullptr;
    std::vector<char> customerMatch, itemMatch;
    if (index && !filter.customer.isEmpty()) {
        customers = &index->texts(CustomerColumn);
        customerMatch = matching(*customers, filter.customer);
    }
    if (index && !filter.item.isEmpty()) {
        items = &index->texts(NameColumn);
        itemMatch = matching(*items, filter.item);
    }
    const JournalIndex::Texts* operations = nullptr;
    std::vector<char> operationMatch;
    if (index && !filter.operation.isEmpty()) {
        operations = &index->texts(OperationColumn);
        for (const QByteArray& text : operations->texts)
            operationMatch.push_back(text == operation);
    }
    const std::vector<long long>* dates = index && (from > 0 || to < 99999999) ? &index->numbers(DateColumn) : nullptr;
    const QByteArray order = QByteArray::number(filter.order);
    const auto keep = [&](qsizetype i) {
        if (filter.order != 0 && reader.fieldBytes(i, OrderColumn) != order)
            return false;
        if (!filter.operation.isEmpty() && !(operations ? operationMatch[size_t(operations->ids[size_t(i)])]
                                                        : reader.fieldBytes(i, OperationColumn) == operation))
            return false;
        if (from > 0 || to < 99999999) {
            const long long date = dates ? (*dates)[size_t(i)] / 1000000 : dateKey(reader.fieldBytes(i, DateColumn));
            if (date < from || date > to)
                return false;
        }
        if (!filter.customer.isEmpty() &&
            !(customers ? customerMatch[size_t(customers->ids[size_t(i)])]
                        : reader.field(i, CustomerColumn).contains(filter.customer, Qt::CaseInsensitive)))
            return false;
        if (!filter.item.isEmpty() && !(items ? itemMatch[size_t(items->ids[size_t(i)])]
                                              : reader.field(i, NameColumn).contains(filter.item, Qt::CaseInsensitive)))
            return false;
        return true;
    };
    for (qsizetype i = 0; i < reader.size(); ++i)
        if (keep(i))
            rows.push_back(i);
    return rows;
}

void sortRows(const JournalReader& reader, std::vector<qsizetype>& rows, int column, bool ascending,
              JournalIndex* index)
{
    if (index) {
        // The column's order over the whole journal, read for the rows given.
        const std::vector<qsizetype>& order = index->ascending(column);
        const bool all = rows.size() == order.size();
        std::vector<char> chosen;
        if (!all) {
            chosen.assign(order.size(), 0);
            for (qsizetype r : rows)
                chosen[size_t(r)] = 1;
        }
        std::vector<qsizetype> sorted;
        sorted.reserve(rows.size());
        if (ascending) {
            for (qsizetype r : order)
                if (all || chosen[size_t(r)])
                    sorted.push_back(r);
        } else {
            // Runs of equal keys from the last, each in journal order.
            const bool text = !isNumeric(column) && !isDateTime(column);
            const auto same = [&](qsizetype a, qsizetype b) {
                if (text) {
                    const JournalIndex::Texts& t = index->texts(column);
                    return t.rank[size_t(t.ids[size_t(a)])] == t.rank[size_t(t.ids[size_t(b)])];
                }
                const std::vector<long long>& keys = index->numbers(column);
                return keys[size_t(a)] == keys[size_t(b)];
            };
            for (size_t end = order.size(); end > 0;) {
                size_t begin = end - 1;
                while (begin > 0 && same(order[begin - 1], order[end - 1]))
                    --begin;
                for (size_t k = begin; k < end; ++k)
                    if (all || chosen[size_t(order[k])])
                        sorted.push_back(order[k]);
                end = begin;
            }
        }
        rows = std::move(sorted);
        return;
    }
    if (isNumeric(column) || isDateTime(column)) {
        std::vector<long long> keys(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            keys[i] = numberKey(reader, rows[i], column);
        sortByKey(rows, keys, ascending);
    } else {
        const JournalIndex::Texts t = textsOf(
            reader, rows.size(), [&](size_t i) { return rows[i]; }, column);
        rows = sortByRank(
            t, rows.size(), [&](size_t i) { return rows[i]; }, ascending);
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
