#include "owner/stockdialogs.h"

#include "base/facilities.h"
#include "catalogue/categorytable.h"
#include "catalogue/pricelistediting.h"
#include "quotation/printedorder.h"
#include "stock/journalquery.h"
#include "text/conversions.h"
#include "widgets/guard.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvanta {

using namespace stock;

QTableWidgetItem* tableCell(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidget* makeTable(const QStringList& titles, int stretch, QWidget* parent)
{
    auto* table = new QTableWidget(0, int(titles.size()), parent);
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(stretch, QHeaderView::Stretch);
    table->setAlternatingRowColors(true);
    // Rows as high as the text, as in the journal's table.
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    return table;
}

void addPriceLists(QComboBox* box)
{
    for (Cat c : allCategories()) {
        const CategoryInfo& info = category(c);
        for (int i = 0; i < info.files.size(); ++i) {
            QString title = info.title;
            if (info.files.size() > 1)
                title += i == 0 ? QStringLiteral(" Intel") : QStringLiteral(" AMD");
            box->addItem(QStringLiteral("%1 (%2)").arg(title, info.files[i]), info.files[i]);
        }
    }
}

QString grouped(long long count)
{
    return QLocale().toString(qlonglong(count));
}

QString receivedQuantityProblem(const QString& text)
{
    const QString typed = text.trimmed();
    const QString range = QStringLiteral("Количество — целое число от 1 до %1.").arg(grouped(MaxReceived));
    if (typed.isEmpty())
        return QStringLiteral("Введите, сколько поступило. ") + range;
    // Digits only: a sign, a separator or a word is never read as some other number.
    const bool digits =
        std::all_of(typed.begin(), typed.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    bool ok = false;
    const long long value = typed.toLongLong(&ok);
    if (!digits || !ok || value < 1 || value > MaxReceived)
        return QStringLiteral("«%1» не подходит. ").arg(typed) + range;
    return QString();
}

// ---- Приход

ReceiveDialog::ReceiveDialog(Journal& journal, ErrorReport* report, QWidget* parent)
    : QDialog(parent), m_journal(journal), m_report(report)
{
    setObjectName(QStringLiteral("ReceiveDialog"));
    setWindowTitle(QStringLiteral("Приход товара"));
    m_lists = new QComboBox(this);
    m_lists->setObjectName(QStringLiteral("ListBox"));
    addPriceLists(m_lists);
    m_items = new QComboBox(this);
    m_items->setObjectName(QStringLiteral("ItemBox"));
    m_items->setMinimumContentsLength(40);
    m_items->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A line edit, not a spin box: a spin box keeps its last valid value whatever is typed.
    m_quantity = new QLineEdit(QStringLiteral("1"), this);
    m_quantity->setObjectName(QStringLiteral("QuantityEdit"));
    m_quantity->setToolTip(QStringLiteral("Целое число штук от 1 до %1").arg(grouped(MaxReceived)));
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("ProblemLabel"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #c62828;"));
    m_problem->hide();
    auto* quantityRow = new QHBoxLayout;
    quantityRow->addWidget(m_quantity);
    quantityRow->addWidget(new QLabel(QStringLiteral("шт."), this));
    quantityRow->addStretch();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Прайс-лист:"), m_lists);
    form->addRow(QStringLiteral("Товар:"), m_items);
    form->addRow(QStringLiteral("Поступило:"), quantityRow);
    form->addRow(m_problem);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("Принять приход"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("ReceiveBtn"));
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_lists, &QComboBox::currentIndexChanged, this, [this] { guarded(m_report, [this] { fillItems(); }); });
    connect(m_quantity, &QLineEdit::textChanged, this, &ReceiveDialog::checkQuantity);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReceiveDialog::receive);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    guarded(m_report, [this] { fillItems(); });
}

// Each item with its number and price, as the item table shows them: items of one name differ there.
void ReceiveDialog::fillItems()
{
    m_items->clear();
    checkQuantity();
    const QString file = m_lists->currentData().toString();
    if (file.isEmpty())
        return;
    const PriceList list = loadPriceList(m_journal.listPath(file));
    for (int r = 0; r < recordCount(list); ++r) {
        const QString name = recordLine(list, r, NameLine);
        if (name == NoneEntry)
            continue;
        const QString stock = recordLineOrEmpty(list, r, StockLine);
        const std::optional<int> count = tryTextToInt(stock);
        m_items->addItem(QStringLiteral("№ %1   %2   цена %3   (на складе: %4)")
                             .arg(grouped(displayRecordNumber(r)))
                             .arg(name, recordLineOrEmpty(list, r, PriceLine), count ? grouped(*count) : stock),
                         r);
        m_items->setItemData(m_items->count() - 1, name, Qt::UserRole + 1);
    }
    checkQuantity();
}

void ReceiveDialog::checkQuantity()
{
    const QString trouble = receivedQuantityProblem(m_quantity->text());
    m_problem->setText(trouble);
    m_problem->setVisible(!trouble.isEmpty());
    m_quantity->setStyleSheet(trouble.isEmpty()
                                  ? QString()
                                  : QStringLiteral("QLineEdit { border: 1px solid #c62828; background: #fff3f3; }"));
    m_ok->setEnabled(canReceive());
}

QString ReceiveDialog::problem() const
{
    return m_problem->text();
}

bool ReceiveDialog::canReceive() const
{
    return m_items->currentIndex() >= 0 && receivedQuantityProblem(m_quantity->text()).isEmpty();
}

void ReceiveDialog::chooseList(const QString& fileName)
{
    m_lists->setCurrentIndex(m_lists->findData(fileName));
}

void ReceiveDialog::chooseItem(int record)
{
    m_items->setCurrentIndex(m_items->findData(record));
}

void ReceiveDialog::setQuantity(int quantity)
{
    m_quantity->setText(QString::number(quantity));
}

void ReceiveDialog::receive()
{
    guarded(m_report, [this] {
        // Refused input writes nothing, whoever calls.
        if (!canReceive())
            return;
        const long long quantity = m_quantity->text().trimmed().toLongLong();
        const ItemRef item{m_lists->currentData().toString(), m_items->currentData().toInt(),
                           m_items->currentData(Qt::UserRole + 1).toString()};
        const long long order = receiveGoods(m_journal, item, quantity, Actor{});
        emit received(QStringLiteral("Приход № %1: «%2», %3 шт.").arg(order).arg(item.name, grouped(quantity)));
        accept();
    });
}

// ---- Возврат

ReturnDialog::ReturnDialog(Journal& journal, ErrorReport* report, QWidget* parent)
    : QDialog(parent), m_journal(journal), m_report(report)
{
    setObjectName(QStringLiteral("ReturnDialog"));
    setWindowTitle(QStringLiteral("Возврат товара"));
    resize(760, 360);
    m_orderEdit = new QLineEdit(this);
    m_orderEdit->setObjectName(QStringLiteral("OrderEdit"));
    m_orderEdit->setPlaceholderText(QStringLiteral("как на бумаге: «Заказ № 123»"));
    m_orderEdit->setMinimumWidth(220);
    auto* find = new QPushButton(QStringLiteral("Показать заказ"), this);
    find->setObjectName(QStringLiteral("FindBtn"));
    find->setDefault(true);
    m_about = new QLabel(this);
    m_about->setObjectName(QStringLiteral("OrderLabel"));
    m_table = makeTable({QStringLiteral("Товар"), QStringLiteral("Файл"), QStringLiteral("Запись"),
                         QStringLiteral("Количество"), QStringLiteral("Цена"), QStringLiteral("Состояние")},
                        0, this);
    m_table->setObjectName(QStringLiteral("LinesTable"));
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_returnChecked = new QPushButton(QStringLiteral("Вернуть отмеченные"), this);
    m_returnChecked->setObjectName(QStringLiteral("ReturnCheckedBtn"));
    m_returnAll = new QPushButton(QStringLiteral("Вернуть весь заказ"), this);
    m_returnAll->setObjectName(QStringLiteral("ReturnAllBtn"));
    m_copy = new QPushButton(QStringLiteral("Копия"), this);
    m_copy->setObjectName(QStringLiteral("CopyBtn"));
    m_copy->setToolTip(QStringLiteral("Напечатать заказ ещё раз, с пометкой «КОПИЯ», без отгрузки"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Заказ №"), this));
    top->addWidget(m_orderEdit);
    top->addWidget(find);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_returnChecked);
    bottom->addWidget(m_returnAll);
    bottom->addWidget(m_copy);
    bottom->addStretch();
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_about);
    layout->addWidget(m_table);
    layout->addLayout(bottom);

    connect(find, &QPushButton::clicked, this, &ReturnDialog::showTypedOrder);
    connect(m_orderEdit, &QLineEdit::returnPressed, this, &ReturnDialog::showTypedOrder);
    connect(m_copy, &QPushButton::clicked, this, [this] { emit copyWanted(m_order); });
    connect(m_returnChecked, &QPushButton::clicked, this, &ReturnDialog::returnChecked);
    connect(m_returnAll, &QPushButton::clicked, this, &ReturnDialog::returnAll);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    m_returnChecked->setEnabled(false);
    m_returnAll->setEnabled(false);
    m_copy->setEnabled(false);
}

void ReturnDialog::showTypedOrder()
{
    const auto order = orderNumberFromText(m_orderEdit->text());
    if (!order) {
        if (m_report)
            m_report->report(QStringLiteral("Номер заказа «%1» не понят: введите число, как в строке «Заказ № …».")
                                 .arg(m_orderEdit->text().trimmed()));
        return;
    }
    showOrder(*order);
}

void ReturnDialog::showOrder(long long order)
{
    guarded(m_report, [&] {
        m_order = order;
        m_orderEdit->setText(QString::number(order));
        m_lines = orderLines(JournalReader::load(m_journal.path()), order);
        m_table->setRowCount(int(m_lines.size()));
        int out = 0;
        for (int r = 0; r < int(m_lines.size()); ++r) {
            const OrderLine& line = m_lines[size_t(r)];
            auto* name = tableCell(line.shipped.name);
            if (!line.returned) {
                name->setFlags(name->flags() | Qt::ItemIsUserCheckable);
                name->setCheckState(Qt::Unchecked);
                ++out;
            }
            m_table->setItem(r, 0, name);
            m_table->setItem(r, 1, tableCell(line.shipped.fileName));
            m_table->setItem(r, 2, tableCell(grouped(displayRecordNumber(line.shipped.record)), true));
            m_table->setItem(r, 3, tableCell(grouped(line.shipped.quantity), true));
            m_table->setItem(r, 4, tableCell(line.shipped.priceText, true));
            m_table->setItem(r, 5,
                             tableCell(line.returned ? QStringLiteral("возвращено") : QStringLiteral("отгружено")));
        }
        m_table->resizeColumnsToContents();
        if (m_lines.empty())
            m_about->setText(QStringLiteral("В журнале нет отгрузки по заказу № %1.").arg(order));
        else
            m_about->setText(QStringLiteral("Заказчик: %1    Отгружено: %2 %3    Строк: %4, из них не возвращено: %5")
                                 .arg(m_lines.front().shipped.customer.isEmpty() ? QStringLiteral("—")
                                                                                 : m_lines.front().shipped.customer,
                                      m_lines.front().shipped.date, m_lines.front().shipped.time)
                                 .arg(grouped(qsizetype(m_lines.size())), grouped(out)));
        m_returnChecked->setEnabled(out > 0);
        m_returnAll->setEnabled(out > 0);
        m_copy->setEnabled(!m_lines.empty());
    });
}

void ReturnDialog::returnChecked()
{
    std::vector<ItemRef> lines;
    for (int r = 0; r < m_table->rowCount(); ++r)
        if (m_table->item(r, 0)->checkState() == Qt::Checked) {
            const JournalRow& row = m_lines[size_t(r)].shipped;
            lines.push_back({row.fileName, row.record, row.name});
        }
    if (lines.empty()) {
        if (m_report)
            m_report->report(QStringLiteral("Отметьте строки, которые нужно вернуть."));
        return;
    }
    doReturn(lines);
}

void ReturnDialog::returnAll()
{
    doReturn({});
}

void ReturnDialog::doReturn(const std::vector<ItemRef>& lines)
{
    guarded(m_report, [&] {
        const int count = returnItems(m_journal, m_order, lines, Actor{});
        emit returned(QStringLiteral("Возврат по заказу № %1: строк %2.").arg(m_order).arg(grouped(count)));
    });
    showOrder(m_order);
}

// ---- Сверка

ReconcileDialog::ReconcileDialog(Journal& journal, ErrorReport* report, QWidget* parent)
    : QDialog(parent), m_journal(journal), m_report(report)
{
    setObjectName(QStringLiteral("ReconcileDialog"));
    setWindowTitle(QStringLiteral("Сверка склада с журналом"));
    resize(760, 380);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("SummaryLabel"));
    m_summary->setWordWrap(true);
    m_table = makeTable({QStringLiteral("Файл"), QStringLiteral("Запись"), QStringLiteral("Товар"),
                         QStringLiteral("По журналу"), QStringLiteral("В файле")},
                        2, this);
    m_table->setObjectName(QStringLiteral("DiscrepancyTable"));
    m_accept = new QPushButton(QStringLiteral("Принять количество из файла"), this);
    m_accept->setObjectName(QStringLiteral("AcceptBtn"));
    m_accept->setToolTip(
        QStringLiteral("Для выделенных строк записать в журнал правку: количество в прайс-листе верно"));
    // Accepting every difference is a choice of its own, never what an empty selection means.
    m_acceptAll = new QPushButton(this);
    m_acceptAll->setObjectName(QStringLiteral("AcceptAllBtn"));
    m_acceptAll->setToolTip(QStringLiteral("Для всех строк списка записать в журнал правку"));
    auto* recheck = new QPushButton(QStringLiteral("Проверить снова"), this);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_accept);
    bottom->addWidget(m_acceptAll);
    bottom->addWidget(recheck);
    bottom->addStretch();
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table);
    layout->addLayout(bottom);
    connect(m_accept, &QPushButton::clicked, this, &ReconcileDialog::acceptSelected);
    connect(m_acceptAll, &QPushButton::clicked, this, &ReconcileDialog::acceptAll);
    connect(recheck, &QPushButton::clicked, this, &ReconcileDialog::check);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ReconcileDialog::selectionChanged);
    selectionChanged();
}

