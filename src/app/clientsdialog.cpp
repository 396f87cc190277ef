#include "app/clientsdialog.h"

#include "files/shopwatcher.h"
#include "widgets/contexthelp.h"
#include "widgets/guard.h"
#include "widgets/windowparts.h"

#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QValidator>

namespace korvanta {

namespace {

constexpr int ClientWidth = 482;
constexpr int ClientHeight = 258;
constexpr int RowHeight = 16;
constexpr int FixedColumnWidth = 10;
constexpr int ColumnWidths[ClientBase::FieldCount] = {143, 87, 93, 108};

// Refuses, as it is typed or pasted, what the client file cannot hold.
class StorableTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return ClientBase::firstUnstorable(input) < 0 ? Acceptable : Invalid;
    }
};

class ClientCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setValidator(new StorableTextValidator(line));
        return editor;
    }
};

} // namespace

// The grid widget; it lets the window hand over the text of a cell still being edited.
class ClientGrid : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

    void commitOpenEditor()
    {
        if (state() != EditingState)
            return;
        if (QWidget* editor = indexWidget(currentIndex()))
            commitData(editor);
    }
};

ClientsDialog::ClientsDialog(const Facilities& facilities, QWidget* parent, const QString& directory)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_facilities(facilities), m_base(directory)
{
    setObjectName(QStringLiteral("TClienBox"));
    setWindowTitle(QStringLiteral("База клиентов"));
    setFixedSize(ClientWidth, ClientHeight);
    setHelpContext(this, 16);

    auto* chooseBtn = makeButton(this, QStringLiteral("ChooseBtn"), QStringLiteral("Выбрать"), QStringLiteral("choose"),
                                 QRect(8, 16, 121, 25));
    auto* saveBtn = makeButton(this, QStringLiteral("SaveBtn"), QStringLiteral("Сохранить"), QStringLiteral("save"),
                               QRect(352, 16, 121, 25));
    m_addBtn = makeButton(this, QStringLiteral("AddBtn"), QStringLiteral("Добавить"), QStringLiteral("add"),
                          QRect(32, 217, 113, 25));
    m_delBtn = makeButton(this, QStringLiteral("DelBtn"), QStringLiteral("Удалить"), QStringLiteral("delete"),
                          QRect(343, 217, 113, 25));
    for (QPushButton* button : {chooseBtn, saveBtn, m_addBtn, m_delBtn})
        button->setAutoDefault(false);
    // Both wait for the first showing.
    m_addBtn->setEnabled(false);
    m_delBtn->setEnabled(false);

    m_grid = new ClientGrid(this);
    m_grid->setObjectName(QStringLiteral("ClGrid"));
    m_grid->setGeometry(7, 57, 466, 136);
    m_grid->setColumnCount(ClientBase::FieldCount);
    m_grid->setItemDelegate(new ClientCellDelegate(m_grid));
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setShowGrid(true);
    m_grid->setGridStyle(Qt::SolidLine);
    m_grid->setWordWrap(false);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QHeaderView* titles = m_grid->horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Fixed);
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    for (int c = 0; c < ClientBase::FieldCount; ++c)
        titles->resizeSection(c, ColumnWidths[c]);

    // Column 0: narrow, always empty; dragging a row by it moves the row.
    QHeaderView* fixed = m_grid->verticalHeader();
    fixed->setFixedWidth(FixedColumnWidth);
    fixed->setMinimumSectionSize(1);
    fixed->setDefaultSectionSize(RowHeight);
    fixed->setSectionResizeMode(QHeaderView::Fixed);
    fixed->setSectionsMovable(true);
    fixed->setHighlightSections(false);

    connect(m_grid, &QTableWidget::cellChanged, this, &ClientsDialog::takeCellText);
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) { followCurrentRow(row); });
    connect(fixed, &QHeaderView::sectionMoved, this, &ClientsDialog::takeRowMove);
    connect(chooseBtn, &QPushButton::clicked, this, &ClientsDialog::chooseCustomer);
    connect(saveBtn, &QPushButton::clicked, this, &ClientsDialog::saveClients);

    m_ask = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    m_watcher = new ShopWatcher(directory, 1000, this);
    m_watcher->follow(ClientBase::fileName());
    connect(m_watcher, &ShopWatcher::changed, this, &ClientsDialog::followClientsFile);
    connect(m_addBtn, &QPushButton::clicked, this, &ClientsDialog::addRow);
    connect(m_delBtn, &QPushButton::clicked, this, &ClientsDialog::deleteRow);

    installContextHelp(this, m_facilities.help);
    refresh();
}

