#include "catalogue/pricelistexchange.h"

#include "base/error.h"
#include "catalogue/categorytable.h"
#include "catalogue/shopfolder.h"
#include "files/atomicfile.h"
#include "text/conversions.h"
#include "text/csv.h"
#include "text/linetext.h"
#include "workbook/workbook.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>

namespace korvanta {

namespace {

// The sheet's field columns, in export order.
constexpr ItemField SheetFields[] = {ItemField::Name,   ItemField::Price, ItemField::Spare1,     ItemField::Spare2,
                                     ItemField::Spare3, ItemField::Stock, ItemField::Description};

QString fileColumn()
{
    return QStringLiteral("Файл");
}
QString recordColumn()
{
    return QStringLiteral("Номер");
}

// The 30 files in list order.
QStringList priceListFiles()
{
    QStringList files;
    for (Cat c : allCategories())
        files += category(c).files;
    return files;
}

bool isBlank(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// How many problems one message lists before it only counts the rest.
constexpr int ShownProblems = 20;

// The columns a spreadsheet should keep as text: the file and every line but price and stock.
std::vector<bool> textColumns()
{
    std::vector<bool> text{true, false};
    for (ItemField f : SheetFields)
        text.push_back(f != ItemField::Price && f != ItemField::Stock);
    return text;
}

// Calls `onRow` with every record's row of the sheet, in list and record order.
template <typename F> void forEachRecordRow(const QString& directory, F onRow)
{
    for (const QString& file : priceListFiles()) {
        const PriceList list = loadPriceList(shopFilePath(directory, file));
        const int records = recordCount(list);
        for (int r = 0; r < records; ++r) {
            const PriceItem item = itemAt(list, r);
            QStringList row{file, QString::number(displayRecordNumber(r))};
            for (ItemField f : SheetFields)
                row << item[f];
            onRow(row);
        }
    }
}

// A number cell when the text reads as a number that comes back as the same value; else text.
workbook::Cell numberCell(const QString& text, std::optional<double> value, QChar decimal)
{
    if (value && std::isfinite(*value) && tryTextToFloat(formatPlain(*value, decimal), decimal) == *value)
        return workbook::Cell::ofNumber(*value);
    return workbook::Cell::ofText(text);
}

// The significant digits of a number's text: "001200" has 2, "1,23456789012346E+018" 15.
int significantDigits(const QString& number)
{
    QString digits;
    for (QChar c : number) {
        if (c == QLatin1Char('e') || c == QLatin1Char('E'))
            break;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    qsizetype first = 0, last = digits.size();
    while (first < last && digits[first] == QLatin1Char('0'))
        ++first;
    while (last > first && digits[last - 1] == QLatin1Char('0'))
        --last;
    return int(last - first);
}

// Whether `shown` is how a spreadsheet shows the number `present` reads as: "00123" as "123",
// "1E5" as "100000" or "1,00E+05", " 42 " as "42", a 19-digit code rounded to the 15 digits a
// spreadsheet keeps. A text of more digits is no spreadsheet's doing, so it is a change.
bool numberAsShown(const QString& present, const QString& shown, QChar decimal)
{
    const std::optional<double> p = tryTextToFloat(present, decimal);
    const std::optional<double> s = tryTextToFloat(shown, decimal);
    if (!p || !s || significantDigits(shown) > 15)
        return false;
    return *p == *s || std::abs(*p - *s) <= 1e-14 * std::max(std::abs(*p), std::abs(*s));
}

// A day as a spreadsheet with Russian settings reads one from text: "01.11.2026", "1.11.26",
// "2026-11-01", or a day and month alone ("3.5"). `yearKnown` is false for the last.
std::optional<QDate> dateOf(const QString& text, bool* yearKnown = nullptr)
{
    const QString t = text.trimmed();
    for (const char* format : {"d.M.yyyy", "d.M.yy", "yyyy-M-d", "d.M"}) {
        QDate date = QDate::fromString(t, QLatin1String(format));
        if (!date.isValid() && QByteArrayView(format) == "d.M")
            date = QDate::fromString(t + QStringLiteral(".2000"), QStringLiteral("d.M.yyyy")); // 29.2 too
        if (!date.isValid())
            continue;
        if (yearKnown)
            *yearKnown = QByteArrayView(format) != "d.M";
        return date;
    }
    return std::nullopt;
}

// Whether `shown` is how a spreadsheet shows the day `present` reads as: "01.11.2026" as
// "01.11.26", "3.5" as "03.05.26" (the year it was opened in).
bool dateAsShown(const QString& present, const QString& shown)
{
    bool yearKnown = false;
    const std::optional<QDate> p = dateOf(present, &yearKnown);
    bool shownYearKnown = false;
    const std::optional<QDate> s = dateOf(shown, &shownYearKnown);
    if (!p || !s || !shownYearKnown || p->day() != s->day() || p->month() != s->month())
        return false;
    // "yy" reads as 19yy: only the last two digits of the year are shown.
    return !yearKnown || p->year() % 100 == s->year() % 100;
}

// A text field the spreadsheet turned into a number or a day and shows its way.
bool valueAsShown(const QString& present, const QString& shown, QChar decimal)
{
    return numberAsShown(present, shown, decimal) || dateAsShown(present, shown);
}

} // namespace

QStringList exportColumns()
{
    QStringList columns{fileColumn(), recordColumn()};
    for (ItemField f : SheetFields)
        columns << fieldTitle(f);
    return columns;
}

QString previousNameColumn()
{
    return QStringLiteral("Прежнее название");
}

QByteArray exportPriceLists(const QString& directory)
{
    QByteArray out = csv::row(exportColumns());
    const std::vector<bool> quoted = textColumns();
    forEachRecordRow(directory, [&](const QStringList& row) { out += csv::row(row, quoted); });
    return out;
}

QByteArray exportPriceListsWorkbook(const QString& directory, QChar decimal)
{
    std::vector<workbook::Row> rows;
    workbook::Row header;
    for (const QString& title : exportColumns())
        header.push_back(workbook::Cell::ofText(title));
    rows.push_back(std::move(header));
    const std::vector<bool> text = textColumns();
    const qsizetype priceColumn = exportColumns().indexOf(fieldTitle(ItemField::Price));
    forEachRecordRow(directory, [&](const QStringList& row) {
        workbook::Row cells;
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (text[size_t(c)]) {
                cells.push_back(workbook::Cell::ofText(row[c]));
                continue;
            }
            const std::optional<int> whole = tryTextToInt(row[c]);
            cells.push_back(numberCell(row[c],
                                       c == priceColumn ? tryTextToFloat(row[c], decimal)
                                       : whole          ? std::optional<double>(*whole)
                                                        : std::nullopt,
                                       decimal));
        }
        rows.push_back(std::move(cells));
    });
    return workbook::write(QStringLiteral("Прайс-листы"), rows);
}

bool isWorkbookPath(const QString& path)
{
    return path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
}

void exportPriceListsToFile(const QString& directory, const QString& sheetPath, QChar decimal)
{
    const QByteArray bytes =
        isWorkbookPath(sheetPath) ? exportPriceListsWorkbook(directory, decimal) : exportPriceLists(directory);
    const QString reason = replaceFile(sheetPath, bytes);
    if (!reason.isEmpty())
        throw Error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(QFileInfo(sheetPath).absoluteFilePath(), reason));
}

namespace {

class Planner {
public:
    Planner(const QString& directory, QChar decimal) : m_directory(directory), m_decimal(decimal)
    {
        const QStringList files = priceListFiles();
        for (int i = 0; i < files.size(); ++i)
            m_order.insert(files[i], i);
        m_rowOf.resize(size_t(files.size()));
    }

