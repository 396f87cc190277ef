#pragma once

#include "owner/filechooser.h"
#include "owner/journalmodel.h"
#include "settings/settingsstore.h"
#include "stock/journal.h"
#include "widgets/qtfacilities.h"
#include "widgets/qtprinter.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

namespace korvanta {

class ErrorReport;
class ShopWatcher;
class ReportsWindow;

// The owner's main window: the journal of the shop folder as a table with its filters, and the
// ways to receive goods, take back an order and reconcile the price lists with the journal.
class OwnerWindow : public QMainWindow {
    Q_OBJECT
public:
    // `shopFolder`: where the price lists and the journal are; `report` null: the Qt one.
    explicit OwnerWindow(const QString& shopFolder, ErrorReport* report = nullptr, QWidget* parent = nullptr);

    stock::Journal& journal() { return m_journal; }
    JournalModel& model() { return *m_model; }
    QTableView* view() const { return m_view; }

    // Reads the journal again from its file.
    void refresh();
    // Rows other copies appended: shown at once, the filter, the order and the selected row kept.
    void followJournal();
    ShopWatcher& watcher() const { return *m_watcher; }
    // Takes the filter from the filter fields at once.
    void applyFilter();
    void resetFilter();

    // The dialogs, modal; the return starts at the order of the selected row.
    void openReceive();
    void openReturn();
    void openReconcile();
    // The price lists: editing items, and the spreadsheet of all lists out and back in. The import
    // shows what it will change and writes only when the owner confirms.
    void openItemEditor();
    void exportPriceLists();
    void importPriceLists();

    // The reports on the journal and the price lists, in a window of their own beside this one.
    void openReports();
    ReportsWindow* reportsWindow() const;

    // Another file dialog, e.g. a test's; null: the Qt one.
    void setFileChooser(FileChooser* chooser);
    // Another printer, e.g. a test's; null: the Qt one.
    void setPrinter(Printer* printer);

    // The shop's heading above every printed order.
    void openHeading();
    // Prints order `order` again from the journal, marked as a copy; nothing is shipped or
    // journaled. Without a number: the order of the selected row.
    void printCopy(long long order = 0);

    // Where the reports remember their choices; null: the user's settings file.
    void setSettingsStore(SettingsStore* store);

private:
    void printSelectedCopy();
    void showStatus(const QString& message = QString());
    void filterSoon();

    stock::Journal m_journal;
    QtErrorReport m_qtReport;
    ErrorReport* m_report;
    QtFileChooser m_qtFiles;
    FileChooser* m_files;
    std::unique_ptr<QtPrinter> m_qtPrinter;
    Printer* m_printer = nullptr;
    QChar m_decimal;
    JournalModel* m_model;
    QTableView* m_view;
    QCheckBox* m_fromCheck;
    QDateEdit* m_from;
    QCheckBox* m_toCheck;
    QDateEdit* m_to;
    QLineEdit* m_customer;
    QLineEdit* m_item;
    QLineEdit* m_order;
    QComboBox* m_operation;
    QLabel* m_count;
    QTimer* m_filterTimer;
    ShopWatcher* m_watcher;
    std::unique_ptr<SettingsStore> m_userStore;
    SettingsStore* m_store = nullptr;
    QPointer<ReportsWindow> m_reports;
};

} // namespace korvanta
