#include "textlines.h"

#include "cp1251.h"
#include "error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>

namespace korvanta {

TextLines TextLines::fromBytes(QByteArray bytes)
{
    TextLines lines;
    const char* data = bytes.constData();
    qsizetype size = bytes.size();
    if (const void* nul = std::memchr(data, '\0', size))
        size = static_cast<const char*>(nul) - data;
    lines.m_spans.reserve(size_t(size / 24 + 1));
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = data[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.m_spans.push_back({start, i - start});
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            i += 2;
        else
            i += 1;
        start = i;
    }
    if (start < size)
        lines.m_spans.push_back({start, size - start});
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
    const QString path = QFileInfo(fileName).absoluteFilePath();
    auto fail = [&](const QString& reason) {
        throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    };
    const QFileInfo info(fileName);
    if (info.isDir())
        fail(QStringLiteral("Is a directory"));
    if (info.exists()) {
        // The swap below would step over a file's own protection; only go on where the file itself
        // could be written in place.
        QFile probe(fileName);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
            fail(probe.errorString());
        probe.close();
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    const QByteArray bytes = lines.toFileBytes();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(file.errorString());
}

} // namespace korvanta
