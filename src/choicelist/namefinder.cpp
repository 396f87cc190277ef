#include "choicelist/namefinder.h"

#include "text/cp1251.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

namespace korvanta {

namespace {

// Case folding over code page 1251, built from Qt's own folding so that a match here is a match of
// QString::contains(..., Qt::CaseInsensitive): two characters are the same letter case aside
// exactly when their folded characters are equal. Each folded character is stood for by the first
// byte that folds to it.
struct FoldTable {
    std::array<char, 256> ofByte{};
    QHash<char16_t, char> ofFolded;

    FoldTable()
    {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString decoded = cp1251::decode(QByteArrayView(&byte, 1));
            const char16_t folded = decoded.at(0).toCaseFolded().unicode();
            const auto it = ofFolded.constFind(folded);
            ofByte[size_t(b)] = it == ofFolded.constEnd() ? *ofFolded.insert(folded, byte) : *it;
        }
    }
};

const FoldTable& foldTable()
{
    static const FoldTable table;
    return table;
}

// The first place of `needle` in [from, to), or null.
const char* findIn(const char* from, const char* to, const QByteArray& needle)
{
    const size_t length = size_t(needle.size());
    if (size_t(to - from) < length)
        return nullptr;
    if (length == 1)
        return static_cast<const char*>(std::memchr(from, needle[0], size_t(to - from)));
#ifdef __GLIBC__
    return static_cast<const char*>(memmem(from, size_t(to - from), needle.constData(), length));
#else
    const char* hit = std::search(from, to, std::boyer_moore_horspool_searcher(needle.cbegin(), needle.cend()));
    return hit == to ? nullptr : hit;
#endif
}

// The same within one name: a few dozen bytes, where looking for the first byte and comparing the
// rest is quicker than setting up a general search.
const char* findInName(const char* from, const char* to, const QByteArray& needle)
{
    const qsizetype length = needle.size();
    const char first = needle[0];
    while (to - from >= length) {
        const char* hit = static_cast<const char*>(std::memchr(from, first, size_t(to - from - length + 1)));
        if (!hit)
            return nullptr;
        if (std::memcmp(hit + 1, needle.constData() + 1, size_t(length - 1)) == 0)
            return hit;
        from = hit + 1;
    }
    return nullptr;
}

// Results kept for texts typed before: enough for a long word typed and deleted again.
constexpr size_t RecentResults = 24;

} // namespace

bool NameFinder::foldText(const QString& text, QByteArray& out)
{
    const FoldTable& table = foldTable();
    out.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto it = table.ofFolded.constFind(text.at(i).toCaseFolded().unicode());
        if (it == table.ofFolded.constEnd())
            return false;
        out[i] = *it;
    }
    return true;
}

void NameFinder::buildIndex()
{
    const std::array<char, 256>& fold = foldTable().ofByte;
    const int n = m_items.size();
    m_start.clear();
    m_start.reserve(size_t(n) + 1);
    m_folded.clear();
    qsizetype used = 0;
    for (int k = 0; k < n; ++k) {
        const QByteArrayView name = m_items.bytesAt(k);
        const qsizetype need = used + name.size() + 1;
        if (need > m_folded.size())
            m_folded.resize(std::max(need, m_folded.size() * 2 + 4096));
        char* out = m_folded.data() + used;
        for (const char c : name)
            *out++ = fold[uchar(c)];
        *out = '\n';
        m_start.push_back(quint32(used));
        used = need;
    }
    m_start.push_back(quint32(used));
    m_folded.resize(used);
    m_indexed = true;
}

