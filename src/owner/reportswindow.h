#pragma once

#include "owner/filechooser.h"
#include "reports/reporttable.h"
#include "widgets/qtfacilities.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QDialog>

class QCheckBox;
class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QPainter;
class QPrinter;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace korvanta {

class SettingsStore;

// A report's table as the view shows it: numbers in the regional format, sorted by value.
class ReportTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setTable(reports::Table table);
    const reports::Table& table() const { return m_table; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    reports::Table m_table;
};

// "Отчёты": sales over time, items, stock on hand and what to order, each as a chart above its
// table, exported to a spreadsheet file or printed (or saved as PDF) with its chart. The choices
// are remembered in the settings store.
class ReportsWindow : public QDialog {
    Q_OBJECT
public:
    enum Report { SalesReport, ItemsReport, StockReport, OrderReport };
    enum ItemsView { AllItems, TopSellers, IdleItems, ByCategory };

    // `store` null: nothing is remembered; `report` null: the Qt error report.
    ReportsWindow(const QString& shopFolder, SettingsStore* store, ErrorReport* report = nullptr,
                  QWidget* parent = nullptr);
    ~ReportsWindow() override;

    // The day the periods count from; null: the computer's date.
    void setToday(const QDate& today);
    void setFileChooser(FileChooser* chooser);

    // Computes the chosen report again from the journal and the price lists as they are now.
    void refresh();
    void exportCsv();
    void print();
    void savePdf();
    // The report's title, chart and tables on the printer's pages.
    void render(QPrinter& printer);

    const std::vector<reports::Table>& tables() const { return m_tables; }
    QChart* chart() const;
    QTableView* tableView() const { return m_table; }

private:
    void readChoices();
    void saveChoices();
    void choicesChanged();
    QDate today() const;
    reports::Period chosenPeriod() const;
    void showSales();
    void showItems();
    void showStock();
    void showOrder();
    void setChart(QChart* chart);
    void showTables();

    QString m_folder;
    SettingsStore* m_store;
    QtErrorReport m_qtReport;
    ErrorReport* m_report;
    QtFileChooser m_qtFiles;
    FileChooser* m_files;
    QDate m_today;
    QChar m_decimal;
    bool m_restoring = false;

    QComboBox* m_reportBox;
    QComboBox* m_periodBox;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QComboBox* m_groupingBox;
    QComboBox* m_itemsViewBox;
    QSpinBox* m_horizon;
    QSpinBox* m_rateDays;
    QList<QWidget*> m_periodWidgets, m_groupingWidgets, m_itemsWidgets, m_orderWidgets;
    QChartView* m_chartView;
    ReportTableModel* m_model;
    QSortFilterProxyModel* m_sorted;
    QTableView* m_table;
    ReportTableModel* m_extraModel;
    QTableView* m_extraTable;
    QLabel* m_note;
    std::vector<reports::Table> m_tables;
};

} // namespace korvanta
