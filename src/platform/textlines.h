#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvanta {

// A list of text lines as read from a cp1251 file. The bytes are kept as read and decoded only
// when a line is asked for, so a large price list loads at the speed of splitting it, and lines
// that nobody changes are written back byte for byte.
class TextLines {
public:
    TextLines() = default;

    // Splits file bytes into lines: CR LF, a lone CR and a lone LF each end a line (LF CR is two
    // ends), a last line without an end is a line, and a NUL byte ends the text.
    static TextLines fromBytes(QByteArray bytes);
    static TextLines fromStrings(const QStringList& lines);

    int count() const { return int(m_spans.size()); }
    bool isEmpty() const { return m_spans.empty(); }

    // Throws Error("List index out of bounds (<index>)") for an index the list does not have.
    QString at(int index) const;
    QByteArrayView bytesAt(int index) const;

    void replace(int index, const QString& text);
    void append(const QString& text);
    void clear();

    // The file form: every line followed by CR LF.
    QByteArray toFileBytes() const;
    QStringList toStringList() const;

private:
    struct Span {
        qsizetype offset;
        qsizetype length;
    };
    void checkIndex(int index) const;

    QByteArray m_bytes;
    std::vector<Span> m_spans;
};

// Reads a whole text file. Throws Error("Cannot open file \"<full path>\". <reason>").
TextLines loadTextFile(const QString& fileName);

// Replaces the file with the lines, each followed by CR LF. The new content is written beside the
// old file and swapped in at once, so a failure midway leaves the old file intact; a file that
// cannot be written in place (read-only, a folder in its way) is left alone.
// Throws Error("Cannot create file \"<full path>\". <reason>").
void saveTextFile(const QString& fileName, const TextLines& lines);

} // namespace korvanta
