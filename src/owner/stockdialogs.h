#pragma once

#include "stock/movements.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace korvanta {

class ErrorReport;

// A read-only cell of the owner's tables; numbers are aligned right.
QTableWidgetItem* tableCell(const QString& text, bool number = false);
// A read-only table of whole rows; `stretch`: the column of the item's name, which takes the
// width left.
QTableWidget* makeTable(const QStringList& titles, int stretch, QWidget* parent);
// Adds the 30 price lists to `box`: "Модули памяти (Ram.dat)", the file name as the item's data.
void addPriceLists(QComboBox* box);
// A count as the owner reads it, in the digit groups of the regional settings ("1 000 000").
QString grouped(long long count);

// The most one delivery of an item may bring.
constexpr long long MaxReceived = 1000000;
// Why `text` is not a quantity received (a whole number from 1 to MaxReceived); empty when it is.
QString receivedQuantityProblem(const QString& text);

// Приход: an item of a price list and the quantity received.
class ReceiveDialog : public QDialog {
    Q_OBJECT
public:
    ReceiveDialog(stock::Journal& journal, ErrorReport* report, QWidget* parent = nullptr);

    void chooseList(const QString& fileName);
    void chooseItem(int record);
    void setQuantity(int quantity);
    QLineEdit* quantity() const { return m_quantity; }
    QComboBox* items() const { return m_items; }
    // What keeps the quantity from being received, as shown under it; empty when nothing does.
    QString problem() const;
    bool canReceive() const;
    // Receives the typed quantity; on success the dialog closes.
    void receive();

signals:
    void received(const QString& message);

private:
    void fillItems();
    void checkQuantity();

    stock::Journal& m_journal;
    ErrorReport* m_report;
    QComboBox* m_lists;
    QComboBox* m_items;
    QLineEdit* m_quantity;
    QLabel* m_problem;
    QPushButton* m_ok;
};

// Возврат: the rows of an order, whole or a few of them.
class ReturnDialog : public QDialog {
    Q_OBJECT
public:
    ReturnDialog(stock::Journal& journal, ErrorReport* report, QWidget* parent = nullptr);

    void showOrder(long long order);
    // The order whose number the field holds, typed as the paper shows it ("Заказ № 123").
    void showTypedOrder();
    // Takes back the ticked rows, or every row still out.
    void returnChecked();
    void returnAll();
    QTableWidget* lines() const { return m_table; }

signals:
    void returned(const QString& message);
    // "Копия": the order shown is to be printed again, without shipping.
    void copyWanted(long long order);

private:
    void doReturn(const std::vector<stock::ItemRef>& lines);

    stock::Journal& m_journal;
    ErrorReport* m_report;
    long long m_order = 0;
    std::vector<stock::OrderLine> m_lines;
    QLineEdit* m_orderEdit;
    QLabel* m_about;
    QTableWidget* m_table;
    QPushButton* m_returnChecked;
    QPushButton* m_returnAll;
    QPushButton* m_copy;
};

// The shop's heading above every printed order: a few lines of the shop's own details.
class HeadingDialog : public QDialog {
    Q_OBJECT
public:
    HeadingDialog(const QString& shopFolder, ErrorReport* report, QWidget* parent = nullptr);

    void setText(const QString& text);
    // Writes the heading; on success the dialog closes.
    void save();

private:
    QString m_folder;
    ErrorReport* m_report;
    QPlainTextEdit* m_edit;
};

// Сверка: records whose count in the file is not the journal's, and accepting the file's count.
class ReconcileDialog : public QDialog {
    Q_OBJECT
public:
    ReconcileDialog(stock::Journal& journal, ErrorReport* report, QWidget* parent = nullptr);

    void check();
    // Accepts the file's count of the selected rows; nothing when none is selected.
    void acceptSelected();
    // Accepts the file's count of every row listed: a choice of its own, its button naming the count.
    void acceptAll();
    QTableWidget* table() const { return m_table; }
    QPushButton* acceptSelectedButton() const { return m_accept; }
    QPushButton* acceptAllButton() const { return m_acceptAll; }

signals:
    void countsAccepted(const QString& message);

private:
    stock::Journal& m_journal;
    ErrorReport* m_report;
    std::vector<stock::Discrepancy> m_found;
    QLabel* m_summary;
    QTableWidget* m_table;
    QPushButton* m_accept;
    QPushButton* m_acceptAll;

    void acceptRows(const QList<int>& rows);
    void selectionChanged();
};

} // namespace korvanta
