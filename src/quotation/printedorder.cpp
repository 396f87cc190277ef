#include "quotation/printedorder.h"

#include "base/error.h"
#include "files/atomicfile.h"
#include "files/textlines.h"
#include "pricing/order.h"
#include "quotation/shipment.h"
#include "quotation/summary.h"
#include "stock/journalreader.h"
#include "text/cp1251.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace korvanta {

const QString HeadingFile = QStringLiteral("heading.txt");
const QString CopyMark = QStringLiteral("КОПИЯ");

namespace {

const QString UnitCurrency = QStringLiteral("у.е.");

QString headingPath(const QString& directory)
{
    return directory.isEmpty() ? HeadingFile : QDir(directory).filePath(HeadingFile);
}

void dropBlankEnd(QStringList& lines)
{
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
}

} // namespace

QString orderNumberLine(long long number)
{
    return QStringLiteral("Заказ № %1").arg(number);
}

std::optional<long long> orderNumberFromText(const QString& text)
{
    // One number and nothing else but the words of the number line.
    static const QRegularExpression pattern(QStringLiteral("^\\s*(?:заказ)?\\s*(?:№|N|#)?\\s*(\\d{1,15})\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const long long number = match.captured(1).toLongLong();
    return number > 0 ? std::optional<long long>(number) : std::nullopt;
}

QStringList loadHeading(const QString& directory)
{
    QFile file(headingPath(directory));
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Не удалось прочитать шапку заказа \"%1\". %2")
                        .arg(QFileInfo(file).absoluteFilePath(), file.errorString()));
    QStringList lines = TextLines::fromBytes(file.readAll()).toStringList();
    dropBlankEnd(lines);
    return lines;
}

void saveHeading(const QString& directory, const QStringList& lines)
{
    QStringList kept;
    for (const QString& line : lines)
        kept += line.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")));
    dropBlankEnd(kept);
    const QString path = headingPath(directory);
    for (const QString& line : kept) {
        const int bad = cp1251::firstUnencodable(line);
        if (bad >= 0)
            throw Error(QStringLiteral("Символ «%1» в шапке заказа нельзя сохранить в кодировке Windows-1251.")
                            .arg(line.mid(bad, line.at(bad).isHighSurrogate() ? 2 : 1)));
    }
    if (kept.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            throw Error(
                QStringLiteral("Не удалось удалить шапку заказа \"%1\".").arg(QFileInfo(path).absoluteFilePath()));
        return;
    }
    const QString failure = replaceFile(path, TextLines::fromStrings(kept).toFileBytes());
    if (!failure.isEmpty())
        throw Error(QStringLiteral("Не удалось записать шапку заказа \"%1\". %2")
                        .arg(QFileInfo(path).absoluteFilePath(), failure));
}

QStringList paperText(const QStringList& heading, const QStringList& lines, long long number, bool copy)
{
    QStringList paper;
    if (copy)
        paper << CopyMark << QStringLiteral(" ");
    if (!heading.isEmpty())
        paper << heading << QStringLiteral(" ");
    paper << lines << orderNumberLine(number);
    return paper;
}

stock::OrderTerms orderTerms(const Order& order)
{
    const QChar decimal = order.decimal();
    stock::OrderTerms terms;
    terms.unit = order.settings.inLocalCurrency ? order.settings.currencyName : UnitCurrency;
    terms.rate = stock::journalNumber(order.settings.exchangeRate, decimal, true);
    terms.markup = stock::journalNumber(order.settings.markupPercent, decimal);
    if (order.settings.vatCharged)
        terms.vat = stock::journalNumber(order.settings.vatPercent, decimal);
    terms.orderDate = orderDateText(order.orderDate);
    return terms;
}

QStringList rebuildOrderLines(std::vector<stock::JournalRow> shipped, QChar fallbackDecimal)
{
    std::stable_sort(shipped.begin(), shipped.end(), [](const stock::JournalRow& a, const stock::JournalRow& b) {
        return a.linePosition < b.linePosition;
    });
    OrderText text;
    text.suffix = QStringLiteral(" ") + UnitCurrency;
    text.decimal = fallbackDecimal;
    if (!shipped.empty()) {
        const stock::JournalRow& first = shipped.front();
        const bool charged = !first.orderDate.isEmpty();
        if (charged) {
            text.date = first.orderDate;
            text.decimal = stock::decimalOf(first, fallbackDecimal);
            // The unit's name alone tells the suffix: " у.е." is the suffix of a currency of that
            // name too.
            text.suffix = QStringLiteral(" ") + first.unit;
            text.markupPercent = stock::readJournalNumber(first.markup).value_or(0);
            text.vatCharged = !first.vat.isEmpty();
            text.vatPercent = stock::readJournalNumber(first.vat).value_or(0);
        } else {
            const QDate date = QDate::fromString(first.date, QStringLiteral("dd.MM.yyyy"));
            text.date = date.isValid() ? QStringLiteral("%1.%2.%3").arg(date.day()).arg(date.month()).arg(date.year())
                                       : first.date;
        }
    }
    for (const stock::JournalRow& row : shipped) {
        if (row.orderDate.isEmpty())
            text.items.emplace_back(row.name, row.priceText);
        else
            text.items.emplace_back(row.orderLine, row.amount);
    }
    QStringList lines = summarize(text).lines;
    appendStatusLines(lines);
    return lines;
}

QStringList orderCopy(const stock::Journal& journal, long long number, QChar fallbackDecimal)
{
    std::vector<stock::JournalRow> rows;
    for (const stock::OrderLine& line : stock::orderLines(stock::JournalReader::load(journal.path()), number))
        rows.push_back(line.shipped);
    if (rows.empty())
        throw Error(QStringLiteral("В журнале нет отгрузки по заказу № %1.").arg(number));
    return paperText(loadHeading(journal.directory()), rebuildOrderLines(std::move(rows), fallbackDecimal), number,
                     true);
}

} // namespace korvanta
