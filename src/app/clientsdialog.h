#pragma once

#include "base/facilities.h"
#include "clients/clientbase.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;

namespace korvanta {

class ClientGrid;
class ShopWatcher;

// The client base window "База клиентов": the customers of "clients.dat" in an editable grid. The
// grid mirrors the rows of the ClientBase; its fixed column is the vertical header, by which rows
// are dragged to another place, and its title row is the horizontal header.
class ClientsDialog : public QDialog {
    Q_OBJECT
public:
    // The file is "clients.dat" in `directory`, or in the working directory when none is given.
    ClientsDialog(const Facilities& facilities, QWidget* parent, const QString& directory = QString());
    ~ClientsDialog() override;

    const ClientBase& clientBase() const { return m_base; }

    void chooseCustomer();

    // Another copy saved the client base while the window is open: the salesperson is asked
    // whether to show it (through `ask`, a yes/no question).
    void followClientsFile();
    void setQuestion(std::function<bool(const QString&)> ask) { m_ask = std::move(ask); }
    ShopWatcher& watcher() const { return *m_watcher; }

signals:
    // "Выбрать": the full name of the current row, for the main window's customer field.
    void customerChosen(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loadClients();
    void saveClients();
    void addRow();
    void deleteRow();
    void takeCellText(int row, int column);
    void followCurrentRow(int row);
    void takeRowMove(int logical, int oldVisual, int newVisual);
    // Hands a cell still being typed in to the rows before a button acts on them.
    void commitEditing();
    // Writes the rows, titles and buttons of the ClientBase into the widgets.
    void refresh();

    Facilities m_facilities;
    ClientBase m_base;
    ClientGrid* m_grid = nullptr;
    QPushButton* m_addBtn = nullptr;
    QPushButton* m_delBtn = nullptr;
    bool m_refreshing = false;
    ShopWatcher* m_watcher = nullptr;
    std::function<bool(const QString&)> m_ask;
    bool m_asking = false;
};

} // namespace korvanta