ClientsDialog::~ClientsDialog()
{
    // Hiding the window on its way out commits a cell still being edited; by then the rows are gone.
    disconnect(m_grid, nullptr, this, nullptr);
    disconnect(m_grid->verticalHeader(), nullptr, this, nullptr);
}

void ClientsDialog::showEvent(QShowEvent* event)
{
    // Restoring a minimised window is no new showing.
    if (!event->spontaneous())
        loadClients();
    QDialog::showEvent(event);
}

void ClientsDialog::loadClients()
{
    guarded(m_facilities.errorReport, [&] { m_base.load(); });
    refresh();
}

void ClientsDialog::followClientsFile()
{
    // Only an open window shows the base; one question at a time.
    if (!isVisible() || m_asking)
        return;
    m_asking = true;
    guarded(m_facilities.errorReport, [&] {
        const auto now = m_base.savedElsewhere();
        if (now && m_ask && m_ask(ClientBase::savedElsewhereQuestion())) {
            commitEditing();
            // The file may have changed again while the question stood.
            if (const auto latest = m_base.savedElsewhere())
                m_base.takeSavedElsewhere(*latest);
        }
    });
    m_asking = false;
    refresh();
}

void ClientsDialog::saveClients()
{
    commitEditing();
    bool merged = false;
    guarded(m_facilities.errorReport, [&] {
        merged = m_base.save();
        if (!merged)
            accept();
    });
    if (merged) {
        // The window stays open on the merged list, so the salesperson sees what the file now holds.
        refresh();
        if (m_facilities.messageBox)
            m_facilities.messageBox->showError(ClientBase::mergedMessage());
    }
}

void ClientsDialog::addRow()
{
    commitEditing();
    guarded(m_facilities.errorReport, [&] { m_base.addRow(); });
    refresh();
}

void ClientsDialog::deleteRow()
{
    commitEditing();
    guarded(m_facilities.errorReport, [&] { m_base.deleteRow(); });
    refresh();
}

void ClientsDialog::chooseCustomer()
{
    commitEditing();
    guarded(m_facilities.errorReport, [&] {
        if (const auto name = m_base.choose())
            emit customerChosen(*name);
        accept();
    });
}

void ClientsDialog::takeCellText(int row, int column)
{
    if (m_refreshing)
        return;
    guarded(m_facilities.errorReport, [&] {
        const QTableWidgetItem* item = m_grid->item(row, column);
        m_base.setCell(m_grid->verticalHeader()->visualIndex(row) + 1, column + 1, item ? item->text() : QString());
    });
}

void ClientsDialog::followCurrentRow(int row)
{
    if (m_refreshing || row < 0)
        return;
    guarded(m_facilities.errorReport, [&] { m_base.setCurrentRow(m_grid->verticalHeader()->visualIndex(row) + 1); });
}

void ClientsDialog::takeRowMove(int, int oldVisual, int newVisual)
{
    if (m_refreshing)
        return;
    guarded(m_facilities.errorReport, [&] { m_base.moveRow(oldVisual + 1, newVisual + 1); });
}

void ClientsDialog::commitEditing()
{
    m_grid->commitOpenEditor();
}

void ClientsDialog::refresh()
{
    m_refreshing = true;
    QHeaderView* fixed = m_grid->verticalHeader();
    // The rows come back in the order of the ClientBase, so the moved sections return to their places.
    for (int logical = 0; logical < fixed->count(); ++logical) {
        const int visual = fixed->visualIndex(logical);
        if (visual != logical)
            fixed->moveSection(visual, logical);
    }
    const int customers = m_base.customerCount();
    m_grid->setRowCount(customers);
    QStringList titles;
    for (int c = 1; c < ClientBase::ColumnCount; ++c)
        titles.append(m_base.cell(0, c));
    m_grid->setHorizontalHeaderLabels(titles);
    m_grid->setVerticalHeaderLabels(QStringList(customers, QString()));
    for (int r = 0; r < customers; ++r) {
        for (int c = 0; c < ClientBase::FieldCount; ++c) {
            const QString text = m_base.cell(r + 1, c + 1);
            if (QTableWidgetItem* item = m_grid->item(r, c))
                item->setText(text);
            else
                m_grid->setItem(r, c, new QTableWidgetItem(text));
        }
    }
    if (m_base.currentRow() > 0)
        m_grid->setCurrentCell(m_base.currentRow() - 1, std::max(m_grid->currentColumn(), 0));
    m_addBtn->setEnabled(m_base.addEnabled());
    m_delBtn->setEnabled(m_base.delEnabled());
    m_refreshing = false;
}

} // namespace korvanta
