#include "owner/pricelistwindows.h"

#include "files/shopwatcher.h"
#include "owner/stockdialogs.h"
#include "stock/pricelistjournal.h"
#include "widgets/guard.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace korvanta {

using namespace stock;

namespace {

// The form's fields in the order the owner fills them; the spare lines last.
constexpr ItemField FormOrder[] = {ItemField::Name,   ItemField::Price,  ItemField::Stock, ItemField::Description,
                                   ItemField::Spare1, ItemField::Spare2, ItemField::Spare3};

const char* const ProblemStyle = "QLineEdit { border: 1px solid #c62828; background: #fff3f3; }";

QString hintOf(ItemField field)
{
    return field == ItemField::Stock
               ? QStringLiteral("Количество на складе; его изменение записывается в журнал как «правка»")
               : QString();
}

} // namespace

// ---- Товары прайс-листа

ItemEditor::ItemEditor(Journal& journal, QChar decimal, ErrorReport* report, QWidget* parent)
    : QDialog(parent), m_journal(journal), m_decimal(decimal), m_report(report)
{
    setObjectName(QStringLiteral("ItemEditor"));
    setWindowTitle(QStringLiteral("Товары прайс-листа"));
    resize(980, 640);

    m_lists = new QComboBox(this);
    m_lists->setObjectName(QStringLiteral("ListBox"));
    addPriceLists(m_lists);
    m_table = makeTable({QStringLiteral("№"), fieldTitle(ItemField::Name), fieldTitle(ItemField::Price),
                         fieldTitle(ItemField::Stock), fieldTitle(ItemField::Description)},
                        1, this);
    m_table->setObjectName(QStringLiteral("ItemTable"));
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);

    m_form = new QGroupBox(this);
    m_form->setObjectName(QStringLiteral("ItemForm"));
    auto* form = new QFormLayout(m_form);
    for (ItemField f : FormOrder) {
        auto* edit = new QLineEdit(m_form);
        edit->setObjectName(QStringLiteral("Field%1").arg(int(f)));
        m_fields[size_t(f)] = edit;
        form->addRow(fieldTitle(f) + QLatin1Char(':'), edit);
        connect(edit, &QLineEdit::textChanged, this, &ItemEditor::checkFields);
    }
    m_problem = new QLabel(m_form);
    m_problem->setObjectName(QStringLiteral("ProblemLabel"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #c62828;"));
    form->addRow(m_problem);

    auto* add = new QPushButton(QStringLiteral("Новый товар"), this);
    add->setObjectName(QStringLiteral("NewBtn"));
    add->setToolTip(QStringLiteral("Добавить товар в конец прайс-листа"));
    add->setAutoDefault(false);
    m_save = new QPushButton(QStringLiteral("Сохранить"), this);
    m_save->setObjectName(QStringLiteral("SaveBtn"));
    m_save->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Прайс-лист:"), this));
    top->addWidget(m_lists, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_form);
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("NoticeLabel"));
    m_notice->setWordWrap(true);
    m_notice->hide();
    layout->addWidget(m_notice);
    layout->addLayout(buttons);

    auto* watcher = new ShopWatcher(journal.directory(), 1000, this);
    for (int i = 0; i < m_lists->count(); ++i)
        watcher->follow(m_lists->itemData(i).toString());
    connect(watcher, &ShopWatcher::changed, this, &ItemEditor::listChangedElsewhere);

    m_question = [this](const QString& name) {
        // Buttons named here: the standard Discard reads "Отклонить" in Russian, not what it does.
        QMessageBox box(QMessageBox::Question, windowTitle(),
                        QStringLiteral("Товар «%1» изменён. Сохранить изменения?").arg(name), QMessageBox::NoButton,
                        this);
        box.setObjectName(QStringLiteral("UnsavedQuestion"));
        QPushButton* saveButton = box.addButton(QStringLiteral("Сохранить"), QMessageBox::AcceptRole);
        QPushButton* discard = box.addButton(QStringLiteral("Не сохранять"), QMessageBox::DestructiveRole);
        QPushButton* stay = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
        box.setDefaultButton(saveButton);
        box.setEscapeButton(stay);
        box.exec();
        return box.clickedButton() == saveButton ? Unsaved::Save
               : box.clickedButton() == discard  ? Unsaved::Discard
                                                 : Unsaved::Stay;
    };
    connect(m_lists, &QComboBox::currentIndexChanged, this, &ItemEditor::listChosen);
    connect(m_table, &QTableWidget::currentCellChanged, this, &ItemEditor::rowChosen);
    connect(add, &QPushButton::clicked, this, &ItemEditor::startNewItem);
    connect(m_save, &QPushButton::clicked, this, &ItemEditor::save);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    listChosen();
}

