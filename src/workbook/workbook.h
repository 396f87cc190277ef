#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// One worksheet of an .xlsx workbook as rows of cells. Text cells stay text and numbers stay
// numbers, so a spreadsheet program opens and saves the sheet without converting anything.
namespace korvanta::workbook {

struct Cell {
    enum class Kind { Empty, Text, Number, Boolean, Error };
    Kind kind = Kind::Empty;
    QString text; // a text cell's text; an error cell's code ("#N/A"); a boolean's "0" or "1"
    double number = 0;

    static Cell ofText(const QString& text) { return {Kind::Text, text, 0}; }
    static Cell ofNumber(double number) { return {Kind::Number, QString(), number}; }
    bool operator==(const Cell& other) const
    {
        return kind == other.kind && text == other.text && number == other.number;
    }
};
using Row = std::vector<Cell>;

// The workbook's bytes: one sheet named `sheetName`, the first row in bold and kept in view.
// Throws Error when the library refuses a cell or the workbook.
QByteArray write(const QString& sheetName, const std::vector<Row>& rows);

// The first sheet of a workbook. Row i of the result is the sheet's row i + 1, rows and cells the
// sheet leaves out are empty, trailing empty cells are dropped. Throws Error (in Russian, for the
// owner) when the bytes are not a workbook: not a zip, no sheet, a part that is not XML.
std::vector<Row> read(QByteArrayView bytes);

} // namespace korvanta::workbook
