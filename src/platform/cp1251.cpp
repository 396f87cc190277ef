#include "cp1251.h"

#include <QHash>
#include <QStringDecoder>
#include <array>

namespace korvanta::cp1251 {

namespace {

// Built once from Qt's own codec; decoding then is a table lookup per byte.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Tables()
    {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QStringDecoder decoder("windows-1251");
        const QString text = decoder(all);
        Q_ASSERT(text.size() == 256);
        for (int i = 0; i < 256; ++i) {
            toUnicode[i] = text.at(i).unicode();
            fromUnicode.insert(toUnicode[i], char(i));
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

} // namespace

QString decode(QByteArrayView bytes)
{
    const auto& table = tables().toUnicode;
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(table[src[i]]);
    return out;
}

QByteArray encode(const QString& text)
{
    const auto& map = tables().fromUnicode;
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80) {
            out[i] = char(c);
            continue;
        }
        const auto it = map.constFind(c);
        out[i] = it == map.constEnd() ? '?' : *it;
    }
    return out;
}

int firstUnencodable(const QString& text)
{
    const auto& map = tables().fromUnicode;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80 && !map.contains(c))
            return int(i);
    }
    return -1;
}

bool canEncode(const QString& text)
{
    return firstUnencodable(text) < 0;
}

} // namespace korvanta::cp1251