bool ItemEditor::isDirty() const
{
    return m_form->isEnabled() && !(formItem() == m_seen);
}

bool ItemEditor::mayLeave()
{
    if (!isDirty())
        return true;
    const QString name = m_fields[size_t(ItemField::Name)]->text();
    switch (m_question ? m_question(name) : Unsaved::Stay) {
    case Unsaved::Save:
        save();
        return !isDirty(); // a refused save keeps the owner here, with the message shown
    case Unsaved::Discard:
        return true;
    case Unsaved::Stay:
        break;
    }
    return false;
}

void ItemEditor::listChosen()
{
    if (m_lists->currentIndex() == m_listIndex)
        return;
    if (!mayLeave()) {
        const QSignalBlocker block(m_lists);
        m_lists->setCurrentIndex(m_listIndex);
        return;
    }
    m_listIndex = m_lists->currentIndex();
    guarded(m_report, [this] { loadList(); });
}

void ItemEditor::rowChosen(int row)
{
    if (row < 0 || row == m_record)
        return;
    if (!mayLeave()) {
        const QSignalBlocker block(m_table);
        m_table->setCurrentCell(m_record, m_record < 0 ? -1 : 1);
        return;
    }
    // Saving re-read the list and chose the saved item again.
    if (m_table->currentRow() != row)
        m_table->setCurrentCell(row, 1);
    else
        showItem(row);
}

void ItemEditor::reject()
{
    if (mayLeave())
        QDialog::reject();
}

void ItemEditor::chooseList(const QString& fileName)
{
    m_lists->setCurrentIndex(m_lists->findData(fileName));
}

void ItemEditor::chooseItem(int record)
{
    if (record < 0 || record >= m_table->rowCount())
        return;
    if (m_table->currentRow() == record)
        rowChosen(record);
    else
        m_table->setCurrentCell(record, 1);
}

void ItemEditor::loadList()
{
    m_notice->hide();
    m_list.clear();
    {
        const QSignalBlocker block(m_table);
        m_table->setRowCount(0);
    }
    showItem(-1);
    m_file = m_lists->currentData().toString();
    if (m_file.isEmpty())
        return;
    const PriceList list = loadPriceList(m_journal.listPath(m_file));
    const int count = recordCount(list);
    m_list.reserve(size_t(count));
    const QSignalBlocker block(m_table);
    m_table->setRowCount(count);
    for (int r = 0; r < count; ++r) {
        m_list.push_back(itemAt(list, r));
        const PriceItem& item = m_list.back();
        m_table->setItem(r, 0, tableCell(QString::number(displayRecordNumber(r)), true));
        m_table->setItem(r, 1, tableCell(item[ItemField::Name]));
        m_table->setItem(r, 2, tableCell(item[ItemField::Price], true));
        m_table->setItem(r, 3, tableCell(item[ItemField::Stock], true));
        m_table->setItem(r, 4, tableCell(item[ItemField::Description]));
    }
    m_table->resizeColumnToContents(0);
    m_table->resizeColumnToContents(2);
    m_table->resizeColumnToContents(3);
    m_table->setColumnWidth(
        1, std::max(m_table->columnWidth(1), m_table->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40));
    if (count > 0) {
        m_table->setCurrentCell(0, 1);
        showItem(0);
    }
}

