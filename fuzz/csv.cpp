// Spreadsheet bytes: rows cover the bytes in order up to a torn tail, and each row written again
// reads back as the same fields.
#include "text/csv.h"
#include "fuzzing.h"

using namespace korvanta;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    const csv::Parsed parsed = csv::parse(bytes);

    qsizetype next = 0;
    for (const csv::ParsedRow& r : parsed.rows) {
        require(r.offset == next && r.length > 0, "rows follow each other");
        next = r.offset + r.length;
        require(next <= bytes.size(), "a row lies inside the bytes");
        require(bytes[next - 1] == '\n', "a complete row ends with its line end");
        require(!r.fields.isEmpty(), "a row has a field");

        const QByteArray written = csv::row(r.fields);
        const csv::Parsed reread = csv::parse(written);
        require(reread.rows.size() == 1 && reread.tornOffset < 0, "a written row is one complete row");
        require(reread.rows.front().fields == r.fields, "a written row keeps its fields");
    }
    require(parsed.tornOffset < 0 ? next == bytes.size() : parsed.tornOffset == next, "only the tail is torn");
    return 0;
}
