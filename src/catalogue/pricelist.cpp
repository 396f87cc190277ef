#include "catalogue/pricelist.h"

#include "files/filelock.h"

namespace korvanta {

int recordCount(const PriceList& list)
{
    const int lines = list.count();
    return lines / RecordLines + (lines % RecordLines >= 4 ? 1 : 0);
}

QString recordLine(const PriceList& list, int record, int field)
{
    return list.at(PriceRecord::lineOf(record, field));
}

QString recordLineOrEmpty(const PriceList& list, int record, int field)
{
    const int line = PriceRecord::lineOf(record, field);
    return line < list.count() ? list.at(line) : QString();
}

void setRecordStock(PriceList& list, int record, const QString& stock)
{
    list.replace(PriceRecord::lineOf(record, StockLine), stock);
}

PriceList loadPriceList(const QString& fileName)
{
    return loadTextFile(fileName);
}

void savePriceList(const PriceList& list, const QString& fileName)
{
    saveTextFile(fileName, list);
}

PriceList updatePriceListFile(const QString& fileName, const std::function<void(PriceList&)>& change,
                              const std::function<void(const PriceList&)>& afterWrite)
{
    PriceList list;
    withFileLock(fileName, [&] {
        list = loadPriceList(fileName);
        change(list);
        savePriceList(list, fileName);
        if (afterWrite)
            afterWrite(list);
    });
    return list;
}

} // namespace korvanta
