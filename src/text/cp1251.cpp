#include "text/cp1251.h"

#include <QHash>
#include <array>

namespace korvanta::cp1251 {

namespace {

// Code page 1251 from 0x80 to 0xBF; 0x00 to 0x7F is ASCII and 0xC0 to 0xFF is А to я (U+0410 to
// U+044F). 0x98 has no character in the code page: it maps to U+0098, so that every byte still
// reads and writes back as itself. The table lives here rather than in Qt, whose "windows-1251"
// codec exists only in builds with ICU.
constexpr char16_t UpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

// Decoding is a table lookup per byte; encoding looks the character up in the reverse map.
struct Tables {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Tables()
    {
        for (int i = 0; i < 256; ++i) {
            if (i < 0x80)
                toUnicode[i] = char16_t(i);
            else if (i < 0xC0)
                toUnicode[i] = UpperHalf[i - 0x80];
            else
                toUnicode[i] = char16_t(0x0410 + (i - 0xC0));
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
