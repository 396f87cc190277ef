#include "csv.h"

#include "cp1251.h"

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
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += Separator;
        const QByteArray bytes = cp1251::encode(fields[i]);
        if (needsQuotes(fields[i])) {
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
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    while (start < n) {
        ParsedRow r;
        r.offset = start;
        QByteArray field;
        bool quoted = false;
        bool complete = false;
        qsizetype i = start;
        while (i < n) {
            const char c = bytes[i];
            if (quoted) {
                if (c == '"') {
                    if (i + 1 < n && bytes[i + 1] == '"') {
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
                field.clear();
                ++i;
            } else if (c == '\n' || (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')) {
                i += c == '\r' ? 2 : 1;
                complete = true;
                break;
            } else {
                field += c;
                ++i;
            }
        }
        if (!complete) {
            result.tornOffset = start;
            break;
        }
        r.fields << cp1251::decode(field);
        r.length = i - start;
        result.rows.push_back(std::move(r));
        start = i;
    }
    return result;
}

} // namespace korvanta::csv
