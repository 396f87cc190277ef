#include "app/choicelistmodel.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>

namespace korvanta {

void ChoiceListModel::setItems(const ChoiceItems& items)
{
    beginResetModel();
    m_finder = NameFinder(items);
    endResetModel();
}

int ChoiceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : items().size();
}

QVariant ChoiceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= items().size())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return items().at(index.row());
    return QVariant();
}

QModelIndexList ChoiceListModel::match(const QModelIndex& start, int role, const QVariant& value, int hits,
                                       Qt::MatchFlags flags) const
{
    // The first name equal to a text, as the combo box asks for it; anything else the usual way.
    const Qt::MatchFlags type = flags & Qt::MatchTypeMask;
    const bool firstEqual = start.isValid() && start.row() == 0 && start.column() == 0 && hits == 1 &&
                            (role == Qt::DisplayRole || role == Qt::EditRole) && !(flags & Qt::MatchRecursive) &&
                            (type == Qt::MatchExactly || type == Qt::MatchFixedString) &&
                            value.metaType() == QMetaType::fromType<QString>();
    if (!firstEqual)
        return QAbstractListModel::match(start, role, value, hits, flags);
    const bool caseSensitive = type == Qt::MatchExactly || (flags & Qt::MatchCaseSensitive);
    const int row = m_finder.findEqual(value.toString(), caseSensitive);
    return row < 0 ? QModelIndexList() : QModelIndexList{index(row)};
}

void MatchesModel::setMatches(const std::vector<int>& rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

QModelIndex MatchesModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || !sourceModel() || size_t(proxyIndex.row()) >= m_rows.size())
        return QModelIndex();
    return sourceModel()->index(m_rows[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex MatchesModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid())
        return QModelIndex();
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), sourceIndex.row());
    if (it == m_rows.end() || *it != sourceIndex.row())
        return QModelIndex();
    return index(int(it - m_rows.begin()), sourceIndex.column());
}

QModelIndex MatchesModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || size_t(row) >= m_rows.size() || column != 0)
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex MatchesModel::parent(const QModelIndex&) const
{
    return QModelIndex();
}

int MatchesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MatchesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

FindCompleter::FindCompleter(ChoiceListModel* names, QObject* parent)
    : QCompleter(parent), m_names(names), m_matches(new MatchesModel(this))
{
    m_matches->setSourceModel(names);
    setModel(m_matches);
    setFilterMode(Qt::MatchContains);
    setCaseSensitivity(Qt::CaseInsensitive);
    setCompletionMode(QCompleter::PopupCompletion);
    // The offers in a one-column table that looks like a list: a list view lays out every row
    // whenever the offers change, a table only the rows it shows.
    auto* popup = new QTableView;
    popup->horizontalHeader()->hide();
    popup->horizontalHeader()->setStretchLastSection(true);
    popup->verticalHeader()->hide();
    popup->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    popup->verticalHeader()->setDefaultSectionSize(popup->fontMetrics().height() + 4);
    popup->setShowGrid(false);
    popup->setWordWrap(false);
    popup->setEditTriggers(QAbstractItemView::NoEditTriggers);
    popup->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    popup->setSelectionBehavior(QAbstractItemView::SelectRows);
    popup->setSelectionMode(QAbstractItemView::SingleSelection);
    setPopup(popup);
    // A list filled anew offers nothing until the next key.
    connect(names, &QAbstractItemModel::modelReset, m_matches, [this] { m_matches->setMatches({}); });
}

QStringList FindCompleter::splitPath(const QString& path) const
{
    {
        // The completer filters its own model right after this; told of the change here as well,
        // it would lay its offers out twice.
        const QSignalBlocker quiet(m_matches);
        m_matches->setMatches(m_searching ? m_names->finder().find(path) : std::vector<int>());
    }
    // An empty part: the completer offers every row of the matches as they are.
    return {QString()};
}

} // namespace korvanta
