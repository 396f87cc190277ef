#pragma once

#include "stock/journal.h"

#include <QByteArray>

#include <vector>

namespace korvanta::stock {

// The journal as read once: its bytes and where each movement row starts. Fields are decoded only
// when asked for, so a journal of a million rows opens at the speed of reading it.
class JournalReader {
public:
    JournalReader() = default;
    explicit JournalReader(QByteArray bytes);
    // A missing journal reads as an empty one; one that cannot be read throws Error.
    static JournalReader load(const QString& path);

    qsizetype size() const { return qsizetype(m_starts.size()) - 1; }
    bool isEmpty() const { return size() <= 0; }

    // The fields of row i, unquoted and decoded.
    QStringList fields(qsizetype i) const;
    // One field of row i, unquoted, in cp1251.
    QByteArray fieldBytes(qsizetype i, int column) const;
    QString field(qsizetype i, int column) const;
    // One field of row i as it stands in the bytes, quotes and all: for telling fields apart
    // without copying them.
    QByteArrayView rawField(qsizetype i, int column) const;
    std::optional<JournalRow> row(qsizetype i) const;
    // Bytes after the last whole row: a row a crash cut short; never a movement.
    qsizetype tornBytes() const { return m_torn; }

private:
    QByteArrayView rowBytes(qsizetype i) const;

    QByteArray m_bytes;
    std::vector<qsizetype> m_starts{0}; // row i is [m_starts[i], m_starts[i + 1])
    qsizetype m_torn = 0;
};

} // namespace korvanta::stock
