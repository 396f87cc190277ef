#include "stock/movement.h"

#include "catalogue/pricelistediting.h"
#include "files/atomicfile.h"
#include "files/filelock.h"
#include "files/filesystem.h"
#include "stock/journalreader.h"
#include "text/conversions.h"
#include "text/cp1251.h"
#include "text/csv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>

namespace korvanta::stock {

namespace {

const QString RedoSuffix = QStringLiteral(".korvanta-redo");
const QByteArray RedoHeading = "KORVANTA-REDO 1";

QString refusal(const StockMove& move, const PriceList& now)
{
    if (move.record < 0 || move.record >= recordCount(now))
        return QStringLiteral("В файле \"%1\" нет записи %2 («%3»). Ничего не изменено.")
            .arg(move.fileName)
            .arg(displayRecordNumber(move.record))
            .arg(move.name);
    return QStringLiteral("В файле \"%1\" на месте записи %2 теперь «%3», а не «%4». Ничего не изменено.")
        .arg(move.fileName)
        .arg(displayRecordNumber(move.record))
        .arg(recordLine(now, move.record, NameLine), move.name);
}

bool carriesName(const PriceList& list, const StockMove& move)
{
    return move.record >= 0 && move.record < recordCount(list) && recordLine(list, move.record, NameLine) == move.name;
}

// Stock counts are 32-bit numbers in the files; a count beyond that would not read back.
long long checkedCount(long long count, const StockMove& move)
{
    if (count < INT_MIN || count > INT_MAX)
        throw Error(QStringLiteral("Количество %1 для «%2» (файл \"%3\") слишком велико. Ничего не изменено.")
                        .arg(count)
                        .arg(move.name, move.fileName));
    return count;
}

// The size and SHA-256 of a list's bytes: what the list holds once the movement is in it.
QByteArray fingerprint(const QByteArray& bytes)
{
    return QByteArray::number(bytes.size()) + ' ' + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray redoBytes(const QByteArray& listBytes, const std::vector<JournalRow>& rows)
{
    QByteArray bytes = RedoHeading + "\r\n" + fingerprint(listBytes) + "\r\n";
    for (const JournalRow& row : rows)
        bytes += csv::row(row.fields());
    return bytes;
}

struct Redo {
    QByteArray fingerprint;
    std::vector<QStringList> rows; // as the journal holds them
};

// Nothing when the bytes are not a redo record written whole.
std::optional<Redo> parseRedo(const QByteArray& bytes)
{
    const qsizetype first = bytes.indexOf('\n');
    const qsizetype second = first < 0 ? -1 : bytes.indexOf('\n', first + 1);
    if (second < 0 || bytes.left(first).trimmed() != RedoHeading)
        return std::nullopt;
    Redo redo;
    redo.fingerprint = bytes.mid(first + 1, second - first - 1).trimmed();
    const csv::Parsed parsed = csv::parse(QByteArrayView(bytes).sliced(second + 1));
    if (parsed.tornOffset >= 0)
        return std::nullopt;
    for (const csv::ParsedRow& row : parsed.rows)
        redo.rows.push_back(row.fields);
    return redo;
}

// True when the journal holds every one of the rows (rows are appended in one write).
bool journalHolds(const Journal& journal, const std::vector<QStringList>& rows)
{
    const JournalReader reader = JournalReader::load(journal.path());
    const QByteArray order = cp1251::encode(rows.front().value(OrderColumn));
    std::vector<bool> found(rows.size(), false);
    for (qsizetype i = reader.size() - 1; i >= 0; --i) {
        if (reader.fieldBytes(i, OrderColumn) != order)
            continue;
        const QStringList fields = reader.fields(i);
        for (size_t r = 0; r < rows.size(); ++r)
            found[r] = found[r] || fields == rows[r];
    }
    return std::all_of(found.begin(), found.end(), [](bool f) { return f; });
}

QString cannotCreate(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot create file \"%1\". %2").arg(QFileInfo(path).absoluteFilePath(), reason);
}

} // namespace

StockMove saleOf(const QString& fileName, int record, const QString& name, long long quantity, JournalRow row)
{
    row.operation = ShipmentOp;
    return {fileName, record, name, StockMove::Count::Add, -quantity, std::move(row)};
}

RecordChangedError::RecordChangedError(const StockMove& move, const PriceList& now)
    : Error(refusal(move, now)), m_list(now)
{
}

JournalRow movementRow(const StockMove& move, const PriceList& list, long long before, long long after)
{
    JournalRow row = move.row;
    row.fileName = QFileInfo(move.fileName).fileName();
    row.record = move.record;
    row.name = recordLine(list, move.record, NameLine);
    if (row.priceText.isEmpty())
        row.priceText = recordLineOrEmpty(list, move.record, PriceLine);
    row.stockBefore = before;
    row.stockAfter = after;
    row.quantity = row.operation == ShipmentOp ? before - after : after - before;
    return row;
}

std::vector<JournalRow> applyMoves(PriceList& list, const std::vector<StockMove>& moves)
{
    for (const StockMove& move : moves)
        if (!carriesName(list, move))
            throw RecordChangedError(move, list);
    std::vector<JournalRow> rows;
    rows.reserve(moves.size());
    for (const StockMove& move : moves) {
        const long long before = textToInt(PriceRecord(list, move.record).stock());
        const long long after =
            checkedCount(move.count == StockMove::Count::Add ? before + move.amount : move.amount, move);
        setRecordStock(list, move.record, intToText(after));
        rows.push_back(movementRow(move, list, before, after));
    }
    return rows;
}

QString redoPath(const QString& listPath)
{
    return listPath + RedoSuffix;
}

void completePendingMove(Journal& journal, const QString& listPath)
{
    const QString redo = redoPath(listPath);
    // The list's lock guards its redo record too: a swap of the record cut short is settled here.
    recoverReplace(redo);
    QFile file(redo);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot open file \"%1\". %2").arg(QFileInfo(redo).absoluteFilePath(), file.errorString()));
    const std::optional<Redo> pending = parseRedo(file.readAll());
    file.close();
    if (pending && !pending->rows.empty()) {
        QFile list(listPath);
        // A list that never got the new content (the copy died before the swap) claims no rows.
        if (list.open(QIODevice::ReadOnly) && fingerprint(list.readAll()) == pending->fingerprint &&
            !journalHolds(journal, pending->rows)) {
            std::vector<JournalRow> rows;
            for (const QStringList& fields : pending->rows)
                if (const auto row = JournalRow::fromFields(fields))
                    rows.push_back(*row);
            if (!rows.empty())
                journal.append(std::move(rows));
        }
    }
    // Left behind, it is only looked at again: the rows are appended once.
    fileSystem().remove(redo);
}

