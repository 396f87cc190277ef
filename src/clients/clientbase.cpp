#include "clientbase.h"

#include "cp1251.h"
#include "error.h"
#include "linetext.h"

#include <QDir>
#include <algorithm>

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
    m_buffer = loadTextFile(m_filePath);

    const int lines = m_buffer.count();
    m_rows.assign(size_t(customersFor(lines)), Row{});
    for (int r = 0; r < customerCount(); ++r) {
        for (int f = 0; f < FieldCount; ++f) {
            const int line = 4 * r + f;
            if (line < lines)
                m_rows[size_t(r)][size_t(f)] = m_buffer.at(line);
        }
    }
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

void ClientBase::save()
{
    // A character the file cannot hold would come back as something else, and a line break would
    // shift every later field by a line: refuse before anything is written.
    checkStorable();
    m_buffer.clear();
    for (const Row& row : m_rows) {
        for (const QString& field : row)
            m_buffer.append(field);
    }
    saveTextFile(m_filePath, m_buffer);
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
