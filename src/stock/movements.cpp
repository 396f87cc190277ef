#include "movements.h"

#include "conversions.h"
#include "cp1251.h"
#include "error.h"
#include "filelock.h"
#include "pricelist.h"
#include "pricelistediting.h"

#include <QFileInfo>
#include <QHash>

#include <climits>
#include <map>

namespace korvanta::stock {

namespace {

// Positions identify records; a list edited since the owner looked may hold another item there.
void checkName(const PriceList& list, const ItemRef& item)
{
    if (item.record < 0 || item.record >= recordCount(list))
        throw Error(QStringLiteral("В файле \"%1\" нет записи %2 («%3»). Ничего не изменено.")
                        .arg(item.fileName)
                        .arg(displayRecordNumber(item.record))
                        .arg(item.name));
    const QString actual = recordLine(list, item.record, NameLine);
    if (actual != item.name)
        throw Error(QStringLiteral("В файле \"%1\" на месте записи %2 теперь «%3», а не «%4». Ничего не изменено.")
                        .arg(item.fileName)
                        .arg(displayRecordNumber(item.record))
                        .arg(actual, item.name));
}

// Stock counts are 32-bit numbers in the files; a count beyond that would not read back.
long long checkedCount(long long count, const ItemRef& item)
{
    if (count < INT_MIN || count > INT_MAX)
        throw Error(QStringLiteral("Количество %1 для «%2» (файл \"%3\") слишком велико. Ничего не изменено.")
                        .arg(count)
                        .arg(item.name, item.fileName));
    return count;
}

// The row of one record's count going from `before` to `after`.
JournalRow movementRow(const Actor& actor, const QString& operation, const ItemRef& item, const PriceList& list,
                       long long before, long long after)
{
    JournalRow row;
    row.workplace = actor.workplace;
    row.customer = actor.customer;
    row.operation = operation;
    row.fileName = item.fileName;
    row.record = item.record;
    row.name = item.name;
    row.quantity = after - before;
    row.priceText = PriceRecord(list, item.record).price();
    row.stockBefore = before;
    row.stockAfter = after;
    return row;
}

// One movement of one record, journaled under the list's lock.
long long moveOne(Journal& journal, const ItemRef& item, const QString& operation, const Actor& actor,
                  const std::function<long long(long long)>& newCount)
{
    JournalRow row;
    long long order = 0;
    updatePriceListFile(
        journal.listPath(item.fileName),
        [&](PriceList& list) {
            checkName(list, item);
            const long long before = textToInt(PriceRecord(list, item.record).stock());
            const long long after = checkedCount(newCount(before), item);
            setRecordStock(list, item.record, intToText(after));
            row = movementRow(actor, operation, item, list, before, after);
        },
        [&](const PriceList&) { order = journal.append({row}); });
    return order;
}

// A return's "Сумма": the unit price times the quantity taken back. Rows without a unit price
// (written before the journal had one) keep theirs.
QString returnedAmount(const JournalRow& shipped, long long quantity)
{
    const auto unit = readJournalNumber(shipped.unitPrice);
    if (!unit)
        return shipped.amount;
    return formatMoney(*unit * double(quantity), decimalOf(shipped, systemDecimalSeparator()));
}

std::optional<long long> lastStockAfter(const JournalReader& reader, const QString& fileName, int record)
{
    const QByteArray file = cp1251::encode(QFileInfo(fileName).fileName());
    const QByteArray number = QByteArray::number(displayRecordNumber(record));
    for (qsizetype i = reader.size() - 1; i >= 0; --i) {
        if (reader.fieldBytes(i, RecordColumn) != number || reader.fieldBytes(i, FileColumn) != file)
            continue;
        bool ok = false;
        const long long after = reader.fieldBytes(i, AfterColumn).toLongLong(&ok);
        if (ok)
            return after;
    }
    return std::nullopt;
}

} // namespace

long long receiveGoods(Journal& journal, const ItemRef& item, long long quantity, const Actor& actor)
{
    if (quantity <= 0)
        throw Error(QStringLiteral("Количество прихода должно быть больше нуля."));
    return moveOne(journal, item, ReceiptOp, actor, [&](long long before) { return before + quantity; });
}

long long setStock(Journal& journal, const ItemRef& item, long long count, const Actor& actor)
{
    return moveOne(journal, item, CorrectionOp, actor, [&](long long) { return count; });
}

std::vector<OrderLine> orderLines(const JournalReader& reader, long long order)
{
    const QByteArray number = QByteArray::number(order);
    std::vector<OrderLine> lines;
    std::vector<JournalRow> returns;
    for (qsizetype i = 0; i < reader.size(); ++i) {
        if (reader.fieldBytes(i, OrderColumn) != number)
            continue;
        const auto row = reader.row(i);
        if (!row)
            continue;
        if (row->operation == ShipmentOp)
            lines.push_back({*row, false});
        else if (row->operation == ReturnOp)
            returns.push_back(*row);
    }
    // Each return takes back one shipped row of the same file and record.
    for (const JournalRow& back : returns)
        for (OrderLine& line : lines)
            if (!line.returned && line.shipped.fileName == back.fileName && line.shipped.record == back.record) {
                line.returned = true;
                break;
            }
    return lines;
}

int returnItems(Journal& journal, long long order, const std::vector<ItemRef>& lines, const Actor& actor)
{
    // Checked once now, to refuse a wrong request before any file changes, and again under each
    // list's lock, where no other copy can journal a return of that list's rows.
    const auto pick = [&](const std::vector<OrderLine>& all, const QString& onlyFile) {
        if (all.empty())
            throw Error(QStringLiteral("В журнале нет отгрузки по заказу № %1.").arg(order));
        std::vector<JournalRow> picked;
        if (lines.empty()) {
            for (const OrderLine& l : all)
                if (!l.returned && (onlyFile.isEmpty() || l.shipped.fileName == onlyFile))
                    picked.push_back(l.shipped);
            if (picked.empty() && onlyFile.isEmpty())
                throw Error(QStringLiteral("Заказ № %1 уже возвращён полностью.").arg(order));
            return picked;
        }
        for (const ItemRef& ref : lines) {
            if (!onlyFile.isEmpty() && ref.fileName != onlyFile)
                continue;
            const OrderLine* found = nullptr;
            for (const OrderLine& l : all)
                if (l.shipped.fileName == ref.fileName && l.shipped.record == ref.record)
                    found = &l;
            if (!found)
                throw Error(QStringLiteral("В заказе № %1 нет строки «%2» (файл \"%3\", запись %4).")
                                .arg(order)
                                .arg(ref.name, ref.fileName)
                                .arg(displayRecordNumber(ref.record)));
            if (found->returned)
                throw Error(
                    QStringLiteral("Строка «%1» заказа № %2 уже возвращена.").arg(found->shipped.name).arg(order));
            picked.push_back(found->shipped);
        }
        return picked;
    };

    const std::vector<JournalRow> wanted = pick(orderLines(JournalReader::load(journal.path()), order), QString());
    std::vector<QString> files;
    for (const JournalRow& r : wanted)
        if (std::find(files.begin(), files.end(), r.fileName) == files.end())
            files.push_back(r.fileName);

    int returned = 0;
    for (const QString& file : files) {
        std::vector<JournalRow> rows;
        updatePriceListFile(
            journal.listPath(file),
            [&](PriceList& list) {
                rows.clear();
                for (const JournalRow& shipped : pick(orderLines(JournalReader::load(journal.path()), order), file)) {
                    const ItemRef item{shipped.fileName, shipped.record, shipped.name};
                    checkName(list, item);
                    const long long before = textToInt(PriceRecord(list, item.record).stock());
                    const long long after = checkedCount(before + shipped.quantity, item);
                    setRecordStock(list, item.record, intToText(after));
                    JournalRow row = shipped;
                    row.amount = returnedAmount(shipped, shipped.quantity);
                    row.date.clear();
                    row.time.clear();
                    row.workplace = actor.workplace;
                    row.operation = ReturnOp;
                    row.stockBefore = before;
                    row.stockAfter = after;
                    rows.push_back(row);
                }
            },
            [&](const PriceList&) { journal.append(rows); });
        returned += int(rows.size());
    }
    return returned;
}

std::vector<Discrepancy> reconcile(const Journal& journal)
{
    return reconcile(journal, JournalReader::load(journal.path()));
}

std::vector<Discrepancy> reconcile(const Journal& journal, const JournalReader& reader)
{
    // The last "stock after" of every journaled record, by file and record.
    std::map<QString, std::map<int, long long>> journaled;
    QHash<QByteArray, std::map<int, long long>*> byFile;
    for (qsizetype i = 0; i < reader.size(); ++i) {
        bool recordOk = false, afterOk = false;
        const int record = recordFromDisplayNumber(reader.fieldBytes(i, RecordColumn).toInt(&recordOk));
        const long long after = reader.fieldBytes(i, AfterColumn).toLongLong(&afterOk);
        if (!recordOk || !afterOk)
            continue;
        const QByteArray file = reader.fieldBytes(i, FileColumn);
        auto*& records = byFile[file];
        if (!records)
            records = &journaled[reader.field(i, FileColumn)];
        (*records)[record] = after;
    }

    std::vector<Discrepancy> found;
    for (const auto& [file, records] : journaled) {
        PriceList list;
        try {
            list = loadPriceList(journal.listPath(file));
        } catch (const Error&) {
            continue; // a list that is gone has nothing to compare
        }
        for (const auto& [record, stock] : records) {
            if (record < 0 || record >= recordCount(list) || PriceRecord::lineOf(record, StockLine) >= list.count())
                continue;
            const QString text = PriceRecord(list, record).stock();
            const auto count = tryTextToInt(text);
            if (count && *count == stock)
                continue;
            found.push_back({file, record, recordLine(list, record, NameLine), stock, text});
        }
    }
    return found;
}

bool acceptFileCount(Journal& journal, const Discrepancy& d, const Actor& actor)
{
    bool accepted = false;
    const QString path = journal.listPath(d.fileName);
    withFileLock(path, [&] {
        const PriceList list = loadPriceList(path);
        const ItemRef item{d.fileName, d.record, d.name};
        checkName(list, item);
        const QString stockNow = PriceRecord(list, d.record).stock();
        const long long count = textToInt(stockNow);
        const auto known = lastStockAfter(JournalReader::load(journal.path()), d.fileName, d.record);
        if (known && *known == count)
            return;
        // The owner accepts the count the reconciliation showed, not one that came since.
        if (stockNow != d.fileStock)
            throw Error(QStringLiteral("Остаток товара \"%1\" в файле \"%2\" изменился после сверки: было %3, теперь "
                                       "%4. Количество не принято; сверка показана заново.")
                            .arg(d.name, d.fileName, d.fileStock, stockNow));
        journal.append({movementRow(actor, CorrectionOp, item, list, known.value_or(count), count)});
        accepted = true;
    });
    return accepted;
}

ShipmentJournal::ShipmentJournal(const QString& directory, const QString& customer, const QString& workplace)
    : m_own(std::make_unique<Journal>(directory)), m_journal(m_own.get()), m_customer(customer), m_workplace(workplace)
{
}

ShipmentJournal::ShipmentJournal(Journal& journal, const QString& customer, const QString& workplace)
    : m_journal(&journal), m_customer(customer), m_workplace(workplace)
{
}

void ShipmentJournal::record(const Item& item)
{
    JournalRow row;
    row.order = m_order;
    row.workplace = m_workplace;
    row.customer = m_customer;
    row.operation = ShipmentOp;
    row.fileName = QFileInfo(item.fileName).fileName();
    row.record = item.record;
    row.name = item.name;
    row.quantity = item.quantity;
    row.priceText = item.priceText;
    row.stockBefore = item.stockBefore;
    row.stockAfter = item.stockAfter;
    row.orderLine = item.orderLine;
    row.unitPrice = item.unitPrice;
    row.amount = item.amount;
    row.unit = m_terms.unit;
    row.rate = m_terms.rate;
    row.markup = m_terms.markup;
    row.vat = m_terms.vat;
    row.orderDate = m_terms.orderDate;
    row.linePosition = item.linePosition;
    const long long order = m_journal->append({row});
    if (m_order == 0)
        m_order = order;
}

} // namespace korvanta::stock
