#include "text/csv.h"

#include "text/cp1251.h"

namespace korvanta::csv {

namespace {

bool needsQuotes(const QString& field)
{
    if (field.isEmpty())
        return false;
    if (field.front().isSpace() || field.back().isSpace())
        return true;
    for (QChar c : field)
        if (c == QLatin1Char(Separator) || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            return true;
    return false;
}

} // namespace

QByteArray row(const QStringList& fields)
{
    return row(fields, {});
}

QByteArray row(const QStringList& fields, const std::vector<bool>& quoted)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += Separator;
        const QByteArray bytes = cp1251::encode(fields[i]);
        if ((size_t(i) < quoted.size() && quoted[size_t(i)]) || needsQuotes(fields[i])) {
            out += '"';
            out += QByteArray(bytes).replace("\"", "\"\"");
            out += '"';
        } else {
            out += bytes;
        }
    }
    out += "\r\n";
    return out;
}

Parsed parse(QByteArrayView bytes)
{
    Parsed result;
    const char* const data = bytes.data();
    const qsizetype n = bytes.size();
    auto plain = [](char c) { return c != Separator && c != '\n' && c != '\r' && c != '"'; };
    auto lineEndAt = [&](qsizetype i) {
        return data[i] == '\n' || (data[i] == '\r' && i + 1 < n && data[i + 1] == '\n');
    };
    qsizetype start = 0;
    while (start < n) {
        ParsedRow r;
        r.offset = start;
        bool complete = false;
        qsizetype i = start;
        while (i < n) {
            // Most fields are a plain run of bytes, decoded where they lie.
            const qsizetype fieldStart = i;
            while (i < n && plain(data[i]))
                ++i;
            if (i < n && data[i] == Separator) {
                r.fields << cp1251::decode(bytes.sliced(fieldStart, i - fieldStart));
                ++i;
                continue;
            }
            if (i < n && lineEndAt(i)) {
                r.fields << cp1251::decode(bytes.sliced(fieldStart, i - fieldStart));
                i += data[i] == '\r' ? 2 : 1;
                complete = true;
                break;
            }
            if (i >= n)
                break;
            // A quote or a lone CR: the field is built byte by byte.
            QByteArray field(data + fieldStart, i - fieldStart);
            bool quoted = false;
            bool fieldEnded = false;
            while (i < n) {
                const char c = data[i];
                if (quoted) {
                    if (c == '"') {
                        if (i + 1 < n && data[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        quoted = false;
                    } else {
                        field += c;
                    }
                    ++i;
                    continue;
                }
                if (c == '"') {
                    quoted = true;
                    ++i;
                } else if (c == Separator) {
                    r.fields << cp1251::decode(field);
                    ++i;
                    fieldEnded = true;
                    break;
                } else if (lineEndAt(i)) {
                    r.fields << cp1251::decode(field);
                    i += c == '\r' ? 2 : 1;
                    complete = true;
                    break;
                } else {
                    field += c;
                    ++i;
                }
            }
            if (!fieldEnded)
                break;
        }
        if (!complete) {
            result.tornOffset = start;
            break;
        }
        r.length = i - start;
        result.rows.push_back(std::move(r));
        start = i;
    }
    return result;
}

} // namespace korvanta::csv
