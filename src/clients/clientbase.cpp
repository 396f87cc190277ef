#include "clients/clientbase.h"

#include "base/error.h"
#include "files/filelock.h"
#include "text/cp1251.h"
#include "text/linetext.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <map>

namespace korvanta {

namespace {

// round(lines / 4) with a half going to the even neighbour.
int customersFor(int lines)
{
    const int whole = lines / 4;
    switch (lines % 4) {
    case 2:
        return whole % 2 == 0 ? whole : whole + 1;
    case 3:
        return whole + 1;
    default:
        return whole;
    }
}

using Row = ClientBase::Row;

// The customer rows of the file's lines: round(lines / 4) rows, a row reaching past the end of the
// file showing the missing fields empty.
std::vector<Row> rowsOf(const TextLines& lines)
{
    std::vector<Row> rows(size_t(customersFor(lines.count())));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (int f = 0; f < ClientBase::FieldCount; ++f) {
            const int line = 4 * int(r) + f;
            if (line < lines.count())
                rows[r][size_t(f)] = lines.at(line);
        }
    }
    return rows;
}

// Takes one `row` out of the counted rows; false when none is left.
bool takeOne(std::map<Row, int>& counts, const Row& row)
{
    const auto it = counts.find(row);
    if (it == counts.end() || it->second == 0)
        return false;
    --it->second;
    return true;
}

// The rows of `from` not in `less`, counting repeats: `from` − `less` as multisets.
std::map<Row, int> difference(const std::vector<Row>& from, const std::vector<Row>& less)
{
    std::map<Row, int> counts;
    for (const Row& r : from)
        ++counts[r];
    for (const Row& r : less)
        takeOne(counts, r);
    return counts;
}

} // namespace

QString ClientBase::fileName()
{
    return QStringLiteral("clients.dat");
}

QString ClientBase::columnTitle(int column)
{
    switch (column) {
    case 1:
        return QStringLiteral("Ф.И.О.");
    case 2:
        return QStringLiteral("Телефон");
    case 3:
        return QStringLiteral("E-mail");
    case 4:
        return QStringLiteral("Примечания");
    default:
        return QString();
    }
}

ClientBase::ClientBase(const QString& directory)
    : m_filePath(directory.isEmpty() ? fileName() : QDir(directory).filePath(fileName())), m_rows(DesignRowCount - 1)
{
}

void ClientBase::checkCell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount)
        throw Error(QStringLiteral("Grid index out of range"));
}

QString ClientBase::cell(int row, int column) const
{
    checkCell(row, column);
    if (column == 0)
        return QString();
    if (row == 0)
        return columnTitle(column);
    return m_rows[size_t(row - 1)][size_t(column - 1)];
}

void ClientBase::setCell(int row, int column, const QString& text)
{
    checkCell(row, column);
    if (row == 0 || column == 0)
        throw Error(QStringLiteral("Grid index out of range"));
    m_rows[size_t(row - 1)][size_t(column - 1)] = text;
}

QStringList ClientBase::rowTexts(int row) const
{
    QStringList texts;
    for (int column = 0; column < ColumnCount; ++column)
        texts.append(cell(row, column));
    return texts;
}

void ClientBase::moveRow(int from, int to)
{
    if (from < 1 || from >= rowCount() || to < 1 || to >= rowCount())
        throw Error(QStringLiteral("Grid index out of range"));
    if (from == to)
        return;
    const auto first = m_rows.begin();
    if (from < to)
        std::rotate(first + (from - 1), first + from, first + to);
    else
        std::rotate(first + (to - 1), first + (from - 1), first + from);
    // The current row follows its customer.
    if (m_currentRow == from)
        m_currentRow = to;
    else if (from < to && m_currentRow > from && m_currentRow <= to)
        --m_currentRow;
    else if (to < from && m_currentRow >= to && m_currentRow < from)
        ++m_currentRow;
}

void ClientBase::setCurrentRow(int row)
{
    m_currentRow = m_rows.empty() ? 0 : std::clamp(row, 1, customerCount());
}

void ClientBase::load()
{
    m_buffer.clear();
    m_addEnabled = true;
    m_delEnabled = true;
    // The titles are not stored: row 0 always reads as them.
    try {
        m_buffer = loadTextFile(m_filePath);
    } catch (const Error&) {
        // Nothing was read: whatever the file holds at the next save is another copy's.
        m_fileRows.clear();
        throw;
    }
    m_rows = rowsOf(m_buffer);
    m_fileRows = m_rows;
    setCurrentRow(m_currentRow);
}