NameFinder::Result NameFinder::search(const QByteArray& needle, const Result* within) const
{
    Result out{needle, {}, {}};
    const char* const base = m_folded.constData();
    const size_t length = size_t(needle.size());
    const size_t names = m_start.size() - 1;
    auto keep = [&](size_t k, const char* hit) {
        out.positions.push_back(int(k));
        out.hits.push_back(quint32(hit - base));
    };
    if (within && needle.startsWith(within->needle)) {
        // The text grew at its end: it can only stand where the shorter text first stands or later.
        for (size_t i = 0; i < within->positions.size(); ++i) {
            const size_t k = size_t(within->positions[i]);
            const char* const from = base + within->hits[i];
            const char* const nameEnd = base + m_start[k + 1] - 1;
            if (from + length <= nameEnd && std::memcmp(from, needle.constData(), length) == 0)
                keep(k, from);
            else if (const char* hit = findInName(from + 1, nameEnd, needle))
                keep(k, hit);
        }
        return out;
    }
    // A short list of candidates is searched name by name; a long one as the whole block, which
    // is quicker than one search per name.
    if (within && within->positions.size() * 8 < names) {
        for (const int k : within->positions)
            if (const char* hit = findInName(base + m_start[size_t(k)], base + m_start[size_t(k) + 1] - 1, needle))
                keep(size_t(k), hit);
        return out;
    }
    const char* const end = base + m_folded.size();
    const char* from = base;
    size_t k = 0;
    while (const char* hit = findIn(from, end, needle)) {
        const size_t at = size_t(hit - base);
        while (m_start[k + 1] <= at)
            ++k;
        // Name k ends with the line feed at m_start[k + 1] - 1; a hit across it is none.
        if (at + length < m_start[k + 1]) {
            keep(k, hit);
            from = base + m_start[k + 1];
        } else {
            from = hit + 1;
        }
    }
    return out;
}

const std::vector<int>& NameFinder::find(const QString& text)
{
    QByteArray needle;
    if (!foldText(text, needle)) {
        m_none.clear();
        return m_none;
    }
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
        if (it->needle == needle) {
            std::rotate(it, it + 1, m_recent.end());
            return m_recent.back().positions;
        }
    }
    Result result{needle, {}, {}};
    if (needle.isEmpty()) {
        result.positions.resize(size_t(m_items.size()));
        for (size_t k = 0; k < result.positions.size(); ++k)
            result.positions[k] = int(k);
    } else {
        if (!m_indexed)
            buildIndex();
        // Every name that holds the text holds any part of it: the fewest such names will do, and
        // of those a beginning of the text best.
        const Result* narrowest = nullptr;
        for (const Result& r : m_recent) {
            if (r.needle.isEmpty() || !needle.contains(r.needle))
                continue;
            const bool prefix = needle.startsWith(r.needle);
            const bool narrowestPrefix = narrowest && needle.startsWith(narrowest->needle);
            if (!narrowest || (prefix && !narrowestPrefix) ||
                (prefix == narrowestPrefix && r.positions.size() < narrowest->positions.size()))
                narrowest = &r;
        }
        result = search(needle, narrowest);
    }
    if (m_recent.size() == RecentResults)
        m_recent.erase(m_recent.begin());
    m_recent.push_back(std::move(result));
    return m_recent.back().positions;
}

int NameFinder::findEqual(const QString& text, bool caseSensitive)
{
    if (caseSensitive) {
        if (!cp1251::canEncode(text))
            return -1;
        const QByteArray bytes = cp1251::encode(text);
        for (int k = 0; k < m_items.size(); ++k)
            if (m_items.bytesAt(k) == bytes)
                return k;
        return -1;
    }
    QByteArray needle;
    if (!foldText(text, needle))
        return -1;
    if (!m_indexed) {
        // Asked when editing ends, also with the placeholder in the field: no index is built for it.
        const std::array<char, 256>& fold = foldTable().ofByte;
        for (int k = 0; k < m_items.size(); ++k) {
            const QByteArrayView name = m_items.bytesAt(k);
            if (name.size() != needle.size())
                continue;
            qsizetype i = 0;
            while (i < name.size() && fold[uchar(name[i])] == needle[i])
                ++i;
            if (i == name.size())
                return k;
        }
        return -1;
    }
    const char* const base = m_folded.constData();
    const size_t length = size_t(needle.size());
    for (size_t k = 0; k + 1 < m_start.size(); ++k)
        if (m_start[k + 1] - 1 - m_start[k] == length &&
            std::memcmp(base + m_start[k], needle.constData(), length) == 0)
            return int(k);
    return -1;
}

} // namespace korvanta
