#pragma once

#include "catalogue/pricelistexchange.h"
#include "stock/journal.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace korvanta {

class ChangeModel;
class ErrorReport;

// The items of one price list and the owner's changes to them. The chosen item's fields are
// checked as they are typed; a stock set here goes to the journal as "правка". New items go at
// the end of the list, since the seller's copies know items by position.
class ItemEditor : public QDialog {
    Q_OBJECT
public:
    ItemEditor(stock::Journal& journal, QChar decimal, ErrorReport* report, QWidget* parent = nullptr);

    void chooseList(const QString& fileName);
    // `record` counts from 0.
    void chooseItem(int record);
    // Empties the form for an item to be added at the end.
    void startNewItem();
    // Writes the form: the chosen item's changed fields, or the new item.
    void save();

    // What the owner says when the form holds changes not yet saved and another item, another
    // list, a new item or closing comes: save them, drop them, or stay with them.
    enum class Unsaved { Save, Discard, Stay };
    using UnsavedQuestion = std::function<Unsaved(const QString& itemName)>;
    // Another way to ask, e.g. a test's; the default is a message box.
    void setUnsavedQuestion(UnsavedQuestion question) { m_question = std::move(question); }
    bool isDirty() const;
    // Closing asks about unsaved changes first.
    void reject() override;

    QLineEdit* field(ItemField field) const { return m_fields[size_t(field)]; }
    QTableWidget* items() const { return m_table; }
    // What keeps the form from being saved, as shown under it; empty when nothing does.
    QString problem() const;
    bool canSave() const;

signals:
    void changed(const QString& message);

private:
    void loadList();
    // Another copy changed the list shown: shown again unless the owner is midway through a change.
    void listChangedElsewhere(const QString& fileName);
    void listChosen();
    void rowChosen(int row);
    // True when the form may be left: nothing unsaved, saved now, or dropped.
    bool mayLeave();
    void showItem(int record);
    void checkFields();
    PriceItem formItem() const;

    stock::Journal& m_journal;
    QChar m_decimal;
    ErrorReport* m_report;
    UnsavedQuestion m_question;
    QString m_file;                // the list shown
    int m_listIndex = -1;          // its place in the list box
    std::vector<PriceItem> m_list; // the list as last read
    int m_record = -1;             // the item in the form; -1: a new one
    PriceItem m_seen;              // that item as read, or a new item's empty form
    QComboBox* m_lists;
    QTableWidget* m_table;
    QGroupBox* m_form;
    std::array<QLineEdit*, ItemFieldCount> m_fields{};
    QLabel* m_problem;
    QLabel* m_notice;
    QPushButton* m_save;
};

// What an import will change, field by field with the old and new values; the owner unticks the
// changes not wanted and confirms before anything is written.
class ImportPreview : public QDialog {
    Q_OBJECT
public:
    ImportPreview(const ImportPlan& plan, const QString& sheetPath, QWidget* parent = nullptr);

    QTableView* changes() const { return m_table; }
    QPushButton* applyButton() const { return m_apply; }
    // The plan with the changes still ticked.
    ImportPlan chosenPlan() const;

private:
    void showChosen();

    ChangeModel* m_model;
    QTableView* m_table;
    QLabel* m_chosen;
    QPushButton* m_apply;
};

} // namespace korvanta