void ReconcileDialog::check()
{
    guarded(m_report, [this] {
        // A movement a dead copy left half done is finished first: only what is left is a difference.
        completePendingMoves(m_journal);
        m_found = reconcile(m_journal);
        m_table->clearSelection();
        m_table->setRowCount(int(m_found.size()));
        for (int r = 0; r < int(m_found.size()); ++r) {
            const Discrepancy& d = m_found[size_t(r)];
            const std::optional<int> fileStock = tryTextToInt(d.fileStock);
            m_table->setItem(r, 0, tableCell(d.fileName));
            m_table->setItem(r, 1, tableCell(grouped(displayRecordNumber(d.record)), true));
            m_table->setItem(r, 2, tableCell(d.name));
            m_table->setItem(r, 3, tableCell(grouped(d.journalStock), true));
            m_table->setItem(r, 4, tableCell(fileStock ? grouped(*fileStock) : d.fileStock, true));
        }
        m_table->resizeColumnsToContents();
        m_summary->setText(
            m_found.empty()
                ? QStringLiteral("Расхождений нет: количество каждого товара из журнала совпадает с прайс-листом.")
                : QStringLiteral("Расхождений: %1. Количество в прайс-листе не совпадает с последней записью "
                                 "журнала (движение без записи или правка файла вручную). Выделите строки и "
                                 "нажмите «Принять количество из файла» или примите все сразу.")
                      .arg(grouped(qsizetype(m_found.size()))));
    });
    selectionChanged();
}