void ItemEditor::listChangedElsewhere(const QString& fileName)
{
    if (fileName != m_file)
        return;
    // The editor's own save is no change from elsewhere: the list shown is the file then.
    bool same = false;
    guarded(m_report, [&] {
        const PriceList now = loadPriceList(m_journal.listPath(m_file));
        same = recordCount(now) == int(m_list.size());
        for (int r = 0; same && r < int(m_list.size()); ++r)
            same = itemAt(now, r) == m_list[size_t(r)];
    });
    if (same)
        return;
    if (isDirty()) {
        // Saving writes only the owner's fields and refuses one that the other copy changed too.
        m_notice->setText(QStringLiteral("Прайс-лист «%1» изменён в другой копии программы. Ваши изменения ещё не "
                                         "сохранены; поле, изменённое и там, при сохранении не перезаписывается.")
                              .arg(fileName));
    } else {
        const int record = m_record;
        guarded(m_report, [this] { loadList(); });
        chooseItem(record);
        m_notice->setText(
            QStringLiteral("Прайс-лист «%1» изменён в другой копии программы и показан заново.").arg(fileName));
    }
    m_notice->show();
}

// `record` -1: no item chosen, the form is empty and closed.
void ItemEditor::showItem(int record)
{
    m_record = record;
    m_seen = record >= 0 && record < int(m_list.size()) ? m_list[size_t(record)] : PriceItem{};
    for (int f = 0; f < ItemFieldCount; ++f) {
        const QSignalBlocker block(m_fields[size_t(f)]);
        m_fields[size_t(f)]->setText(m_seen.lines[size_t(f)]);
        m_fields[size_t(f)]->setCursorPosition(0);
    }
    m_form->setEnabled(record >= 0);
    m_form->setTitle(record >= 0 ? QStringLiteral("Товар № %1").arg(displayRecordNumber(record)) : QString());
    checkFields();
}

void ItemEditor::startNewItem()
{
    if (m_file.isEmpty() || !mayLeave())
        return;
    {
        const QSignalBlocker block(m_table);
        m_table->clearSelection();
        m_table->setCurrentCell(-1, -1);
    }
    m_record = -1;
    m_seen = PriceItem{};
    m_seen[ItemField::Stock] = QStringLiteral("0");
    for (int f = 0; f < ItemFieldCount; ++f) {
        const QSignalBlocker block(m_fields[size_t(f)]);
        m_fields[size_t(f)]->setText(m_seen.lines[size_t(f)]);
    }
    m_form->setEnabled(true);
    m_form->setTitle(QStringLiteral("Новый товар: будет добавлен в конец списка под № %1")
                         .arg(displayRecordNumber(int(m_list.size()))));
    m_fields[size_t(ItemField::Name)]->setFocus();
    checkFields();
}

PriceItem ItemEditor::formItem() const
{
    PriceItem item;
    for (int f = 0; f < ItemFieldCount; ++f)
        item.lines[size_t(f)] = m_fields[size_t(f)]->text();
    return item;
}

// An existing item's fields are checked only where the owner changed them: a line the file holds
// as it is (say a price with another separator) is not the owner's to mend before saving a name.
void ItemEditor::checkFields()
{
    const bool adding = m_form->isEnabled() && m_record < 0;
    QString first;
    for (ItemField f : FormOrder) {
        QLineEdit* edit = m_fields[size_t(f)];
        QString trouble;
        if (m_form->isEnabled() && (adding || edit->text() != m_seen[f]))
            trouble = fieldProblem(f, edit->text(), m_decimal);
        edit->setStyleSheet(trouble.isEmpty() ? QString() : QString::fromLatin1(ProblemStyle));
        edit->setToolTip(trouble.isEmpty() ? hintOf(f) : trouble);
        if (first.isEmpty())
            first = trouble;
    }
    m_problem->setText(first);
    m_problem->setVisible(!first.isEmpty());
    m_save->setEnabled(canSave());
}

