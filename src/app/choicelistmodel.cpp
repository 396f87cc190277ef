#include "choicelistmodel.h"

#include <QAbstractItemView>
#include <QListView>
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
    // Rows of one height: the offers lay out without measuring every one of them.
    auto* popup = new QListView;
    popup->setUniformItemSizes(true);
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
    m_matches->setMatches(m_names->finder().find(path));
    // An empty part: the completer offers every row of the matches as they are.
    return {QString()};
}

} // namespace korvanta