void ReconcileDialog::selectionChanged()
{
    m_accept->setEnabled(!m_table->selectionModel()->selectedRows().isEmpty());
    m_acceptAll->setText(QStringLiteral("Принять из файла все (%1)").arg(grouped(qsizetype(m_found.size()))));
    m_acceptAll->setEnabled(!m_found.empty());
}

void ReconcileDialog::acceptSelected()
{
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    acceptRows(rows);
}

void ReconcileDialog::acceptAll()
{
    QList<int> rows;
    for (int r = 0; r < int(m_found.size()); ++r)
        rows << r;
    acceptRows(rows);
}

void ReconcileDialog::acceptRows(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    int accepted = 0;
    guarded(m_report, [&] {
        for (int r : rows)
            if (acceptFileCount(m_journal, m_found[size_t(r)], Actor{}))
                ++accepted;
    });
    if (accepted > 0)
        emit countsAccepted(
            QStringLiteral("Сверка: принято количество из файла для %1 записей.").arg(grouped(accepted)));
    check();
}

} // namespace korvanta

namespace korvanta {

// ---- Шапка заказа

HeadingDialog::HeadingDialog(const QString& shopFolder, ErrorReport* report, QWidget* parent)
    : QDialog(parent), m_folder(shopFolder), m_report(report)
{
    setObjectName(QStringLiteral("HeadingDialog"));
    setWindowTitle(QStringLiteral("Шапка заказа"));
    resize(520, 260);
    auto* about = new QLabel(QStringLiteral("Эти строки печатаются над каждым заказом на всех кассах: название "
                                            "магазина, адрес, телефон, ИНН. Пусто — заказ печатается без шапки."),
                             this);
    about->setWordWrap(true);
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(QStringLiteral("HeadingEdit"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &HeadingDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    guarded(m_report, [this] { m_edit->setPlainText(loadHeading(m_folder).join(QLatin1Char('\n'))); });
}

void HeadingDialog::setText(const QString& text)
{
    m_edit->setPlainText(text);
}

void HeadingDialog::save()
{
    guarded(m_report, [this] {
        saveHeading(m_folder, m_edit->toPlainText().split(QLatin1Char('\n')));
        accept();
    });
}

} // namespace korvanta