QString ItemEditor::problem() const
{
    return m_problem->text();
}

bool ItemEditor::canSave() const
{
    return m_form->isEnabled() && m_problem->text().isEmpty() && (m_record < 0 || !(formItem() == m_seen));
}

void ItemEditor::save()
{
    guarded(m_report, [this] {
        if (!canSave())
            return;
        const QString file = m_file;
        const PriceItem edited = formItem();
        PriceListJournal rows(m_journal);
        QString message;
        int record = m_record;
        if (m_record < 0) {
            record = appendItem(m_journal.directory(), file, edited, m_decimal, rows.observer());
            message = QStringLiteral("Добавлен товар «%1» в %2 под № %3.")
                          .arg(edited[ItemField::Name], file)
                          .arg(displayRecordNumber(record));
        } else {
            editItem(m_journal.directory(), file, m_record, m_seen, edited, m_decimal, rows.observer());
            message = QStringLiteral("Сохранён товар «%1» (%2, № %3).")
                          .arg(edited[ItemField::Name], file)
                          .arg(displayRecordNumber(record));
        }
        if (rows.orderNumber() > 0)
            message += QStringLiteral(" Остаток записан в журнал, № %1.").arg(rows.orderNumber());
        loadList();
        chooseItem(record);
        emit changed(message);
    });
}

// ---- Предпросмотр импорта

// The plan's changes, one row per field, each ticked to be written until the owner unticks it; a
// sheet that reprices every item gives hundreds of thousands of rows, so the texts are only looked
// up for the rows painted.
class ChangeModel : public QAbstractTableModel {
public:
    ChangeModel(ImportPlan plan, QObject* parent) : QAbstractTableModel(parent), m_plan(std::move(plan))
    {
        for (int i = 0; i < int(m_plan.items.size()); ++i)
            for (int f = 0; f < int(m_plan.items[size_t(i)].fields.size()); ++f)
                m_rows.emplace_back(i, f);
        m_chosen.assign(m_rows.size(), true);
        m_chosenCount = int(m_rows.size());
    }

    int chosenCount() const { return m_chosenCount; }

    // The plan with the ticked changes alone; an item left without any is dropped.
    ImportPlan chosenPlan() const
    {
        ImportPlan plan = m_plan;
        for (ItemChange& item : plan.items)
            item.fields.clear();
        for (size_t r = 0; r < m_rows.size(); ++r)
            if (m_chosen[r]) {
                const auto [i, f] = m_rows[r];
                plan.items[size_t(i)].fields.push_back(m_plan.items[size_t(i)].fields[size_t(f)]);
            }
        plan.items.erase(std::remove_if(plan.items.begin(), plan.items.end(),
                                        [](const ItemChange& item) { return item.fields.empty(); }),
                         plan.items.end());
        return plan;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        if (index.column() == 0)
            flags |= Qt::ItemIsUserCheckable;
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::CheckStateRole || index.column() != 0 || index.row() >= int(m_rows.size()))
            return false;
        const bool chosen = value.toInt() == Qt::Checked;
        if (m_chosen[size_t(index.row())] == chosen)
            return true;
        m_chosen[size_t(index.row())] = chosen;
        m_chosenCount += chosen ? 1 : -1;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 6; }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titles{QStringLiteral("Файл"), QStringLiteral("№"),    QStringLiteral("Товар"),
                                        QStringLiteral("Поле"), QStringLiteral("Было"), QStringLiteral("Станет")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < titles.size())
            return titles[section];
        return QVariant();
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return QVariant();
        const auto [i, f] = m_rows[size_t(index.row())];
        const ItemChange& item = m_plan.items[size_t(i)];
        const FieldChange& change = item.fields[size_t(f)];
        const int column = index.column();
        if (role == Qt::CheckStateRole)
            return column == 0 ? QVariant(m_chosen[size_t(index.row())] ? Qt::Checked : Qt::Unchecked) : QVariant();
        if (role == Qt::TextAlignmentRole) {
            const bool number = column == 1 || ((column == 4 || column == 5) &&
                                                (change.field == ItemField::Price || change.field == ItemField::Stock));
            return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        }
        // A long description is cut short in its column.
        if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && column >= 4))
            return QVariant();
        switch (column) {
        case 0:
            return item.file;
        case 1:
            return QString::number(displayRecordNumber(item.record));
        case 2:
            return item.name;
        case 3:
            return fieldTitle(change.field);
        case 4:
            return change.before;
        case 5:
            return change.after;
        default:
            return QVariant();
        }
    }