int ClientBase::firstUnstorable(const QString& text)
{
    return korvanta::firstUnstorable(text);
}

void ClientBase::checkStorable() const
{
    for (int r = 0; r < customerCount(); ++r) {
        for (int f = 0; f < FieldCount; ++f) {
            const QString& text = m_rows[size_t(r)][size_t(f)];
            const int pos = firstUnstorable(text);
            if (pos < 0)
                continue;
            const QString what = unstorableCharacter(text, pos);
            throw Error(QStringLiteral("%1 в строке %2, столбец «%3» нельзя сохранить в файле клиентов.")
                            .arg(what)
                            .arg(r + 1)
                            .arg(columnTitle(f + 1)));
        }
    }
}

QString ClientBase::mergedMessage()
{
    return QStringLiteral("Пока окно было открыто, другая копия программы сохранила базу клиентов. Её изменения "
                          "объединены с вашими и сохранены вместе с ними. Проверьте список.");
}

std::vector<ClientBase::Row> ClientBase::mergeRows(const std::vector<Row>& base, const std::vector<Row>& ours,
                                                   const std::vector<Row>& theirs)
{
    std::map<Row, int> goneThere = difference(base, theirs);
    std::map<Row, int> newHere = difference(ours, base);
    std::map<Row, int> newThere = difference(theirs, base);
    std::vector<Row> merged;
    for (const Row& row : ours)
        if (!takeOne(goneThere, row))
            merged.push_back(row);
    for (const Row& row : theirs)
        if (takeOne(newThere, row) && !takeOne(newHere, row))
            merged.push_back(row);
    return merged;
}

bool ClientBase::save()
{
    // A character the file cannot hold would come back as something else, and a line break would
    // shift every later field by a line: refuse before anything is written.
    checkStorable();
    bool merged = false;
    withFileLock(m_filePath, [&] {
        // The file as it is now: another copy may have saved it since this grid read it, and its
        // customers must not be lost by writing this grid over them.
        // A folder in the file's way holds no customers; the write below reports it.
        const std::vector<Row> now =
            QFileInfo(m_filePath).isFile() ? rowsOf(loadTextFile(m_filePath)) : std::vector<Row>();
        std::vector<Row> rows = m_rows;
        if (now != m_fileRows) {
            rows = mergeRows(m_fileRows, m_rows, now);
            merged = true;
        }
        TextLines buffer;
        for (const Row& row : rows) {
            for (const QString& field : row)
                buffer.append(field);
        }
        saveTextFile(m_filePath, buffer);
        m_buffer = std::move(buffer);
        m_rows = std::move(rows);
        m_fileRows = m_rows;
        setCurrentRow(m_currentRow);
    });
    return merged;
}

std::optional<std::vector<ClientBase::Row>> ClientBase::savedElsewhere() const
{
    if (!QFileInfo(m_filePath).isFile())
        return std::nullopt;
    std::vector<Row> now;
    try {
        now = rowsOf(loadTextFile(m_filePath));
    } catch (const Error&) {
        return std::nullopt;
    }
    if (now == m_fileRows)
        return std::nullopt;
    return now;
}

void ClientBase::takeSavedElsewhere(const std::vector<Row>& now)
{
    m_rows = m_rows == m_fileRows ? now : mergeRows(m_fileRows, m_rows, now);
    m_fileRows = now;
    setCurrentRow(m_currentRow);
}

QString ClientBase::savedElsewhereQuestion()
{
    return QStringLiteral("База клиентов сохранена в другой копии программы, пока было открыто это окно. "
                          "Показать её? Ваши несохранённые изменения останутся.");
}

void ClientBase::addRow()
{
    m_rows.push_back(Row{});
    if (m_currentRow == 0)
        m_currentRow = 1;
}

void ClientBase::deleteRow()
{
    if (m_rows.empty())
        return;
    m_rows.pop_back();
    setCurrentRow(m_currentRow);
}

std::optional<QString> ClientBase::choose() const
{
    if (m_currentRow < 1 || m_currentRow > customerCount())
        return std::nullopt;
    return m_rows[size_t(m_currentRow - 1)][0];
}

} // namespace korvanta
