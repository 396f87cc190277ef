// clients.dat as the client window reads it, and what it writes back from the rows it read.
#include "base/error.h"
#include "clients/clientbase.h"
#include "fuzzing.h"

using namespace korvanta;
using fuzzing::require;

namespace {

QList<QStringList> gridOf(const ClientBase& base)
{
    QList<QStringList> rows;
    for (int r = 0; r < base.rowCount(); ++r)
        rows.append(base.rowTexts(r));
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::writeScratchFile(ClientBase::fileName(), fuzzing::bytesOf(data, size));
    ClientBase base(fuzzing::scratch().path());
    base.load();

    const TextLines& lines = base.lineBuffer();
    require(base.customerCount() * 4 >= lines.count() - 2 && base.customerCount() * 4 <= lines.count() + 3,
            "about a customer per four lines");
    for (int r = 1; r < base.rowCount(); ++r)
        for (int f = 1; f <= ClientBase::FieldCount; ++f) {
            const int line = 4 * (r - 1) + f - 1;
            require(base.cell(r, f) == (line < lines.count() ? lines.at(line) : QString()), "a cell shows its line");
        }
    base.choose();

    // What was read can be written and reads back the same.
    const QList<QStringList> grid = gridOf(base);
    base.save();
    ClientBase reread(fuzzing::scratch().path());
    reread.load();
    require(gridOf(reread) == grid, "saving the rows read keeps them");
    return 0;
}
