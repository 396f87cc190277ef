#include "owner/ownerwindow.h"

#include "base/error.h"
#include "files/shopwatcher.h"
#include "owner/pricelistwindows.h"
#include "owner/reportswindow.h"
#include "owner/stockdialogs.h"
#include "quotation/printedorder.h"
#include "settings/settingsstore.h"
#include "stock/movement.h"
#include "stock/pricelistjournal.h"
#include "text/conversions.h"
#include "widgets/guard.h"
#include "widgets/windowparts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace korvanta {

using namespace stock;

namespace {

// A typical text of each column, for its starting width.
QString widestText(int column)
{
    switch (column) {
    case OrderColumn:
        return QStringLiteral("000000");
    case DateColumn:
        return QStringLiteral("00.00.0000");
    case TimeColumn:
        return QStringLiteral("00:00:00");
    case WorkplaceColumn:
        return QStringLiteral("anna@kassa1");
    case CustomerColumn:
        return QStringLiteral("Смирнова А.В.");
    case OperationColumn:
        return QStringLiteral("отгрузка");
    case FileColumn:
        return QStringLiteral("Proc_int.dat");
    case PriceColumn:
        return QStringLiteral("1234,00");
    default:
        return QString();
    }
}

} // namespace

OwnerWindow::OwnerWindow(const QString& shopFolder, ErrorReport* report, QWidget* parent)
    : QMainWindow(parent), m_journal(shopFolder), m_report(report ? report : &m_qtReport), m_files(&m_qtFiles),
      m_decimal(systemDecimalSeparator())
{
    setObjectName(QStringLiteral("OwnerWindow"));
    setWindowTitle(QStringLiteral("KORVANTA — склад"));
    m_qtReport.setParent(this);
    m_qtFiles.setParent(this);

    auto* tools = addToolBar(QStringLiteral("Действия"));
    tools->setObjectName(QStringLiteral("Actions"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto addTool = [&](const QString& text, const char* name, void (OwnerWindow::*slot)(),
                             const QString& tip = QString()) {
        QAction* action = tools->addAction(text, this, slot);
        action->setObjectName(QString::fromLatin1(name));
        if (!tip.isEmpty())
            action->setToolTip(tip);
        return action;
    };
    addTool(QStringLiteral("Приход..."), "ReceiveAction", &OwnerWindow::openReceive,
            QStringLiteral("Оприходовать поступивший товар"));
    addTool(QStringLiteral("Возврат..."), "ReturnAction", &OwnerWindow::openReturn,
            QStringLiteral("Принять возврат заказа целиком или отдельных строк"));
    addTool(QStringLiteral("Сверка..."), "ReconcileAction", &OwnerWindow::openReconcile,
            QStringLiteral("Сравнить количество в прайс-листах с журналом"));
    addTool(QStringLiteral("Копия заказа..."), "CopyAction", &OwnerWindow::printSelectedCopy,
            QStringLiteral("Напечатать выбранный заказ ещё раз, с пометкой «КОПИЯ», без отгрузки"));
    tools->addSeparator();
    addTool(QStringLiteral("Прайс-листы..."), "ItemsAction", &OwnerWindow::openItemEditor,
            QStringLiteral("Изменить товары прайс-листов, установить остаток, добавить товар"));
    addTool(QStringLiteral("Экспорт в таблицу..."), "ExportAction", &OwnerWindow::exportPriceLists,
            QStringLiteral("Выгрузить все прайс-листы в одну книгу .xlsx или файл CSV для электронной таблицы"));
    addTool(QStringLiteral("Импорт из таблицы..."), "ImportAction", &OwnerWindow::importPriceLists,
            QStringLiteral("Загрузить изменённую книгу .xlsx или таблицу CSV: сначала показываются все изменения"));
    addTool(QStringLiteral("Шапка заказа..."), "HeadingAction", &OwnerWindow::openHeading,
            QStringLiteral("Название, адрес, телефон и ИНН магазина над каждым печатным заказом"));
    tools->addSeparator();
    addTool(QStringLiteral("Отчёты..."), "ReportsAction", &OwnerWindow::openReports,
            QStringLiteral("Продажи, товары, остатки на складе и что заказать, с графиками"));
    tools->addSeparator();
    addTool(QStringLiteral("Обновить"), "RefreshAction", &OwnerWindow::refresh)->setShortcut(QKeySequence::Refresh);

    // Filters.
    auto* filters = new QGroupBox(QStringLiteral("Отбор"), this);
    m_fromCheck = new QCheckBox(QStringLiteral("с"), filters);
    m_fromCheck->setObjectName(QStringLiteral("FromCheck"));
    m_from = new QDateEdit(QDate::currentDate().addDays(-30), filters);
    m_from->setObjectName(QStringLiteral("FromEdit"));
    m_toCheck = new QCheckBox(QStringLiteral("по"), filters);
    m_toCheck->setObjectName(QStringLiteral("ToCheck"));
    m_to = new QDateEdit(QDate::currentDate(), filters);
    m_to->setObjectName(QStringLiteral("ToEdit"));
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setEnabled(false);
    }
    m_customer = new QLineEdit(filters);
    m_customer->setObjectName(QStringLiteral("CustomerEdit"));
    m_customer->setPlaceholderText(QStringLiteral("часть имени"));
    m_customer->setClearButtonEnabled(true);
    m_item = new QLineEdit(filters);
    m_item->setObjectName(QStringLiteral("ItemEdit"));
    m_item->setPlaceholderText(QStringLiteral("часть названия"));
    m_item->setClearButtonEnabled(true);
    m_order = new QLineEdit(filters);
    m_order->setObjectName(QStringLiteral("OrderFilterEdit"));
    m_order->setPlaceholderText(QStringLiteral("№"));
    m_order->setClearButtonEnabled(true);
    m_order->setMaximumWidth(110);
    m_operation = new QComboBox(filters);
    m_operation->setObjectName(QStringLiteral("OperationBox"));
    m_operation->addItem(QStringLiteral("все"), QString());
    for (const QString& op : {ShipmentOp, ReturnOp, ReceiptOp, CorrectionOp})
        m_operation->addItem(op, op);
    auto* reset = new QPushButton(QStringLiteral("Сбросить"), filters);
    reset->setObjectName(QStringLiteral("ResetFilterBtn"));

    auto* row = new QHBoxLayout(filters);
    row->addWidget(new QLabel(QStringLiteral("Даты:"), filters));
    row->addWidget(m_fromCheck);
    row->addWidget(m_from);
    row->addWidget(m_toCheck);
    row->addWidget(m_to);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Заказ:"), filters));
    row->addWidget(m_order);
    row->addWidget(new QLabel(QStringLiteral("Заказчик:"), filters));
    row->addWidget(m_customer, 2);
    row->addWidget(new QLabel(QStringLiteral("Товар:"), filters));
    row->addWidget(m_item, 3);
    row->addWidget(new QLabel(QStringLiteral("Операция:"), filters));
    row->addWidget(m_operation);
    row->addWidget(reset);

    m_model = new JournalModel(this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("JournalView"));
    m_view->setModel(m_model);
    // The journal's own order, newest first, until a column is clicked; then the header shows
    // the order.
    m_view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_view->horizontalHeader()->setSortIndicatorShown(false);
    m_view->setSortingEnabled(true);
    connect(m_view->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this] { m_view->horizontalHeader()->setSortIndicatorShown(true); });
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setStretchLastSection(false);
    const QFontMetrics metrics = m_view->fontMetrics();
    for (int c = 0; c < ColumnCount; ++c)
        m_view->setColumnWidth(c, std::max(metrics.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()),
                                           metrics.horizontalAdvance(widestText(c))) +
                                      14);
    // The item's name takes whatever width is left.
    m_view->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(filters);
    layout->addWidget(m_view);
    setCentralWidget(central);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("CountLabel"));
    statusBar()->addPermanentWidget(m_count);

    // Typing filters once the typing pauses: a million rows take a moment.
    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(350);
    connect(m_filterTimer, &QTimer::timeout, this, &OwnerWindow::applyFilter);
    connect(m_fromCheck, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_toCheck, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
    connect(m_fromCheck, &QCheckBox::toggled, this, &OwnerWindow::applyFilter);
    connect(m_toCheck, &QCheckBox::toggled, this, &OwnerWindow::applyFilter);
    connect(m_from, &QDateEdit::dateChanged, this, &OwnerWindow::filterSoon);
    connect(m_to, &QDateEdit::dateChanged, this, &OwnerWindow::filterSoon);
    connect(m_customer, &QLineEdit::textChanged, this, &OwnerWindow::filterSoon);
    connect(m_item, &QLineEdit::textChanged, this, &OwnerWindow::filterSoon);
    connect(m_order, &QLineEdit::textChanged, this, &OwnerWindow::filterSoon);
    connect(m_operation, &QComboBox::currentIndexChanged, this, &OwnerWindow::applyFilter);
    connect(reset, &QPushButton::clicked, this, &OwnerWindow::resetFilter);
    connect(m_view, &QTableView::doubleClicked, this, &OwnerWindow::openReturn);

    resize(1240, 680);
    refresh();

    // The counters' sales show up while the window is open.
    m_watcher = new ShopWatcher(m_journal.directory(), 1000, this);
    m_watcher->follow(QFileInfo(m_journal.path()).fileName());
    connect(m_watcher, &ShopWatcher::changed, this, &OwnerWindow::followJournal);
}

