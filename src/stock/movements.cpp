#include "stock/movements.h"

#include "base/error.h"
#include "catalogue/pricelist.h"
#include "catalogue/pricelistediting.h"
#include "text/conversions.h"
#include "text/cp1251.h"

#include <QFileInfo>
#include <QHash>

#include <climits>
#include <map>

namespace korvanta::stock {

namespace {

// One record's movement under a number of its own.
long long moveOne(Journal& journal, const ItemRef& item, const QString& operation, const Actor& actor,
                  StockMove::Count count, long long amount)
{
    JournalRow row;
    row.workplace = actor.workplace;
    row.customer = actor.customer;
    row.operation = operation;
    MoveBatch batch(journal);
    batch.apply(item.fileName, {{item.fileName, item.record, item.name, count, amount, row}});
    return batch.order();
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
    return moveOne(journal, item, ReceiptOp, actor, StockMove::Count::Add, quantity);
}

long long setStock(Journal& journal, const ItemRef& item, long long count, const Actor& actor)
{
    return moveOne(journal, item, CorrectionOp, actor, StockMove::Count::Set, count);
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
    MoveBatch batch(journal, order);
    for (const QString& file : files) {
        size_t rows = 0;
        batch.change(file, [&](PriceList& list) {
            std::vector<StockMove> moves;
            for (const JournalRow& shipped : pick(orderLines(JournalReader::load(journal.path()), order), file)) {
                JournalRow row = shipped;
                row.amount = returnedAmount(shipped, shipped.quantity);
                row.date.clear();
                row.time.clear();
                row.workplace = actor.workplace;
                row.operation = ReturnOp;
                moves.push_back(
                    {shipped.fileName, shipped.record, shipped.name, StockMove::Count::Add, shipped.quantity, row});
            }
            rows = moves.size();
            return applyMoves(list, moves);
        });
        returned += int(rows);
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
    withListLock(journal, d.fileName, [&] {
        const PriceList list = loadPriceList(journal.listPath(d.fileName));
        StockMove move{d.fileName, d.record, d.name, StockMove::Count::Set, 0, {}};
        // Only the name is checked here: applyMoves would refuse the very count being accepted.
        if (d.record < 0 || d.record >= recordCount(list) || recordLine(list, d.record, NameLine) != d.name)
            throw RecordChangedError(move, list);
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
        move.row.workplace = actor.workplace;
        move.row.customer = actor.customer;
        move.row.operation = CorrectionOp;
        // The file is not written: the row alone brings the journal to the file's count.
        journal.append({movementRow(move, list, known.value_or(count), count)});
        accepted = true;
    });
    return accepted;
}

ShipmentJournal::ShipmentJournal(const QString& directory, const QString& customer, const QString& workplace)
    : m_journal(directory), m_batch(m_journal)
{
    m_terms.operation = ShipmentOp;
    m_terms.customer = customer;
    m_terms.workplace = workplace;
}

void ShipmentJournal::setOrder(long long order, const OrderTerms& terms)
{
    m_batch.setOrder(order);
    m_terms.unit = terms.unit;
    m_terms.rate = terms.rate;
    m_terms.markup = terms.markup;
    m_terms.vat = terms.vat;
    m_terms.orderDate = terms.orderDate;
}

StockMove ShipmentJournal::sale(const QString& fileName, int record, const QString& name, long long quantity) const
{
    return saleOf(fileName, record, name, quantity, m_terms);
}

} // namespace korvanta::stock
