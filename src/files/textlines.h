#pragma once

#include <QByteArray>
#include <QSharedDataPointer>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvanta {

// A list of text lines as read from a cp1251 file. The bytes are kept as read and decoded only
// when a line is asked for, so a large price list loads at the speed of splitting it, and lines
// that nobody changes are written back byte for byte. Each line costs four bytes beside the text.
// Copies share the text until one of them changes.
class TextLines {
public:
    TextLines() = default;

    // Splits file bytes into lines: CR LF, a lone CR and a lone LF each end a line (LF CR is two
    // ends), a last line without an end is a line, and a NUL byte ends the text. Throws
    // Error("File too large") past MaxBytes.
    static TextLines fromBytes(QByteArray bytes);
    static TextLines fromStrings(const QStringList& lines);

    int count() const { return int(d->starts.size()); }
    bool isEmpty() const { return d->starts.empty(); }

    // Throws Error("List index out of bounds (<index>)") for an index the list does not have.
    QString at(int index) const;
    QByteArrayView bytesAt(int index) const;

    void replace(int index, const QString& text);
    void append(const QString& text);
    void clear();

    // The file form: every line followed by CR LF.
    QByteArray toFileBytes() const;
    QStringList toStringList() const;

    // The largest text the list holds: line starts are 31-bit offsets.
    static constexpr qsizetype MaxBytes = 0x7fffffff;

private:
    // A line start with this bit set is the index of a line in `changed` instead.
    static constexpr quint32 Changed = 0x80000000u;
    struct Data : QSharedData {
        QByteArray bytes; // as read; the text ends at `textEnd`
        qsizetype textEnd = 0;
        // Where each line starts; it runs to the next CR or LF (lines hold neither) or the text's end.
        std::vector<quint32> starts;
        std::vector<QByteArray> changed; // lines replaced or appended since the read
    };
    void checkIndex(int index) const;

    QSharedDataPointer<Data> d{new Data};
};

// Reads a whole text file. Throws Error("Cannot open file \"<full path>\". <reason>"), also for a
// file larger than TextLines::MaxBytes.
TextLines loadTextFile(const QString& fileName);

// Replaces the file with the lines, each followed by CR LF. The new content is written beside the
// old file and swapped in at once, so a failure midway leaves the old file intact; a file that
// cannot be written in place (read-only, a folder in its way) is left alone.
// Throws Error("Cannot create file \"<full path>\". <reason>").
void saveTextFile(const QString& fileName, const TextLines& lines);

} // namespace korvanta
