#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

// Spreadsheet text as LibreOffice Calc and Excel open it directly in a Russian setting: code page
// 1251, fields separated by ';', rows ended by CR LF, a field quoted (with its quotes doubled)
// only where it holds a ';', a quote, a line break or leading/trailing spaces.
namespace korvanta::csv {

constexpr char Separator = ';';

// One row with its line end, in cp1251. Characters cp1251 cannot hold become '?'.
QByteArray row(const QStringList& fields);
// The same with the fields `quoted` marks always quoted, which tells a spreadsheet program that
// offers it to keep them as text.
QByteArray row(const QStringList& fields, const std::vector<bool>& quoted);

struct ParsedRow {
    QStringList fields;
    qsizetype offset = 0; // where the row starts in the bytes
    qsizetype length = 0; // its bytes, line end included
};

struct Parsed {
    std::vector<ParsedRow> rows;
    // Bytes after the last complete row: a row a crash cut short (no line end, or an open quote).
    // They are never a row.
    qsizetype tornOffset = -1;
};

// Splits cp1251 bytes into rows of fields. A row is complete only with its line end (CR LF or
// LF) outside quotes.
Parsed parse(QByteArrayView bytes);

} // namespace korvanta::csv