void completePendingMoves(Journal& journal)
{
    const QDir folder(journal.directory().isEmpty() ? QStringLiteral(".") : journal.directory());
    QStringList lists;
    for (const QString& name :
         folder.entryList({QStringLiteral("*") + RedoSuffix + QStringLiteral("*")}, QDir::Files | QDir::Hidden)) {
        const QString list = name.left(name.indexOf(RedoSuffix));
        if (!list.isEmpty() && !lists.contains(list))
            lists.append(list);
    }
    for (const QString& list : lists)
        withListLock(journal, list, [] {});
}

void withListLock(Journal& journal, const QString& fileName, const std::function<void()>& work)
{
    const QString path = journal.listPath(fileName);
    withFileLock(path, [&] {
        completePendingMove(journal, path);
        work();
    });
}

MoveBatch::MoveBatch(Journal& journal, long long order) : m_journal(journal), m_order(order) {}

MoveBatch::MoveBatch(Journal& journal, std::function<void(const std::vector<JournalRow>&)> sink)
    : m_journal(journal), m_sink(std::move(sink))
{
}

PriceList MoveBatch::apply(const QString& fileName, const std::vector<StockMove>& moves, const Written& written)
{
    return change(
        fileName, [&](PriceList& list) { return applyMoves(list, moves); }, written);
}

PriceList MoveBatch::change(const QString& fileName, const std::function<std::vector<JournalRow>(PriceList&)>& change,
                            const Written& written)
{
    const QString path = m_journal.listPath(fileName);
    PriceList list;
    withListLock(m_journal, fileName, [&] {
        list = loadPriceList(path);
        std::vector<JournalRow> rows = change(list);
        const QByteArray bytes = list.toFileBytes();
        const bool redone = !rows.empty() && !m_sink;
        const QString redo = redoPath(path);
        if (redone) {
            if (m_order == 0)
                m_order = m_journal.reserveOrder();
            for (JournalRow& row : rows)
                if (row.order == 0)
                    row.order = m_order;
            stampUndated(rows);
            const QString failure = replaceFile(redo, redoBytes(bytes, rows));
            if (!failure.isEmpty())
                throw Error(cannotCreate(redo, failure));
        }
        const QString failure = replaceFile(path, bytes);
        if (!failure.isEmpty()) {
            // A new list still waiting beside the old one is settled by the next copy, with the
            // record; otherwise the movement did not happen.
            if (redone && !hasUnfinishedSwap(path))
                fileSystem().remove(redo);
            throw Error(cannotCreate(path, failure));
        }
        if (written)
            written(list);
        if (rows.empty())
            return;
        if (!redone) {
            if (m_sink)
                m_sink(rows);
            return;
        }
        m_journal.append(rows);
        fileSystem().remove(redo);
    });
    return list;
}

void shipMoves(MoveBatch& batch, const std::vector<StockMove>& moves, const ShipmentSteps& steps)
{
    for (size_t i = 0; i < moves.size(); ++i) {
        const StockMove& move = moves[i];
        try {
            batch.apply(move.fileName, {move}, [&](const PriceList& list) {
                if (steps.written)
                    steps.written(i, list);
            });
        } catch (const LockError& e) {
            // "Try later" alone would invite printing the order again, which ships the lists
            // before this one a second time: say what was not shipped.
            throw LockError(e.message() +
                            QStringLiteral(" Товары из этого файла и следующие товары заказа не отгружены."));
        } catch (const RecordChangedError& e) {
            // The owner may have edited the list since this copy read it: the wrong item's count
            // would have gone down.
            if (steps.refused)
                steps.refused(i, e.listNow());
            throw Error(QStringLiteral("Прайс-лист \"%1\" изменён: на месте товара \"%2\" теперь другая запись. Этот "
                                       "товар и следующие товары заказа не отгружены; выберите товар заново.")
                            .arg(QFileInfo(move.fileName).fileName(), move.name));
        }
    }
}

} // namespace korvanta::stock