void OwnerWindow::followJournal()
{
    guarded(m_report, [this] {
        const QModelIndex current = m_view->currentIndex();
        const int row = m_model->follow(m_journal.path(), current.isValid() ? current.row() : -1);
        if (row >= 0) {
            const QModelIndex now = m_model->index(row, std::max(current.column(), 0));
            m_view->selectionModel()->setCurrentIndex(now,
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        showStatus();
    });
}

void OwnerWindow::filterSoon()
{
    m_filterTimer->start();
}

void OwnerWindow::refresh()
{
    guarded(m_report, [this] {
        {
            const BusyCursor busy;
            // A copy that died between a list and its journal rows left them to whoever comes
            // next: the journal shown is then the one the lists agree with.
            completePendingMoves(m_journal);
            m_model->load(m_journal.path());
        }
        showStatus();
    });
}

void OwnerWindow::applyFilter()
{
    m_filterTimer->stop();
    JournalFilter filter;
    if (m_fromCheck->isChecked())
        filter.from = m_from->date();
    if (m_toCheck->isChecked())
        filter.to = m_to->date();
    filter.customer = m_customer->text().trimmed();
    filter.item = m_item->text().trimmed();
    filter.operation = m_operation->currentData().toString();
    // A number not yet understood (half typed) keeps no row rather than all of them.
    if (!m_order->text().trimmed().isEmpty())
        filter.order = orderNumberFromText(m_order->text()).value_or(-1);
    {
        const BusyCursor busy;
        m_model->setFilter(filter);
    }
    showStatus();
}

void OwnerWindow::resetFilter()
{
    const QSignalBlocker b1(m_fromCheck), b2(m_toCheck), b3(m_customer), b4(m_item), b5(m_operation), b6(m_order);
    m_fromCheck->setChecked(false);
    m_toCheck->setChecked(false);
    m_from->setEnabled(false);
    m_to->setEnabled(false);
    m_customer->clear();
    m_item->clear();
    m_order->clear();
    m_operation->setCurrentIndex(0);
    applyFilter();
}

void OwnerWindow::showStatus(const QString& message)
{
    m_count->setText(QStringLiteral("Строк: %1 из %2   Журнал: %3")
                         .arg(grouped(m_model->rowCount()), grouped(m_model->totalRows()),
                              QDir::toNativeSeparators(QFileInfo(m_journal.path()).absoluteFilePath())));
    if (!message.isEmpty())
        statusBar()->showMessage(message, 15000);
}

void OwnerWindow::openReceive()
{
    ReceiveDialog dialog(m_journal, m_report, this);
    connect(&dialog, &ReceiveDialog::received, this, [this](const QString& message) {
        refresh();
        showStatus(message);
    });
    dialog.exec();
}

void OwnerWindow::openReturn()
{
    ReturnDialog dialog(m_journal, m_report, this);
    connect(&dialog, &ReturnDialog::returned, this, [this](const QString& message) {
        refresh();
        showStatus(message);
    });
    connect(&dialog, &ReturnDialog::copyWanted, this, [this](long long order) { printCopy(order); });
    const auto row = m_model->journalRow(m_view->currentIndex().row());
    if (row)
        dialog.showOrder(row->order);
    dialog.exec();
}

void OwnerWindow::setPrinter(Printer* printer)
{
    m_printer = printer;
}

void OwnerWindow::openHeading()
{
    HeadingDialog dialog(m_journal.directory(), m_report, this);
    if (dialog.exec() == QDialog::Accepted)
        showStatus(QStringLiteral("Шапка заказа сохранена."));
}

void OwnerWindow::printSelectedCopy()
{
    printCopy();
}

void OwnerWindow::printCopy(long long order)
{
    guarded(m_report, [&] {
        if (order <= 0) {
            const auto row = m_model->journalRow(m_view->currentIndex().row());
            if (!row)
                throw Error(QStringLiteral("Выберите в журнале строку заказа, копию которого нужно напечатать."));
            order = row->order;
        }
        const QStringList lines = orderCopy(m_journal, order, m_decimal);
        Printer* printer = m_printer;
        if (!printer) {
            if (!m_qtPrinter)
                m_qtPrinter = std::make_unique<QtPrinter>();
            m_qtPrinter->setParent(this);
            m_qtPrinter->setFont(orderFont());
            m_qtPrinter->setPdfName(QStringLiteral("Заказ № %1 (копия)").arg(order));
            printer = m_qtPrinter.get();
        }
        if (!printer->setup())
            return;
        printer->print(lines, QStringLiteral("Заказ № %1 (копия)").arg(order));
        showStatus(QStringLiteral("Копия заказа № %1 напечатана.").arg(order));
    });
}

void OwnerWindow::openReconcile()
{
    ReconcileDialog dialog(m_journal, m_report, this);
    connect(&dialog, &ReconcileDialog::countsAccepted, this, [this](const QString& message) {
        refresh();
        showStatus(message);
    });
    dialog.check();
    dialog.exec();
}

void OwnerWindow::setFileChooser(FileChooser* chooser)
{
    m_files = chooser ? chooser : &m_qtFiles;
}

void OwnerWindow::setSettingsStore(SettingsStore* store)
{
    m_store = store;
}

ReportsWindow* OwnerWindow::reportsWindow() const
{
    return m_reports;
}

void OwnerWindow::openReports()
{
    if (!m_reports) {
        if (!m_store) {
            m_userStore = makeFileSettingsStore(defaultSettingsDirectory());
            m_store = m_userStore.get();
        }
        m_reports = new ReportsWindow(m_journal.directory(), m_store, m_report, this);
        m_reports->setAttribute(Qt::WA_DeleteOnClose);
        m_reports->setFileChooser(m_files == &m_qtFiles ? nullptr : m_files);
    } else {
        m_reports->refresh();
    }
    m_reports->show();
    m_reports->raise();
    m_reports->activateWindow();
}

void OwnerWindow::openItemEditor()
{
    ItemEditor editor(m_journal, m_decimal, m_report, this);
    connect(&editor, &ItemEditor::changed, this, [this](const QString& message) {
        refresh();
        showStatus(message);
    });
    editor.exec();
}

void OwnerWindow::exportPriceLists()
{
    guarded(m_report, [this] {
        const QString proposed = QDir(m_journal.directory())
                                     .filePath(QStringLiteral("Прайс-листы %1.xlsx")
                                                   .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
        const QString path = m_files->saveFile(QStringLiteral("Экспорт прайс-листов в таблицу"), proposed);
        if (path.isEmpty())
            return;
        const BusyCursor busy;
        exportPriceListsToFile(m_journal.directory(), path, m_decimal);
        showStatus(QStringLiteral("Прайс-листы выгружены в %1.").arg(QDir::toNativeSeparators(path)));
    });
}

void OwnerWindow::importPriceLists()
{
    bool written = false;
    guarded(m_report, [&] {
        const QString path = m_files->openFile(QStringLiteral("Импорт прайс-листов из таблицы"),
                                               QDir(m_journal.directory()).absolutePath());
        if (path.isEmpty())
            return;
        ImportPlan plan;
        {
            const BusyCursor busy;
            plan = planImportFile(path, m_journal.directory(), m_decimal);
        }
        ImportPreview preview(plan, path, this);
        if (preview.exec() != QDialog::Accepted)
            return;
        plan = preview.chosenPlan();
        if (plan.isEmpty())
            return;
        written = true;
        PriceListJournal rows(m_journal);
        const QStringList files = applyImport(plan, m_journal.directory(), rows.observer());
        QString message = QStringLiteral("Импорт: изменено товаров %1 в прайс-листах: %2.")
                              .arg(grouped(qsizetype(plan.items.size())), files.join(QStringLiteral(", ")));
        if (rows.orderNumber() > 0)
            message += QStringLiteral(" Остатки записаны в журнал, № %1.").arg(rows.orderNumber());
        showStatus(message);
    });
    // Also after a refusal midway: the lists written before it have their rows.
    if (written)
        refresh();
}

} // namespace korvanta
