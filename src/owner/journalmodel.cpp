#include "owner/journalmodel.h"

#include "owner/stockdialogs.h"

#include <algorithm>

namespace korvanta {

using namespace stock;

JournalModel::JournalModel(QObject* parent) : QAbstractTableModel(parent) {}

void JournalModel::load(const QString& path)
{
    setReader(JournalReader::load(path));
}

int JournalModel::follow(const QString& path, int shownRow)
{
    // Rows are only ever appended, so a journal row keeps its index across reloads.
    const qsizetype kept = shownRow >= 0 && size_t(shownRow) < m_rows.size() ? m_rows[size_t(shownRow)] : -1;
    load(path);
    if (kept < 0)
        return -1;
    const auto at = std::find(m_rows.begin(), m_rows.end(), kept);
    return at == m_rows.end() ? -1 : int(at - m_rows.begin());
}

void JournalModel::setReader(JournalReader reader)
{
    beginResetModel();
    m_reader = std::move(reader);
    m_index.reset(&m_reader);
    rebuild();
    endResetModel();
}

void JournalModel::setFilter(const JournalFilter& filter)
{
    beginResetModel();
    m_filter = filter;
    rebuild();
    endResetModel();
}

void JournalModel::sort(int column, Qt::SortOrder order)
{
    beginResetModel();
    m_sortColumn = column;
    m_sortOrder = order;
    rebuild();
    endResetModel();
}

void JournalModel::rebuild()
{
    if (m_filter.isEmpty()) {
        m_rows.resize(size_t(std::max<qsizetype>(0, m_reader.size())));
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_rows[i] = qsizetype(i);
    } else {
        m_rows = selectRows(m_reader, m_filter, &m_index);
    }
    if (m_sortColumn >= 0)
        sortRows(m_reader, m_rows, m_sortColumn, m_sortOrder == Qt::AscendingOrder, &m_index);
    else
        std::reverse(m_rows.begin(), m_rows.end()); // the latest movements first
}

std::optional<JournalRow> JournalModel::journalRow(int row) const
{
    if (row < 0 || size_t(row) >= m_rows.size())
        return std::nullopt;
    return m_reader.row(m_rows[size_t(row)]);
}

int JournalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int JournalModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    const int column = index.column();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const QString text = m_reader.field(m_rows[size_t(index.row())], column);
        // Quantities and stock in digit groups; order numbers are names, kept as written.
        if (role == Qt::DisplayRole && (column == QuantityColumn || column == BeforeColumn || column == AfterColumn)) {
            bool ok = false;
            const long long value = text.toLongLong(&ok);
            if (ok)
                return grouped(value);
        }
        return text;
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = column == OrderColumn || column == RecordColumn || column == QuantityColumn ||
                            column == PriceColumn || column == BeforeColumn || column == AfterColumn;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    // Short titles where the journal's own are wider than their numbers.
    if (role == Qt::DisplayRole) {
        if (section == OrderColumn)
            return QStringLiteral("Заказ");
        if (section == QuantityColumn)
            return QStringLiteral("Кол-во");
        return columnTitles().at(section);
    }
    if (role == Qt::ToolTipRole)
        return columnTitles().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace korvanta
