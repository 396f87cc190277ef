#pragma once

#include "stock/journalquery.h"
#include "stock/journalreader.h"

#include <QAbstractTableModel>

namespace korvanta {

// The journal as a table: the rows a filter keeps, in the order asked for. Fields are decoded only
// for the rows the view paints.
class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit JournalModel(QObject* parent = nullptr);

    // Shows the journal at `path` again from its file, keeping the filter and the order.
    void load(const QString& path);
    // The same for a journal that others append to: returns the table row that now shows the
    // journal row table row `shownRow` showed before (-1 when none did or none does).
    int follow(const QString& path, int shownRow);
    void setReader(stock::JournalReader reader);
    void setFilter(const stock::JournalFilter& filter);
    const stock::JournalFilter& filter() const { return m_filter; }

    qsizetype totalRows() const { return m_reader.size(); }
    // The journal row shown in table row `row`.
    std::optional<stock::JournalRow> journalRow(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Column -1: the journal's order, newest first.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void rebuild();

    stock::JournalReader m_reader;
    stock::JournalIndex m_index{&m_reader};
    stock::JournalFilter m_filter;
    std::vector<qsizetype> m_rows;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace korvanta
