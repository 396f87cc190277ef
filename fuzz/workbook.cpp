// Workbook bytes: the reader refuses with an Error or gives rows within the sheet's limits, none
// ending in an empty cell; the text cells written again read back as they were.
#include "workbook/workbook.h"
#include "base/error.h"
#include "fuzzing.h"

using namespace korvanta;
using fuzzing::require;
using workbook::Cell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<workbook::Row> rows;
    try {
        rows = workbook::read(fuzzing::bytesOf(data, size));
    } catch (const Error&) {
        return 0;
    }
    require(rows.size() <= 1048576, "rows within the sheet");
    require(rows.empty() || !rows.back().empty(), "no empty row at the end");
    size_t cells = 0;
    for (const workbook::Row& row : rows) {
        require(row.size() <= 16384, "cells within the row");
        require(row.empty() || row.back().kind != Cell::Kind::Empty, "no empty cell at a row's end");
        cells += row.size();
    }
    if (cells > 5000)
        return 0; // writing is slow; the small sheets say as much
    std::vector<workbook::Row> texts(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
        for (const Cell& cell : rows[r])
            texts[r].push_back(cell.kind == Cell::Kind::Text ? cell : Cell());
    std::vector<workbook::Row> again;
    try {
        again = workbook::read(workbook::write(QStringLiteral("Лист1"), texts));
    } catch (const Error&) {
        return 0; // a text the format cannot hold (too long) is refused, not written wrong
    }
    for (size_t r = 0; r < texts.size(); ++r)
        for (size_t c = 0; c < texts[r].size(); ++c)
            if (!texts[r][c].text.isEmpty())
                require(r < again.size() && c < again[r].size() && again[r][c] == texts[r][c],
                        "a text cell reads back as written");
    return 0;
}