    ImportPlan planCsv(QByteArrayView sheet)
    {
        if (sheet.startsWith("\xEF\xBB\xBF")) {
            throw Error(QStringLiteral("Таблица сохранена в кодировке UTF-8. Сохраните её как CSV в кодировке "
                                       "Windows-1251 с разделителем «;». Ничего не записано."));
        }
        QByteArray bytes = sheet.toByteArray();
        // A sheet whose last row has no line end still ends there.
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += "\r\n";
        const csv::Parsed parsed = csv::parse(bytes);
        std::vector<QStringList> rows;
        rows.reserve(parsed.rows.size());
        for (const csv::ParsedRow& row : parsed.rows)
            rows.push_back(row.fields);
        if (parsed.tornOffset >= 0)
            problem(int(parsed.rows.size()) + 1, QString(), QStringLiteral("кавычка не закрыта до конца файла"));
        return plan(rows);
    }

    ImportPlan planWorkbook(QByteArrayView bytes)
    {
        std::vector<workbook::Row> cells;
        try {
            cells = workbook::read(bytes);
        } catch (const Error& e) {
            throw Error(QStringLiteral("Книга не читается. %1 Ничего не записано.").arg(e.message()));
        }
        std::vector<QStringList> rows(cells.size());
        for (size_t r = 0; r < cells.size(); ++r) {
            for (size_t c = 0; c < cells[r].size(); ++c) {
                const workbook::Cell& cell = cells[r][c];
                switch (cell.kind) {
                case workbook::Cell::Kind::Number:
                    rows[r] << formatPlain(cell.number, m_decimal);
                    break;
                case workbook::Cell::Kind::Boolean:
                case workbook::Cell::Kind::Error:
                    m_badCells.emplace(std::pair(int(r), int(c)),
                                       cell.kind == workbook::Cell::Kind::Error
                                           ? QStringLiteral("в ячейке ошибка «%1», а не значение").arg(cell.text)
                                           : QStringLiteral("в ячейке логическое значение, а не текст или число"));
                    rows[r] << cell.text;
                    break;
                default:
                    rows[r] << cell.text;
                }
            }
        }
        // A workbook leaves out the empty cells at a row's end.
        const qsizetype width = rows.empty() ? 0 : rows.front().size();
        for (QStringList& row : rows)
            while (row.size() < width)
                row << QString();
        return plan(rows);
    }

private:
    ImportPlan plan(const std::vector<QStringList>& rows)
    {
        if (rows.empty())
            throw Error(QStringLiteral("В таблице нет строки заголовка. Ничего не записано."));
        readHeader(rows.front());
        for (size_t i = 1; i < rows.size(); ++i)
            readRow(int(i), rows[i]);
        if (!m_problems.empty()) {
            // Problems in row order: a torn end, found first, is the sheet's last row.
            std::stable_sort(m_problems.begin(), m_problems.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            QStringList shown;
            for (int i = 0; i < std::min<int>(ShownProblems, int(m_problems.size())); ++i)
                shown << m_problems[i].second;
            if (m_problems.size() > ShownProblems)
                shown << QStringLiteral("…и ещё %1.").arg(m_problems.size() - ShownProblems);
            shown << QStringLiteral("Ничего не записано.");
            throw Error(shown.join(QLatin1Char('\n')));
        }
        std::sort(m_plan.items.begin(), m_plan.items.end(), [&](const ItemChange& a, const ItemChange& b) {
            const int fa = m_order.value(a.file), fb = m_order.value(b.file);
            return fa != fb ? fa < fb : a.record < b.record;
        });
        return std::move(m_plan);
    }

    void problem(int row, const QString& column, const QString& what)
    {
        if (column.isEmpty())
            m_problems.emplace_back(row, QStringLiteral("Строка %1: %2.").arg(row).arg(what));
        else
            m_problems.emplace_back(row, QStringLiteral("Строка %1, столбец «%2»: %3.").arg(row).arg(column, what));
    }

    void readHeader(const QStringList& header)
    {
        QHash<QString, int> known; // title in lower case -> -1 file, -2 record, -3 previous name, field
        known.insert(fileColumn().toLower(), -1);
        known.insert(recordColumn().toLower(), -2);
        known.insert(previousNameColumn().toLower(), -3);
        for (ItemField f : SheetFields)
            known.insert(fieldTitle(f).toLower(), int(f));
        m_header = header;
        m_columnCount = int(header.size());
        for (int c = 0; c < header.size(); ++c) {
            const QString title = header[c].trimmed();
            const auto it = known.constFind(title.toLower());
            if (it == known.constEnd()) {
                m_plan.ignoredColumns << title;
                continue;
            }
            int* slot = it.value() == -1   ? &m_fileCol
                        : it.value() == -2 ? &m_recordCol
                        : it.value() == -3 ? &m_previousCol
                                           : &m_fieldCol[size_t(it.value())];
            if (*slot >= 0)
                throw Error(
                    QStringLiteral("Строка 1: столбец «%1» встречается дважды. Ничего не записано.").arg(title));
            *slot = c;
        }
        QStringList missing;
        if (m_fileCol < 0)
            missing << fileColumn();
        if (m_recordCol < 0)
            missing << recordColumn();
        if (!missing.isEmpty())
            throw Error(QStringLiteral("Строка 1: в заголовке нет столбца «%1». Ничего не записано.")
                            .arg(missing.join(QStringLiteral("», «"))));
    }

    const PriceList* list(const QString& file)
    {
        auto it = m_lists.find(file);
        if (it == m_lists.end())
            it = m_lists.emplace(file, loadPriceList(shopFilePath(m_directory, file))).first;
        return &it->second;
    }

    // `index` counts the sheet's rows from 0, the header being 0.
    void readRow(int index, const QStringList& cells)
    {
        const int row = index + 1;
        if (std::all_of(cells.begin(), cells.end(), isBlank))
            return;
        ++m_plan.rows;
        for (int c : {m_fileCol, m_recordCol, m_previousCol}) {
            if (badCell(index, c))
                return;
        }
        for (int c : m_fieldCol) {
            if (badCell(index, c))
                return;
        }
        for (int c = m_columnCount; c < cells.size(); ++c) {
            if (!isBlank(cells[c])) {
                problem(row, QString(),
                        QStringLiteral("ячейка «%1» правее последнего столбца заголовка").arg(cells[c]));
                return;
            }
        }
        if (cells.size() < m_columnCount) {
            problem(row, QString(),
                    QStringLiteral("%1 ячеек вместо %2, как в заголовке").arg(cells.size()).arg(m_columnCount));
            return;
        }
        const QString file = cells[m_fileCol].trimmed();
        if (!m_order.contains(file)) {
            problem(row, fileColumn(), QStringLiteral("нет такого прайс-листа «%1»").arg(cells[m_fileCol]));
            return;
        }
        const PriceList* current = list(file);
        const std::optional<int> number = tryTextToInt(cells[m_recordCol].trimmed());
        if (!number) {
            problem(row, recordColumn(), QStringLiteral("«%1» — не номер записи").arg(cells[m_recordCol]));
            return;
        }
        const int record = recordFromDisplayNumber(*number);
        if (record < 0 || record >= recordCount(*current)) {
            problem(
                row, recordColumn(),
                QStringLiteral("в «%1» нет записи %2 (записей %3)").arg(file).arg(*number).arg(recordCount(*current)));
            return;
        }
        std::vector<int>& rowOf = m_rowOf[size_t(m_order.value(file))];
        rowOf.resize(size_t(recordCount(*current)));
        if (rowOf[size_t(record)] > 0) {
            problem(row, recordColumn(),
                    QStringLiteral("запись %1 из «%2» уже есть в строке %3")
                        .arg(*number)
                        .arg(file)
                        .arg(rowOf[size_t(record)]));
            return;
        }
        rowOf[size_t(record)] = row;

        // Only the lines the sheet has columns for are decoded.
        PriceItem item;
        item[ItemField::Name] = recordLine(*current, record, NameLine);
        for (ItemField f : SheetFields)
            if (f != ItemField::Name && m_fieldCol[size_t(f)] >= 0)
                item[f] = recordLineOrEmpty(*current, record, int(f));
        ItemChange change{file, record, item[ItemField::Name], {}};
        bool refused = false;
        for (ItemField f : SheetFields) {
            const int col = m_fieldCol[size_t(f)];
            if (f == ItemField::Name || col < 0)
                continue;
            const QString cell = cells[col];
            const QString& before = item[f];
            if (cell == before)
                continue;
            if (f != ItemField::Price && f != ItemField::Stock && valueAsShown(before, cell, m_decimal)) {
                ++m_plan.valuesAsShown;
                continue;
            }
            const QString trouble = fieldProblem(f, cell, m_decimal);
            if (!trouble.isEmpty()) {
                problem(row, fieldTitle(f), trouble.chopped(1));
                refused = true;
                continue;
            }
            QString after = cell;
            if (f == ItemField::Price) {
                const std::optional<double> was = tryTextToFloat(before, m_decimal);
                if (was && *was == *tryTextToFloat(cell, m_decimal))
                    continue;
            } else if (f == ItemField::Stock) {
                const int count = *tryTextToInt(cell);
                if (tryTextToInt(before) == count)
                    continue;
                after = intToText(count);
            }
            change.fields.push_back({f, before, after});
        }
        if (refused)
            return;
        if (!checkName(row, cells, item, change))
            return;
        if (!change.fields.empty())
            m_plan.items.push_back(std::move(change));
    }

    // Refuses the row of a workbook cell that holds no text or number in a column that is read.
    bool badCell(int index, int column)
    {
        const auto it = m_badCells.find({index, column});
        if (column < 0 || it == m_badCells.end())
            return false;
        problem(index + 1, column < m_header.size() ? m_header[column].trimmed() : QString(), it->second);
        return true;
    }

    // Adds a rename to `change`, or refuses a row that belongs to another item.
    bool checkName(int row, const QStringList& cells, const PriceItem& item, ItemChange& change)
    {
        const QString& name = item[ItemField::Name];
        const int nameCol = m_fieldCol[size_t(ItemField::Name)];
        const bool previousGiven = m_previousCol >= 0 && !cells[m_previousCol].isEmpty();
        if (previousGiven && cells[m_previousCol] != name && !valueAsShown(name, cells[m_previousCol], m_decimal)) {
            problem(row, previousNameColumn(),
                    QStringLiteral("запись %1 в «%2» называется «%3», а не «%4»; строка, видимо, о другом товаре")
                        .arg(displayRecordNumber(change.record))
                        .arg(change.file, name, cells[m_previousCol]));
            return false;
        }
        if (nameCol < 0 || cells[nameCol] == name)
            return true;
        if (valueAsShown(name, cells[nameCol], m_decimal)) {
            ++m_plan.valuesAsShown;
            return true;
        }
        const QString& newName = cells[nameCol];
        if (!previousGiven && !change.fields.empty()) {
            problem(row, fieldTitle(ItemField::Name),
                    QStringLiteral("запись %1 в «%2» называется «%3», а не «%4»; строка, видимо, о другом товаре "
                                   "(чтобы переименовать, измените в строке только название или укажите столбец «%5»)")
                        .arg(displayRecordNumber(change.record))
                        .arg(change.file, name, newName, previousNameColumn()));
            return false;
        }
        const QString trouble = fieldProblem(ItemField::Name, newName, m_decimal);
        if (!trouble.isEmpty()) {
            problem(row, fieldTitle(ItemField::Name), trouble.chopped(1));
            return false;
        }
        change.fields.insert(change.fields.begin(), FieldChange{ItemField::Name, name, newName});
        return true;
    }

    QString m_directory;
    QChar m_decimal;
    QHash<QString, int> m_order;
    std::map<QString, PriceList> m_lists;
    std::vector<std::vector<int>> m_rowOf; // sheet row of each list's records, 0: none yet
    int m_columnCount = 0;
    int m_fileCol = -1;
    int m_recordCol = -1;
    int m_previousCol = -1;
    std::array<int, ItemFieldCount> m_fieldCol{-1, -1, -1, -1, -1, -1, -1};
    std::vector<std::pair<int, QString>> m_problems;   // sheet row, message
    std::map<std::pair<int, int>, QString> m_badCells; // (row index, column) of a workbook: why unreadable
    QStringList m_header;
    ImportPlan m_plan;
};

} // namespace

ImportPlan planImport(QByteArrayView sheet, const QString& directory, QChar decimal)
{
    return Planner(directory, decimal).planCsv(sheet);
}

ImportPlan planImportWorkbook(QByteArrayView workbook, const QString& directory, QChar decimal)
{
    return Planner(directory, decimal).planWorkbook(workbook);
}

ImportPlan planImportFile(const QString& sheetPath, const QString& directory, QChar decimal)
{
    QFile file(sheetPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2")
                        .arg(QFileInfo(sheetPath).absoluteFilePath(), file.errorString()));
    const QByteArray bytes = file.readAll();
    // A workbook saved under another name is still a zip.
    if (isWorkbookPath(sheetPath) || bytes.startsWith("PK\x03\x04"))
        return planImportWorkbook(bytes, directory, decimal);
    return planImport(bytes, directory, decimal);
}

QStringList applyImport(const ImportPlan& plan, const QString& directory, const StockObserver& onStock)
{
    QStringList written;
    // A failure while the stock changes are reported comes after the list was replaced.
    bool replaced = false;
    StockObserver report = [&](const std::vector<StockChange>& changes) {
        replaced = true;
        onStock(changes);
    };
    report.writer = onStock.writer;
    size_t i = 0;
    while (i < plan.items.size()) {
        const QString file = plan.items[i].file;
        std::vector<ItemChange> changes;
        while (i < plan.items.size() && plan.items[i].file == file)
            changes.push_back(plan.items[i++]);
        replaced = false;
        try {
            applyItemChanges(directory, file, changes, report);
        } catch (const Error& e) {
            if (replaced)
                written << file;
            if (written.isEmpty())
                throw;
            throw Error(QStringLiteral("%1\nУже записаны: %2; остальные прайс-листы не изменены.")
                            .arg(e.message(), written.join(QStringLiteral(", "))));
        }
        written << file;
    }
    return written;
}

} // namespace korvanta
