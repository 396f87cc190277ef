#include "reports/journalscan.h"

#include "stock/journal.h"
#include "text/cp1251.h"
#include "text/csv.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstring>

namespace korvanta::reports {

namespace {

const QByteArray& ueBytes()
{
    static const QByteArray bytes = cp1251::encode(QStringLiteral("у.е."));
    return bytes;
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

// "dd.MM.yyyy" as a Julian day; 0 when it is not a valid date.
int dayOf(QByteArrayView text)
{
    if (text.size() != 10 || text[2] != '.' || text[5] != '.')
        return 0;
    int parts[3] = {0, 0, 0};
    const int at[3][2] = {{0, 2}, {3, 5}, {6, 10}};
    for (int p = 0; p < 3; ++p)
        for (int i = at[p][0]; i < at[p][1]; ++i) {
            const char c = text[i];
            if (c < '0' || c > '9')
                return 0;
            parts[p] = parts[p] * 10 + (c - '0');
        }
    const QDate date(parts[2], parts[1], parts[0]);
    return date.isValid() ? int(date.toJulianDay()) : 0;
}

// The columns a movement is made of.
constexpr quint32 Wanted = (1u << stock::OrderColumn) | (1u << stock::DateColumn) | (1u << stock::OperationColumn) |
                           (1u << stock::FileColumn) | (1u << stock::RecordColumn) | (1u << stock::NameColumn) |
                           (1u << stock::QuantityColumn) | (1u << stock::PriceColumn) | (1u << AmountColumn) |
                           (1u << UnitColumn) | (1u << RateColumn) | (1u << MarkupColumn) | (1u << VatColumn);

} // namespace

bool readNumber(QByteArrayView text, double& value)
{
    text = trimmed(text);
    if (text.isEmpty() || text.size() > 63)
        return false;
    char buffer[64];
    int n = 0;
    for (char c : text) {
        if (c == ',')
            c = '.';
        buffer[n++] = c;
    }
    const char* begin = buffer[0] == '+' ? buffer + 1 : buffer;
    const auto result = std::from_chars(begin, buffer + n, value);
    return result.ec == std::errc() && result.ptr == buffer + n && std::isfinite(value);
}

bool readWhole(QByteArrayView text, long long& value)
{
    text = trimmed(text);
    if (!text.isEmpty() && text.front() == '+')
        text = text.sliced(1);
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.isEmpty() && result.ec == std::errc() && result.ptr == end;
}

bool Movement::inUe() const
{
    return unit.isEmpty() || unit == QByteArrayView(ueBytes());
}

double Movement::chargedUe() const
{
    // A row in a currency without a rate cannot be converted; it counts as it was charged.
    return inUe() || rate <= 0 ? charged() : charged() / rate;
}

int JournalScan::fileIndex(const QString& name)
{
    return fileIndex(QByteArrayView(cp1251::encode(name)));
}

int JournalScan::fileIndex(QByteArrayView name)
{
    const auto it = m_fileIndex.find(std::string_view(name.data(), size_t(name.size())));
    if (it != m_fileIndex.end())
        return it->second;
    m_fileBytes.emplace_back(name.data(), name.size());
    m_files.push_back(cp1251::decode(m_fileBytes.back()));
    const int index = int(m_files.size()) - 1;
    m_fileIndex.emplace(std::string_view(m_fileBytes.back().constData(), size_t(m_fileBytes.back().size())), index);
    return index;
}

void JournalScan::scan(QByteArrayView journal, const std::function<void(const Movement&)>& visit)
{
    static const QByteArray shipment = cp1251::encode(stock::ShipmentOp);
    static const QByteArray returned = cp1251::encode(stock::ReturnOp);
    static const QByteArray receipt = cp1251::encode(stock::ReceiptOp);
    static const QByteArray correction = cp1251::encode(stock::CorrectionOp);

    const char* data = journal.data();
    const qsizetype n = journal.size();
    QByteArrayView fields[ChargedColumnEnd];
    QByteArray unquoted[ChargedColumnEnd];
    QByteArrayView lastDate;
    int lastDay = 0;
    QByteArrayView lastFile;
    int lastFileIndex = -1;
    bool first = true;
    qsizetype pos = 0;
    while (pos < n) {
        // The row ends at a line feed outside quotes; a quoted field may hold one.
        const qsizetype start = pos;
        qsizetype end = -1;
        bool quoted = false;
        while (pos < n) {
            const char* nl = static_cast<const char*>(std::memchr(data + pos, '\n', size_t(n - pos)));
            const qsizetype stop = nl ? nl - data : n;
            for (const char* q = static_cast<const char*>(std::memchr(data + pos, '"', size_t(stop - pos))); q;
                 q = static_cast<const char*>(std::memchr(q + 1, '"', size_t(data + stop - q - 1))))
                quoted = !quoted;
            if (!nl) {
                pos = n;
                break;
            }
            pos = stop + 1;
            if (!quoted) {
                end = stop;
                break;
            }
        }
        if (end < 0) {
            // A last row a crash cut short is never a movement.
            if (trimmed(journal.sliced(start)).size() > 0)
                ++m_setAside;
            break;
        }
        if (end > start && data[end - 1] == '\r')
            --end;
        const bool header = first;
        first = false;

        // The date is the second field; a row outside the days asked for goes no further.
        if (!header && data[start] != '"') {
            const char* p = static_cast<const char*>(std::memchr(data + start, csv::Separator, size_t(end - start)));
            const char* q =
                p ? static_cast<const char*>(std::memchr(p + 1, csv::Separator, size_t(data + end - p - 1))) : nullptr;
            if (q && p[1] != '"') {
                const QByteArrayView date(p + 1, q - p - 1);
                if (date != lastDate) {
                    lastDay = dayOf(date);
                    lastDate = date;
                }
                if (lastDay != 0 && (lastDay < m_first || lastDay > m_last))
                    continue;
            }
        }

        int count = 0;
        const char* p = data + start;
        const char* rowEnd = data + end;
        while (count < ChargedColumnEnd) {
            if (p < rowEnd && *p == '"') {
                // Only the fields the reports read are unquoted; the customer, say, is only passed.
                const bool wanted = (Wanted >> count) & 1;
                QByteArray& out = unquoted[count];
                out.clear();
                for (++p; p < rowEnd; ++p) {
                    if (*p == '"') {
                        if (p + 1 < rowEnd && p[1] == '"')
                            ++p;
                        else
                            break;
                    }
                    if (wanted)
                        out += *p;
                }
                while (p < rowEnd && *p != csv::Separator)
                    ++p;
                fields[count++] = out;
            } else {
                const char* stop = p;
                while (stop < rowEnd && *stop != csv::Separator)
                    ++stop;
                fields[count++] = QByteArrayView(p, stop - p);
                p = stop;
            }
            if (p >= rowEnd)
                break;
            ++p; // the separator
        }
        Movement m;
        long long record = 0;
        if (count < stock::BaseColumnCount || !readWhole(fields[stock::OrderColumn], m.order) ||
            !readWhole(fields[stock::RecordColumn], record) || !readWhole(fields[stock::QuantityColumn], m.quantity)) {
            if (!header && end > start)
                ++m_setAside;
            continue;
        }
        const QByteArrayView date = fields[stock::DateColumn];
        if (date != lastDate) {
            lastDay = dayOf(date);
            // Only a date among the journal's own bytes outlives the row.
            const bool inJournal = date.data() >= data && date.data() < data + n;
            lastDate = inJournal ? date : QByteArrayView();
        }
        if (lastDay == 0) {
            lastDate = QByteArrayView();
            ++m_setAside;
            continue;
        }
        ++m_rows;
        m.day = lastDay;
        const QByteArrayView op = fields[stock::OperationColumn];
        m.operation = op == QByteArrayView(shipment)     ? Operation::Shipment
                      : op == QByteArrayView(returned)   ? Operation::Return
                      : op == QByteArrayView(receipt)    ? Operation::Receipt
                      : op == QByteArrayView(correction) ? Operation::Correction
                                                         : Operation::Other;
        const QByteArrayView file = fields[stock::FileColumn];
        if (lastFileIndex < 0 || file != lastFile) {
            lastFileIndex = fileIndex(file);
            lastFile = QByteArrayView(m_fileBytes[size_t(lastFileIndex)]);
        }
        m.item = {lastFileIndex, int(record)};
        m.name = fields[stock::NameColumn];
        if (m.operation == Operation::Shipment || m.operation == Operation::Return) {
            double amount = 0;
            if (count > AmountColumn && readNumber(fields[AmountColumn], amount)) {
                m.amount = amount;
                m.unit = count > UnitColumn ? trimmed(fields[UnitColumn]) : QByteArrayView();
                if (count > RateColumn)
                    readNumber(fields[RateColumn], m.rate);
                if (count > MarkupColumn)
                    readNumber(fields[MarkupColumn], m.markup);
                if (count > VatColumn)
                    readNumber(fields[VatColumn], m.vat);
            } else {
                // The price text is the order line's amount as chosen (for two memory modules, both),
                // in a unit the row does not say: counted as у.е. and marked as an estimate.
                readNumber(fields[stock::PriceColumn], m.amount);
                m.estimated = true;
            }
        }
        visit(m);
    }
}

} // namespace korvanta::reports
