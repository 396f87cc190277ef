#include "stock/journal.h"

#include "base/error.h"
#include "catalogue/pricelistediting.h"
#include "catalogue/shopfolder.h"
#include "files/atomicfile.h"
#include "files/filelock.h"
#include "files/filesystem.h"
#include "stock/journalreader.h"
#include "text/cp1251.h"
#include "text/csv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace korvanta::stock {

const QString JournalFile = QStringLiteral("journal.csv");
const QString TornFile = QStringLiteral("journal-torn.csv");
const QString CounterFile = QStringLiteral("journal-number.txt");
const QString ShipmentOp = QStringLiteral("отгрузка");
const QString ReturnOp = QStringLiteral("возврат");
const QString ReceiptOp = QStringLiteral("приход");
const QString CorrectionOp = QStringLiteral("правка");

const QStringList& columnTitles()
{
    static const QStringList titles{
        QStringLiteral("№ заказа"),      QStringLiteral("Дата"),          QStringLiteral("Время"),
        QStringLiteral("Рабочее место"), QStringLiteral("Заказчик"),      QStringLiteral("Операция"),
        QStringLiteral("Файл"),          QStringLiteral("Запись"),        QStringLiteral("Товар"),
        QStringLiteral("Количество"),    QStringLiteral("Цена"),          QStringLiteral("Было"),
        QStringLiteral("Стало"),         QStringLiteral("Строка заказа"), QStringLiteral("Цена за ед."),
        QStringLiteral("Сумма"),         QStringLiteral("Единица"),       QStringLiteral("Курс"),
        QStringLiteral("Наценка, %"),    QStringLiteral("НДС, %"),        QStringLiteral("Дата заказа"),
        QStringLiteral("Строка №")};
    return titles;
}

namespace {

// Every line end in the journal ends a row, so that its end can be read without its beginning.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

std::optional<long long> toNumber(const QString& text)
{
    bool ok = false;
    const long long value = text.toLongLong(&ok);
    return ok ? std::optional<long long>(value) : std::nullopt;
}

Error writeError(const QString& path, const QString& reason)
{
    return Error(
        QStringLiteral("Не удалось записать журнал \"%1\". %2").arg(QFileInfo(path).absoluteFilePath(), reason));
}

// Appends by writing at the end the file has (never through an append mode, which some share
// clients lack) and checks by the file's length that the bytes arrived: a client may drop a write
// without saying so. Whatever part of it did not arrive whole is cut off again. Only call it under
// the file's lock.
void writeAtEnd(QFile& file, qint64 size, const QByteArray& bytes)
{
    FileSystem& fs = fileSystem();
    const bool written = fs.writeAt(file, size, bytes);
    QString reason = file.errorString();
    syncToDisk(file);
    const qint64 length = fs.sizeOnDisk(file.fileName());
    if (written && length == size + bytes.size())
        return;
    if (written)
        reason =
            length < 0
                ? QStringLiteral("Длина файла после записи неизвестна.")
                : QStringLiteral("Записано байт: %1, длина файла выросла на %2.").arg(bytes.size()).arg(length - size);
    if (length != size)
        file.resize(size);
    throw writeError(file.fileName(), reason);
}

// The same for a file that is opened for this one append.
void appendChecked(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw writeError(path, file.errorString());
    writeAtEnd(file, file.size(), bytes);
}

// A crash in the middle of an append leaves a last row without its line end (or, in a row edited
// by hand, inside an open quote). It is moved to the torn file and the journal cut back to its
// last whole row, so that the rows appended next are never swallowed by it.
void setTornTailAside(QFile& file, qint64& size, const QString& tornPath)
{
    if (size == 0)
        return;
    const qint64 start = std::max<qint64>(0, size - 65536);
    // The usual case, a whole last row without quotes, needs no parsing.
    {
        const qint64 lastStart = std::max<qint64>(0, size - 4096);
        file.seek(lastStart);
        const QByteArray tail = file.read(size - lastStart);
        if (tail.endsWith('\n')) {
            const qsizetype previous = tail.lastIndexOf('\n', tail.size() - 2);
            if ((previous >= 0 || lastStart == 0) && tail.sliced(previous + 1).count('"') % 2 == 0)
                return;
        }
    }
    if (!file.seek(start))
        throw writeError(file.fileName(), file.errorString());
    const QByteArray block = file.read(size - start);
    qsizetype from = 0;
    if (start > 0)
        from = block.indexOf('\n') + 1;
    qint64 cut = -1;
    if (from > 0 || start == 0) {
        const csv::Parsed parsed = csv::parse(QByteArrayView(block).sliced(from));
        if (parsed.tornOffset < 0)
            return;
        cut = start + from + parsed.tornOffset;
    } else {
        // No line end in the whole block: the torn row began further back.
        cut = 0;
        for (qint64 end = start; end > 0;) {
            const qint64 begin = std::max<qint64>(0, end - 65536);
            file.seek(begin);
            const qsizetype at = file.read(end - begin).lastIndexOf('\n');
            if (at >= 0) {
                cut = begin + at + 1;
                break;
            }
            end = begin;
        }
    }
    file.seek(cut);
    const QByteArray torn = file.read(size - cut);
    appendChecked(tornPath, torn + "\r\n");
    if (!file.resize(cut))
        throw writeError(file.fileName(), file.errorString());
    size = cut;
}

// The highest order number among the journal's last rows. Returns repeat an old number, and so
// do the owner's corrections of an import after its first list, which may be many rows; the rows
// read reach back at least to a shipment or a receipt. A copy's order still being written may be
// followed by another's, so the highest of them counts, not the last.
long long highestOrder(QFile& file, qint64 size)
{
    const QByteArray returnOp = cp1251::encode(ReturnOp);
    const QByteArray correctionOp = cp1251::encode(CorrectionOp);
    for (qint64 window = 16 * 1024;; window *= 4) {
        const qint64 start = std::max<qint64>(0, size - window);
        file.seek(start);
        QByteArray block = file.read(size - start);
        qsizetype from = 0;
        if (start > 0) {
            from = block.indexOf('\n');
            if (from < 0)
                continue;
            ++from;
        }
        // Only two fields of each row are looked at; nothing is decoded.
        const JournalReader rows(block.sliced(from));
        long long highest = 0;
        bool anyNew = false;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            bool ok = false;
            const long long order = rows.fieldBytes(i, OrderColumn).toLongLong(&ok);
            if (!ok)
                continue;
            highest = std::max(highest, order);
            const QByteArray operation = rows.fieldBytes(i, OperationColumn);
            anyNew = anyNew || (operation != returnOp && operation != correctionOp);
        }
        if (anyNew || start == 0)
            return highest;
    }
}

