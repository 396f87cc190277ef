#pragma once

#include "choicelist/choicelist.h"
#include "choicelist/namefinder.h"

#include <QAbstractListModel>
#include <QAbstractProxyModel>
#include <QCompleter>
#include <vector>

namespace korvanta {

// The entries of a choice list for its combo box: row i is entry i, its name decoded only when the
// row is shown, so a list of 100,000 records fills in one step and costs no memory per row.
class ChoiceListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setItems(const ChoiceItems& items);
    const ChoiceItems& items() const { return m_finder.items(); }
    NameFinder& finder() { return m_finder; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The combo box looks a typed text up among the names when editing ends: answered from the
    // names' bytes instead of 100,000 decoded strings.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

private:
    mutable NameFinder m_finder;
};

// The entries that hold the typed text, each row mapped to the entry's own position in the
// ChoiceListModel, so that picking one of two equal names chooses that one.
class MatchesModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    using QAbstractProxyModel::QAbstractProxyModel;

    void setMatches(const std::vector<int>& rows);

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;

private:
    std::vector<int> m_rows;
};

// Type-to-find for a choice list: the text typed so far offers, in list order, the entries whose
// names contain it, letter case aside. The search is the NameFinder's; the completer shows its
// result as it is, without filtering again.
class FindCompleter : public QCompleter {
    Q_OBJECT
public:
    FindCompleter(ChoiceListModel* names, QObject* parent);

    // While off, a text the program puts into the field (a list filled anew, the placeholder, a
    // choice shown) offers nothing and costs no search; typing searches again once it is on.
    void setSearching(bool on) { m_searching = on; }

protected:
    QStringList splitPath(const QString& path) const override;

private:
    ChoiceListModel* m_names;
    MatchesModel* m_matches;
    bool m_searching = true;
};

} // namespace korvanta
