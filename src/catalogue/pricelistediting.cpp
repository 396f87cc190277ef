#include "catalogue/pricelistediting.h"

#include "base/error.h"
#include "catalogue/shopfolder.h"
#include "text/conversions.h"
#include "text/linetext.h"

#include <QDir>
#include <cmath>
#include <limits>

namespace korvanta {

QString fieldTitle(ItemField field)
{
    switch (field) {
    case ItemField::Name:
        return QStringLiteral("Название");
    case ItemField::Price:
        return QStringLiteral("Цена");
    case ItemField::Spare1:
        return QStringLiteral("Резерв 1");
    case ItemField::Spare2:
        return QStringLiteral("Резерв 2");
    case ItemField::Stock:
        return QStringLiteral("Остаток");
    case ItemField::Description:
        return QStringLiteral("Описание");
    case ItemField::Spare3:
        return QStringLiteral("Резерв 3");
    }
    return QString();
}

PriceItem itemAt(const PriceList& list, int record)
{
    if (record < 0 || record >= recordCount(list))
        throw Error(QStringLiteral("List index out of bounds (%1)").arg(PriceRecord::lineOf(record, NameLine)));
    PriceItem item;
    for (int f = 0; f < ItemFieldCount; ++f)
        item.lines[size_t(f)] = recordLineOrEmpty(list, record, f);
    return item;
}

QString fieldProblem(ItemField field, const QString& text, QChar decimal)
{
    const int pos = firstUnstorable(text);
    if (pos >= 0)
        return QStringLiteral("%1 в поле «%2» нельзя сохранить в прайс-листе.")
            .arg(unstorableCharacter(text, pos), fieldTitle(field));
    if (field == ItemField::Name) {
        // A nameless item would be an empty line in the seller's choice list.
        if (text.trimmed().isEmpty())
            return QStringLiteral("Название не может быть пустым.");
    } else if (field == ItemField::Price) {
        if (text.trimmed().isEmpty())
            return QStringLiteral("Цена не указана.");
        const std::optional<double> value = tryTextToFloat(text, decimal);
        if (!value || !std::isfinite(*value))
            return QStringLiteral("Цена «%1» — не число. Дробную часть отделяйте знаком «%2».").arg(text, decimal);
    } else if (field == ItemField::Stock) {
        if (text.trimmed().isEmpty())
            return QStringLiteral("Остаток не указан.");
        if (!tryTextToInt(text))
            return QStringLiteral("Остаток «%1» — не целое число.").arg(text);
    }
    return QString();
}

namespace {

void throwIfProblem(ItemField field, const QString& text, QChar decimal)
{
    const QString problem = fieldProblem(field, text, decimal);
    if (!problem.isEmpty())
        throw Error(problem);
}

// Line `field` of `record`, added as empty lines when a short last record lacks it.
void setLine(PriceList& list, int record, ItemField field, const QString& text)
{
    const int line = PriceRecord::lineOf(record, int(field));
    while (list.count() <= line)
        list.append(QString());
    list.replace(line, text);
}

QString lineOrEmpty(const PriceList& list, int record, ItemField field)
{
    return recordLineOrEmpty(list, record, int(field));
}

// The stock after a change from `before` to `after` made on what the owner saw, applied to the
// count the file holds now, so that sales made since then still count.
int newStock(const std::optional<int>& current, const QString& before, const QString& after)
{
    const std::optional<int> from = tryTextToInt(before);
    const std::optional<int> to = tryTextToInt(after);
    if (!to)
        throw Error(QStringLiteral("Остаток «%1» — не целое число.").arg(after));
    if (!from || !current)
        return *to;
    const long long result = (long long)*current + *to - *from;
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        throw Error(QStringLiteral("Остаток «%1» — не целое число.").arg(result));
    return int(result);
}

// One list's change through the observer's writer, or else as a plain locked update.
void writeList(const QString& directory, const QString& file,
               const std::function<std::vector<StockChange>(PriceList&)>& change, const StockObserver& onStock)
{
    const StockReport written = [&](const std::vector<StockChange>& stock) {
        if (!stock.empty())
            onStock(stock);
    };
    if (onStock.writer) {
        onStock.writer(directory, file, change, written);
        return;
    }
    std::vector<StockChange> stock;
    updatePriceListFile(
        shopFilePath(directory, file), [&](PriceList& list) { stock = change(list); },
        [&](const PriceList&) { written(stock); });
}

} // namespace

void applyItemChanges(const QString& directory, const QString& file, const std::vector<ItemChange>& changes,
                      const StockObserver& onStock)
{
    const auto change = [&](PriceList& list) {
        std::vector<StockChange> stock;
        const int records = recordCount(list);
        // Every name first, so a refused record leaves the whole list unwritten.
        for (const ItemChange& change : changes) {
            if (change.record < 0 || change.record >= records)
                throw Error(QStringLiteral("В файле «%1» нет записи %2 («%3»). Файл не изменён.")
                                .arg(file)
                                .arg(displayRecordNumber(change.record))
                                .arg(change.name));
            const QString now = recordLine(list, change.record, NameLine);
            if (now != change.name)
                throw Error(QStringLiteral("В файле «%1» запись %2 называется теперь «%3», а не «%4»: её "
                                           "изменили в другой копии программы. Файл не изменён.")
                                .arg(file)
                                .arg(displayRecordNumber(change.record))
                                .arg(now, change.name));
        }
        for (const ItemChange& change : changes) {
            for (const FieldChange& f : change.fields) {
                if (f.field != ItemField::Stock) {
                    // Another copy's change of the same field is never written over unseen.
                    const QString now = lineOrEmpty(list, change.record, f.field);
                    if (now != f.before && now != f.after)
                        throw Error(QStringLiteral("В файле «%1» у записи %2 («%3») поле «%4» изменили в другой "
                                                   "копии программы: было «%5», теперь «%6». Файл не изменён.")
                                        .arg(file)
                                        .arg(displayRecordNumber(change.record))
                                        .arg(change.name, fieldTitle(f.field), f.before, now));
                    setLine(list, change.record, f.field, f.after);
                    continue;
                }
                const std::optional<int> current = tryTextToInt(lineOrEmpty(list, change.record, ItemField::Stock));
                const int after = newStock(current, f.before, f.after);
                setLine(list, change.record, ItemField::Stock, intToText(after));
                stock.push_back({file, change.record, QString(), QString(), current, after});
            }
        }
        for (StockChange& s : stock) {
            s.name = recordLine(list, s.record, NameLine);
            s.price = lineOrEmpty(list, s.record, ItemField::Price);
        }
        return stock;
    };
    writeList(directory, file, change, onStock);
}

bool editItem(const QString& directory, const QString& file, int record, const PriceItem& seen, const PriceItem& edited,
              QChar decimal, const StockObserver& onStock)
{
    ItemChange change{file, record, seen[ItemField::Name], {}};
    for (int f = 0; f < ItemFieldCount; ++f) {
        const auto field = ItemField(f);
        if (edited[field] == seen[field])
            continue;
        throwIfProblem(field, edited[field], decimal);
        change.fields.push_back({field, seen[field], edited[field]});
    }
    if (change.fields.empty())
        return false;
    applyItemChanges(directory, file, {change}, onStock);
    return true;
}

int appendItem(const QString& directory, const QString& file, const PriceItem& item, QChar decimal,
               const StockObserver& onStock)
{
    PriceItem added = item;
    if (added[ItemField::Stock].isEmpty())
        added[ItemField::Stock] = QStringLiteral("0");
    for (int f = 0; f < ItemFieldCount; ++f)
        throwIfProblem(ItemField(f), added[ItemField(f)], decimal);
    const int stockCount = *tryTextToInt(added[ItemField::Stock]);
    added[ItemField::Stock] = intToText(stockCount);

    int record = -1;
    writeList(
        directory, file,
        [&](PriceList& list) {
            const int stray = list.count() % RecordLines;
            if (stray >= 1 && stray <= 3)
                throw Error(QStringLiteral("Файл «%1» кончается лишними строками после последней записи (%2); "
                                           "новую запись добавить нельзя, пока они там. Файл не изменён.")
                                .arg(file)
                                .arg(stray));
            record = recordCount(list);
            for (int f = 0; f < ItemFieldCount; ++f)
                setLine(list, record, ItemField(f), added[ItemField(f)]);
            return std::vector<StockChange>{
                {file, record, added[ItemField::Name], added[ItemField::Price], std::nullopt, stockCount}};
        },
        onStock);
    return record;
}

} // namespace korvanta