// One more than every number the journal's last rows and the counter hold. A counter that is
// missing or unreadable counts as nothing: the journal's rows are enough.
long long nextNumber(QFile& journal, qint64 size, const QString& counterPath)
{
    long long counted = 0;
    QFile counter(counterPath);
    if (counter.open(QIODevice::ReadOnly))
        counted = std::max(0LL, counter.readAll().trimmed().toLongLong());
    return std::max(counted, size > 0 ? highestOrder(journal, size) : 0) + 1;
}

// The next number, kept in the counter: given out before its rows are written (a print), so no
// other copy takes it meanwhile. Rows appended at once need no counter: the journal holds them.
long long takeNumber(QFile& journal, qint64 size, const QString& counterPath)
{
    const long long next = nextNumber(journal, size, counterPath);
    const QString failure = replaceFile(counterPath, QByteArray::number(next) + "\r\n");
    if (!failure.isEmpty())
        throw writeError(counterPath, failure);
    return next;
}

} // namespace

QString journalNumber(double value, QChar decimal, bool showSeparator)
{
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (showSeparator && !text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n'))) // nan, inf
        text += QStringLiteral(".0");
    text.replace(QLatin1Char('.'), decimal);
    return text;
}

std::optional<double> readJournalNumber(const QString& text)
{
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QChar decimalOf(const JournalRow& row, QChar fallback)
{
    for (const QString* text : {&row.rate, &row.unitPrice, &row.amount})
        for (QChar c : *text)
            if (c == QLatin1Char(',') || c == QLatin1Char('.'))
                return c;
    return fallback;
}

QStringList JournalRow::fields() const
{
    return {QString::number(order),
            date,
            time,
            oneLine(workplace),
            oneLine(customer),
            operation,
            oneLine(fileName),
            QString::number(displayRecordNumber(record)),
            oneLine(name),
            QString::number(quantity),
            oneLine(priceText),
            QString::number(stockBefore),
            QString::number(stockAfter),
            oneLine(orderLine),
            unitPrice,
            oneLine(amount),
            oneLine(unit),
            rate,
            markup,
            vat,
            orderDate,
            linePosition > 0 ? QString::number(linePosition) : QString()};
}

std::optional<JournalRow> JournalRow::fromFields(const QStringList& fields)
{
    // Rows written before the charged columns existed end after BaseColumnCount.
    if (fields.size() < BaseColumnCount)
        return std::nullopt;
    const auto order = toNumber(fields[OrderColumn]);
    const auto record = toNumber(fields[RecordColumn]);
    const auto quantity = toNumber(fields[QuantityColumn]);
    const auto before = toNumber(fields[BeforeColumn]);
    const auto after = toNumber(fields[AfterColumn]);
    if (!order || !record || !quantity || !before || !after)
        return std::nullopt;
    JournalRow row;
    row.order = *order;
    row.date = fields[DateColumn];
    row.time = fields[TimeColumn];
    row.workplace = fields[WorkplaceColumn];
    row.customer = fields[CustomerColumn];
    row.operation = fields[OperationColumn];
    row.fileName = fields[FileColumn];
    row.record = recordFromDisplayNumber(int(*record));
    row.name = fields[NameColumn];
    row.quantity = *quantity;
    row.priceText = fields[PriceColumn];
    row.stockBefore = *before;
    row.stockAfter = *after;
    const auto text = [&](int column) { return column < fields.size() ? fields[column] : QString(); };
    row.orderLine = text(OrderLineColumn);
    row.unitPrice = text(UnitPriceColumn);
    row.amount = text(AmountColumn);
    row.unit = text(UnitColumn);
    row.rate = text(RateColumn);
    row.markup = text(MarkupColumn);
    row.vat = text(VatColumn);
    row.orderDate = text(OrderDateColumn);
    row.linePosition = int(toNumber(text(LinePositionColumn)).value_or(0));
    return row;
}

void stampUndated(std::vector<JournalRow>& rows)
{
    const QDateTime now = QDateTime::currentDateTime();
    for (JournalRow& row : rows)
        if (row.date.isEmpty()) {
            row.date = now.toString(QStringLiteral("dd.MM.yyyy"));
            row.time = now.toString(QStringLiteral("HH:mm:ss"));
        }
}

QString currentWorkplace()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
#ifdef Q_OS_UNIX
    // Started from a service or a bare session the variables may be missing; the account is not.
    if (user.isEmpty()) {
        if (const passwd* account = getpwuid(geteuid()))
            user = QString::fromLocal8Bit(account->pw_name);
    }
#endif
    return user + QLatin1Char('@') + QSysInfo::machineHostName();
}

Journal::Journal(QString directory) : m_directory(std::move(directory)) {}

QString Journal::listPath(const QString& fileName) const
{
    return shopFilePath(m_directory, fileName);
}

QString Journal::path() const
{
    return listPath(JournalFile);
}

QString Journal::tornPath() const
{
    return listPath(TornFile);
}

QString Journal::counterPath() const
{
    return listPath(CounterFile);
}

long long Journal::reserveOrder()
{
    long long order = 0;
    withFileLock(path(), [&] {
        recoverReplace(counterPath());
        QFile file(path());
        // A journal not yet there counts as empty; the counter is enough.
        if (file.exists() && !file.open(QIODevice::ReadOnly))
            throw writeError(path(), file.errorString());
        order = takeNumber(file, file.isOpen() ? file.size() : 0, counterPath());
    });
    return order;
}

long long Journal::append(std::vector<JournalRow> rows)
{
    if (rows.empty())
        return 0;
    long long order = 0;
    withFileLock(path(), [&] {
        // The counter's swap a killed copy cut short: its number stays given out.
        recoverReplace(counterPath());
        QFile file(path());
        if (!file.open(QIODevice::ReadWrite))
            throw writeError(path(), file.errorString());
        qint64 size = file.size();
        setTornTailAside(file, size, tornPath());

        stampUndated(rows);
        const bool numbered = std::all_of(rows.begin(), rows.end(), [](const JournalRow& r) { return r.order != 0; });
        // A failed write below must not use up a number: only the rows written hold it.
        const long long next = numbered ? 0 : nextNumber(file, size, counterPath());
        QByteArray bytes;
        if (size == 0)
            bytes += csv::row(columnTitles());
        for (JournalRow& row : rows) {
            if (row.order == 0)
                row.order = next;
            bytes += csv::row(row.fields());
        }
        order = rows.front().order;

        writeAtEnd(file, size, bytes);
    });
    return order;
}

} // namespace korvanta::stock