private:
    ImportPlan m_plan;
    std::vector<std::pair<int, int>> m_rows; // item, field
    std::vector<bool> m_chosen;              // per row
    int m_chosenCount = 0;
};

ImportPreview::ImportPreview(const ImportPlan& plan, const QString& sheetPath, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("Импорт прайс-листов: что изменится"));
    resize(980, 560);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("ChangeTable"));
    m_model = new ChangeModel(plan, m_table);
    m_table->setModel(m_model);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->resizeColumnsToContents();
    for (int c : {4, 5})
        m_table->setColumnWidth(c, std::min(m_table->columnWidth(c), 260));
    m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    const int rows = m_table->model()->rowCount();
    std::set<QString> files;
    for (const ItemChange& item : plan.items)
        files.insert(item.file);

    QString text = QStringLiteral("Таблица: %1 (строк: %2).\n")
                       .arg(QDir::toNativeSeparators(QFileInfo(sheetPath).absoluteFilePath()), grouped(plan.rows));
    if (plan.isEmpty())
        text += QStringLiteral("Изменений нет: таблица совпадает с прайс-листами.");
    else
        text += QStringLiteral("Изменится товаров: %1, прайс-листов: %2, полей: %3. Снимите отметку с "
                               "изменения, которое не нужно. Пока вы не нажмёте «Записать изменения», ничего не "
                               "записано; изменения остатков попадут в журнал как «правка».")
                    .arg(grouped(qsizetype(plan.items.size())), grouped(qsizetype(files.size())), grouped(rows));
    if (plan.valuesAsShown > 0)
        text += QStringLiteral("\nПропущено полей, где таблица показала число или дату по-своему (например «00123» "
                               "как «123», «01.11.2026» как «01.11.26»): %1; они не изменятся.")
                    .arg(grouped(plan.valuesAsShown));
    if (!plan.ignoredColumns.isEmpty())
        text += QStringLiteral("\nНе читаются и ничего не меняют столбцы: %1.")
                    .arg(plan.ignoredColumns.join(QStringLiteral(", ")));
    auto* about = new QLabel(text, this);
    about->setObjectName(QStringLiteral("SummaryLabel"));
    about->setWordWrap(true);
    m_chosen = new QLabel(this);
    m_chosen->setObjectName(QStringLiteral("ChosenLabel"));

    auto* buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("Записать изменения"), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("ApplyBtn"));
    m_apply->setAutoDefault(false);
    QPushButton* cancel = buttons->addButton(plan.isEmpty() ? QStringLiteral("Закрыть") : QStringLiteral("Отмена"),
                                             QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_chosen);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &ImportPreview::showChosen);
    showChosen();
}

void ImportPreview::showChosen()
{
    const int rows = m_model->rowCount();
    m_chosen->setText(rows == 0 ? QString()
                                : QStringLiteral("Будет записано изменений: %1 из %2.")
                                      .arg(grouped(m_model->chosenCount()), grouped(rows)));
    m_apply->setEnabled(m_model->chosenCount() > 0);
}

ImportPlan ImportPreview::chosenPlan() const
{
    return m_model->chosenPlan();
}

} // namespace korvanta
