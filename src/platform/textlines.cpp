#include "textlines.h"

#include "atomicfile.h"
#include "cp1251.h"
#include "error.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace korvanta {

namespace {

// The first `c` in [from, end), or end.
const char* findByte(const char* from, const char* end, char c)
{
    const void* found = std::memchr(from, c, size_t(end - from));
    return found ? static_cast<const char*>(found) : end;
}

} // namespace

TextLines TextLines::fromBytes(QByteArray bytes)
{
    TextLines lines;
    const char* const data = bytes.constData();
    const char* end = data + bytes.size();
    if (const void* nul = std::memchr(data, '\0', size_t(bytes.size())))
        end = static_cast<const char*>(nul);
    // Price-list lines run to about twenty bytes; reserving for sixteen spares regrowing the spans.
    lines.m_spans.reserve(size_t((end - data) / 16 + 1));
    // The next CR and the next LF, each looked for again only once the split has passed it.
    const char* cr = findByte(data, end, '\r');
    const char* lf = findByte(data, end, '\n');
    const char* start = data;
    while (start < end) {
        if (cr < start)
            cr = findByte(start, end, '\r');
        if (lf < start)
            lf = findByte(start, end, '\n');
        const char* stop = std::min(cr, lf);
        lines.m_spans.push_back({start - data, stop - start});
        if (stop == end)
            break;
        start = stop == cr && stop + 1 < end && stop[1] == '\n' ? stop + 2 : stop + 1;
    }
    lines.m_bytes = std::move(bytes);
    return lines;
}

TextLines TextLines::fromStrings(const QStringList& strings)
{
    TextLines lines;
    for (const QString& s : strings)
        lines.append(s);
    return lines;
}

void TextLines::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        throw Error(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TextLines::at(int index) const
{
    checkIndex(index);
    const Span& s = m_spans[size_t(index)];
    return cp1251::decode(QByteArrayView(m_bytes.constData() + s.offset, s.length));
}

QByteArrayView TextLines::bytesAt(int index) const
{
    checkIndex(index);
    const Span& s = m_spans[size_t(index)];
    return QByteArrayView(m_bytes.constData() + s.offset, s.length);
}

void TextLines::replace(int index, const QString& text)
{
    checkIndex(index);
    const QByteArray encoded = cp1251::encode(text);
    m_spans[size_t(index)] = {m_bytes.size(), encoded.size()};
    m_bytes.append(encoded);
}

void TextLines::append(const QString& text)
{
    const QByteArray encoded = cp1251::encode(text);
    m_spans.push_back({m_bytes.size(), encoded.size()});
    m_bytes.append(encoded);
}

void TextLines::clear()
{
    m_bytes.clear();
    m_spans.clear();
}

QByteArray TextLines::toFileBytes() const
{
    qsizetype total = 0;
    for (const Span& s : m_spans)
        total += s.length + 2;
    QByteArray out;
    out.reserve(total);
    for (const Span& s : m_spans) {
        out.append(m_bytes.constData() + s.offset, s.length);
        out.append("\r\n", 2);
    }
    return out;
}

QStringList TextLines::toStringList() const
{
    QStringList out;
    out.reserve(count());
    for (int i = 0; i < count(); ++i)
        out.append(at(i));
    return out;
}

TextLines loadTextFile(const QString& fileName)
{
    QFile file(fileName);
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (QFileInfo(fileName).isDir())
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, QStringLiteral("Is a directory")));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return TextLines::fromBytes(std::move(bytes));
}

void saveTextFile(const QString& fileName, const TextLines& lines)
{
    const QString reason = replaceFile(fileName, lines.toFileBytes());
    if (!reason.isEmpty())
        throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(QFileInfo(fileName).absoluteFilePath(), reason));
}

} // namespace korvanta
