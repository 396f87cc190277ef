#include "stock/journalreader.h"

#include "text/cp1251.h"
#include "text/csv.h"

#include "base/error.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace korvanta::stock {

namespace {

bool isHeader(QByteArrayView firstRow)
{
    const qsizetype separator = firstRow.indexOf(csv::Separator);
    const QByteArrayView first = separator < 0 ? firstRow : firstRow.first(separator);
    bool ok = false;
    QByteArray(first.data(), first.size()).trimmed().toLongLong(&ok);
    return !ok;
}

} // namespace

JournalReader::JournalReader(QByteArray bytes) : m_bytes(std::move(bytes))
{
    const char* data = m_bytes.constData();
    const qsizetype n = m_bytes.size();
    m_starts.clear();
    m_starts.reserve(size_t(n / 96 + 2));
    qsizetype start = 0;
    qsizetype pos = 0;
    bool quoted = false; // a quoted field may hold a line break (a row edited in a spreadsheet)
    while (pos < n) {
        const char* nl = static_cast<const char*>(std::memchr(data + pos, '\n', size_t(n - pos)));
        const qsizetype end = nl ? nl - data : n;
        for (const char* q = static_cast<const char*>(std::memchr(data + pos, '"', size_t(end - pos))); q;
             q = static_cast<const char*>(std::memchr(q + 1, '"', size_t(data + end - q - 1))))
            quoted = !quoted;
        if (!nl)
            break;
        pos = end + 1;
        if (!quoted) {
            m_starts.push_back(start);
            start = pos;
        }
    }
    m_torn = n - start;
    m_starts.push_back(start);
    if (m_starts.size() > 1 && isHeader(rowBytes(0)))
        m_starts.erase(m_starts.begin());
}

JournalReader JournalReader::load(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return JournalReader();
    // A journal that is there but cannot be read must not pass for an empty one.
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Не удалось прочитать журнал \"%1\". %2")
                        .arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
    return JournalReader(file.readAll());
}

QByteArrayView JournalReader::rowBytes(qsizetype i) const
{
    return QByteArrayView(m_bytes).sliced(m_starts[size_t(i)], m_starts[size_t(i) + 1] - m_starts[size_t(i)]);
}

QStringList JournalReader::fields(qsizetype i) const
{
    const csv::Parsed parsed = csv::parse(rowBytes(i));
    return parsed.rows.empty() ? QStringList() : parsed.rows.front().fields;
}

QByteArray JournalReader::fieldBytes(qsizetype i, int column) const
{
    const QByteArrayView row = rowBytes(i);
    const char* p = row.data();
    const char* end = p + row.size();
    for (int c = 0; c < column; ++c) {
        bool quoted = false;
        while (p < end && (quoted || *p != csv::Separator)) {
            if (*p == '"')
                quoted = !quoted;
            ++p;
        }
        if (p == end)
            return QByteArray();
        ++p;
    }
    if (p < end && *p == '"') {
        QByteArray out;
        for (++p; p < end; ++p) {
            if (*p == '"') {
                if (p + 1 < end && p[1] == '"')
                    ++p;
                else
                    break;
            }
            out += *p;
        }
        return out;
    }
    const char* stop = p;
    while (stop < end && *stop != csv::Separator && *stop != '\r' && *stop != '\n')
        ++stop;
    return QByteArray(p, stop - p);
}

QByteArrayView JournalReader::rawField(qsizetype i, int column) const
{
    const QByteArrayView row = rowBytes(i);
    const char* p = row.data();
    const char* end = p + row.size();
    for (int c = 0; c <= column; ++c) {
        const char* start = p;
        bool quoted = false;
        while (p < end && (quoted || (*p != csv::Separator && *p != '\r' && *p != '\n'))) {
            if (*p == '"')
                quoted = !quoted;
            ++p;
        }
        if (c == column)
            return QByteArrayView(start, p - start);
        if (p == end || *p != csv::Separator)
            return QByteArrayView();
        ++p;
    }
    return QByteArrayView();
}

QString JournalReader::field(qsizetype i, int column) const
{
    return cp1251::decode(fieldBytes(i, column));
}

std::optional<JournalRow> JournalReader::row(qsizetype i) const
{
    return JournalRow::fromFields(fields(i));
}

} // namespace korvanta::stock
