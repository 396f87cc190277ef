#include "owner/reportswindow.h"

#include "base/error.h"
#include "files/atomicfile.h"
#include "settings/settingsstore.h"
#include "text/conversions.h"
#include "widgets/guard.h"
#include "widgets/windowparts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

namespace korvanta {

using namespace reports;

namespace {

const QString ChoicesKey = QStringLiteral("software\\microsoft\\windows\\korvanta\\reports");

const QStringList& reportNames()
{
    static const QStringList names{QStringLiteral("Продажи"), QStringLiteral("Товары"), QStringLiteral("Склад"),
                                   QStringLiteral("Что заказать")};
    return names;
}

// The shop's colours: this period strong, the one before faded beside it.
const QColor Current(0x2e, 0x6d, 0xb4);
const QColor Previous(0x2e, 0x6d, 0xb4, 70);

QString money(double value)
{
    return QLocale().toString(value, 'f', 2);
}

QString whole(double value)
{
    return QLocale().toString(value, 'f', 0);
}

// A bar chart of one or two sets over named categories; horizontal for long names.
QChart* barChart(const QString& title, const QStringList& categories, const QList<QBarSet*>& sets, bool horizontal)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale());
    chart->setAnimationOptions(QChart::NoAnimation);
    QAbstractBarSeries* series = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries)
                                            : static_cast<QAbstractBarSeries*>(new QBarSeries);
    for (QBarSet* set : sets)
        series->append(set);
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(categories);
    auto* values = new QValueAxis;
    values->setLabelFormat(QStringLiteral("%.0f"));
    double top = 0;
    for (QBarSet* set : sets)
        for (int i = 0; i < set->count(); ++i)
            top = std::max(top, set->at(i));
    // Whole numbers on the axis even when the bars are small.
    values->setRange(0, std::max(top * 1.08, 5.0));
    values->applyNiceNumbers();
    if (categories.size() > 16 && !horizontal)
        names->setLabelsAngle(-90);
    // Items' names are what a horizontal chart is for: shown whole (they are shortened before).
    names->setTruncateLabels(!horizontal);
    chart->addAxis(names, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(names);
    series->attachAxis(values);
    chart->legend()->setVisible(sets.size() > 1);
    chart->legend()->setAlignment(Qt::AlignTop);
    return chart;
}

QBarSet* barSet(const QString& label, const QColor& colour)
{
    auto* set = new QBarSet(label);
    set->setColor(colour);
    set->setBorderColor(colour.alpha() < 255 ? colour.darker(110) : colour);
    return set;
}

QString shortened(const QString& text, int length = 34)
{
    return text.size() <= length ? text : text.left(length - 1) + QStringLiteral("…");
}

QString salesTip(const QString& label, const SalesFigures& f)
{
    return QStringLiteral(
               "%1\nЗаказов: %2\nПродано: %3 шт.\nВыручка: %4 у.е.\nВозвраты: %5 у.е. (%6 шт.)\nИтого: %7 у.е.")
        .arg(label, whole(f.orders), whole(double(f.items)), money(f.revenueUe), money(f.returnsUe),
             whole(double(f.returnedItems)), money(f.netUe()));
}

} // namespace

void ReportTableModel::setTable(Table table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int ReportTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_table.rows.size());
}

int ReportTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_table.headers.size());
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_table.rows.size())
        return {};
    const std::vector<Cell>& row = m_table.rows[size_t(index.row())];
    if (size_t(index.column()) >= row.size())
        return {};
    const Cell& cell = row[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return displayText(cell, QLocale());
    case Qt::UserRole: // the sort key
        return cell.isNumber() ? QVariant(cell.number) : QVariant(cell.text);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (cell.isNumber() ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant ReportTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_table.headers.size())
        return m_table.headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

ReportsWindow::ReportsWindow(const QString& shopFolder, SettingsStore* store, ErrorReport* report, QWidget* parent)
    : QDialog(parent), m_folder(shopFolder), m_store(store), m_report(report ? report : &m_qtReport),
      m_files(&m_qtFiles), m_decimal(systemDecimalSeparator())
{
    setObjectName(QStringLiteral("ReportsWindow"));
    setWindowTitle(QStringLiteral("Отчёты"));
    m_qtReport.setParent(this);
    m_qtFiles.setParent(this);

    m_reportBox = new QComboBox(this);
    m_reportBox->setObjectName(QStringLiteral("ReportBox"));
    m_reportBox->addItems(reportNames());
    m_periodBox = new QComboBox(this);
    m_periodBox->setObjectName(QStringLiteral("PeriodBox"));
    m_periodBox->addItems({QStringLiteral("сегодня"), QStringLiteral("эта неделя"), QStringLiteral("этот месяц"),
                           QStringLiteral("прошлый месяц"), QStringLiteral("этот год"), QStringLiteral("с … по …")});
    m_from = new QDateEdit(this);
    m_from->setObjectName(QStringLiteral("FromEdit"));
    m_to = new QDateEdit(this);
    m_to->setObjectName(QStringLiteral("ToEdit"));
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    m_groupingBox = new QComboBox(this);
    m_groupingBox->setObjectName(QStringLiteral("GroupingBox"));
    m_groupingBox->addItems({QStringLiteral("по дням"), QStringLiteral("по неделям"), QStringLiteral("по месяцам")});
    m_itemsViewBox = new QComboBox(this);
    m_itemsViewBox->setObjectName(QStringLiteral("ItemsViewBox"));
    m_itemsViewBox->addItems({QStringLiteral("все товары"), QStringLiteral("лидеры продаж"),
                              QStringLiteral("лежит без движения"), QStringLiteral("по категориям")});
    m_horizon = new QSpinBox(this);
    m_horizon->setObjectName(QStringLiteral("HorizonBox"));
    m_horizon->setRange(1, 365);
    m_horizon->setValue(14);
    m_horizon->setSuffix(QStringLiteral(" дн."));
    m_rateDays = new QSpinBox(this);
    m_rateDays->setObjectName(QStringLiteral("RateDaysBox"));
    m_rateDays->setRange(1, 730);
    m_rateDays->setValue(30);
    m_rateDays->setSuffix(QStringLiteral(" дн."));

    auto* choices = new QHBoxLayout;
    const auto add = [&](QList<QWidget*>* group, const QString& caption, QWidget* widget) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(widget);
        choices->addWidget(label);
        choices->addWidget(widget);
        if (group)
            *group << label << widget;
    };
    add(nullptr, QStringLiteral("&Отчёт:"), m_reportBox);
    choices->addSpacing(10);
    add(&m_periodWidgets, QStringLiteral("&Период:"), m_periodBox);
    add(&m_periodWidgets, QStringLiteral("с"), m_from);
    add(&m_periodWidgets, QStringLiteral("по"), m_to);
    add(&m_groupingWidgets, QStringLiteral("&Группировка:"), m_groupingBox);
    add(&m_itemsWidgets, QStringLiteral("По&казать:"), m_itemsViewBox);
    add(&m_orderWidgets, QStringLiteral("Запас на:"), m_horizon);
    add(&m_orderWidgets, QStringLiteral("Скорость продаж за последние:"), m_rateDays);
    choices->addStretch(1);

    m_chartView = new QChartView(this);
    m_chartView->setObjectName(QStringLiteral("ReportChart"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumHeight(260);

    m_model = new ReportTableModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(Qt::UserRole);
    m_sorted->setSortLocaleAware(true);
    m_sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_extraModel = new ReportTableModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("ReportTable"));
    m_table->setModel(m_sorted);
    m_extraTable = new QTableView(this);
    m_extraTable->setObjectName(QStringLiteral("NegativeTable"));
    m_extraTable->setModel(m_extraModel);
    for (QTableView* view : {m_table, m_extraTable}) {
        view->setAlternatingRowColors(true);
        view->setWordWrap(false);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->verticalHeader()->hide();
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    }
    m_extraTable->setMaximumHeight(150);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("NoteLabel"));
    m_note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* refreshButton = buttons->addButton(QStringLiteral("Обновить"), QDialogButtonBox::ActionRole);
    refreshButton->setObjectName(QStringLiteral("RefreshBtn"));
    QPushButton* csv = buttons->addButton(QStringLiteral("Экспорт в CSV..."), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("ExportCsvBtn"));
    QPushButton* pdf = buttons->addButton(QStringLiteral("Сохранить PDF..."), QDialogButtonBox::ActionRole);
    pdf->setObjectName(QStringLiteral("PdfBtn"));
    QPushButton* printButton = buttons->addButton(QStringLiteral("Печать..."), QDialogButtonBox::ActionRole);
    printButton->setObjectName(QStringLiteral("PrintBtn"));
    QPushButton* close = buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseBtn"));
    for (QPushButton* b : {refreshButton, csv, pdf, printButton, close})
        b->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(m_chartView, 3);
    layout->addWidget(m_table, 4);
    layout->addWidget(m_extraTable, 1);
    layout->addWidget(m_note);
    layout->addWidget(buttons);

    readChoices();
    connect(m_reportBox, &QComboBox::currentIndexChanged, this, &ReportsWindow::choicesChanged);
    connect(m_periodBox, &QComboBox::currentIndexChanged, this, &ReportsWindow::choicesChanged);
    connect(m_groupingBox, &QComboBox::currentIndexChanged, this, &ReportsWindow::choicesChanged);
    connect(m_itemsViewBox, &QComboBox::currentIndexChanged, this, &ReportsWindow::choicesChanged);
    connect(m_from, &QDateEdit::dateChanged, this, &ReportsWindow::choicesChanged);
    connect(m_to, &QDateEdit::dateChanged, this, &ReportsWindow::choicesChanged);
    connect(m_horizon, &QSpinBox::valueChanged, this, &ReportsWindow::choicesChanged);
    connect(m_rateDays, &QSpinBox::valueChanged, this, &ReportsWindow::choicesChanged);
    connect(refreshButton, &QPushButton::clicked, this, &ReportsWindow::refresh);
    connect(csv, &QPushButton::clicked, this, &ReportsWindow::exportCsv);
    connect(pdf, &QPushButton::clicked, this, &ReportsWindow::savePdf);
    connect(printButton, &QPushButton::clicked, this, &ReportsWindow::print);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    resize(1180, 780);
    refresh();
}

ReportsWindow::~ReportsWindow() = default;

void ReportsWindow::setToday(const QDate& today)
{
    m_today = today;
    refresh();
}

void ReportsWindow::setFileChooser(FileChooser* chooser)
{
    m_files = chooser ? chooser : &m_qtFiles;
}

QDate ReportsWindow::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

QChart* ReportsWindow::chart() const
{
    return m_chartView->chart();
}

void ReportsWindow::readChoices()
{
    const QSignalBlocker b1(m_reportBox), b2(m_periodBox), b3(m_groupingBox), b4(m_itemsViewBox), b5(m_from), b6(m_to),
        b7(m_horizon), b8(m_rateDays);
    m_from->setDate(today().addDays(-30));
    m_to->setDate(today());
    if (!m_store)
        return;
    try {
        const auto key = m_store->openKey(ChoicesKey);
        const auto number = [&](const QString& name, int fallback) {
            const auto value = key->read(name);
            return value ? int(readDWord(*value)) : fallback;
        };
        const auto choose = [&](QComboBox* box, const QString& name) {
            const int index = number(name, box->currentIndex());
            if (index >= 0 && index < box->count())
                box->setCurrentIndex(index);
        };
        choose(m_reportBox, QStringLiteral("report"));
        choose(m_periodBox, QStringLiteral("period"));
        choose(m_groupingBox, QStringLiteral("grouping"));
        choose(m_itemsViewBox, QStringLiteral("items"));
        m_horizon->setValue(number(QStringLiteral("horizon"), m_horizon->value()));
        m_rateDays->setValue(number(QStringLiteral("rateDays"), m_rateDays->value()));
        const QDate from = QDate::fromJulianDay(number(QStringLiteral("from"), 0));
        const QDate to = QDate::fromJulianDay(number(QStringLiteral("to"), 0));
        if (from.isValid() && to.isValid() && from.year() > 1900) {
            m_from->setDate(from);
            m_to->setDate(to);
        }
    } catch (const StoreError&) {
        // Choices that cannot be read start from the defaults.
    }
}

void ReportsWindow::saveChoices()
{
    if (!m_store)
        return;
    try {
        const auto key = m_store->openKey(ChoicesKey);
        key->write(QStringLiteral("report"), dword(quint32(m_reportBox->currentIndex())));
        key->write(QStringLiteral("period"), dword(quint32(m_periodBox->currentIndex())));
        key->write(QStringLiteral("grouping"), dword(quint32(m_groupingBox->currentIndex())));
        key->write(QStringLiteral("items"), dword(quint32(m_itemsViewBox->currentIndex())));
        key->write(QStringLiteral("horizon"), dword(quint32(m_horizon->value())));
        key->write(QStringLiteral("rateDays"), dword(quint32(m_rateDays->value())));
        if (m_periodBox->currentIndex() == int(PeriodKind::Custom)) {
            key->write(QStringLiteral("from"), dword(quint32(m_from->date().toJulianDay())));
            key->write(QStringLiteral("to"), dword(quint32(m_to->date().toJulianDay())));
        }
        key->close();
    } catch (const StoreError& e) {
        // Not remembering the choices must not stop the report.
        m_note->setText(QStringLiteral("Выбор не сохранён: %1").arg(e.reason()));
    }
}

void ReportsWindow::choicesChanged()
{
    if (m_restoring)
        return;
    saveChoices();
    refresh();
}

Period ReportsWindow::chosenPeriod() const
{
    return periodOf(PeriodKind(m_periodBox->currentIndex()), today(), m_from->date(), m_to->date());
}

void ReportsWindow::refresh()
{
    const int report = m_reportBox->currentIndex();
    const bool custom = m_periodBox->currentIndex() == int(PeriodKind::Custom);
    for (QWidget* w : m_periodWidgets)
        w->setVisible(report == SalesReport || report == ItemsReport);
    for (QWidget* w : m_groupingWidgets)
        w->setVisible(report == SalesReport);
    for (QWidget* w : m_itemsWidgets)
        w->setVisible(report == ItemsReport);
    for (QWidget* w : m_orderWidgets)
        w->setVisible(report == OrderReport);
    m_from->setEnabled(custom);
    m_to->setEnabled(custom);
    if (!custom) {
        // The dates the chosen period stands for.
        m_restoring = true;
        const Period p = chosenPeriod();
        m_from->setDate(p.from);
        m_to->setDate(p.to);
        m_restoring = false;
    }
    m_extraTable->setVisible(report == StockReport);
    guarded(m_report, [&] {
        const BusyCursor busy;
        m_tables.clear();
        m_note->clear();
        switch (report) {
        case SalesReport:
            showSales();
            break;
        case ItemsReport:
            showItems();
            break;
        case StockReport:
            showStock();
            break;
        default:
            showOrder();
            break;
        }
        showTables();
    });
}

void ReportsWindow::showSales()
{
    const Grouping grouping = Grouping(m_groupingBox->currentIndex());
    const reports::SalesReport sales = salesReport(readJournal(m_folder), chosenPeriod(), grouping);
    auto* current = barSet(QStringLiteral("%1, у.е.").arg(periodLabel(sales.period)), Current);
    auto* previous = barSet(QStringLiteral("%1, у.е.").arg(periodLabel(sales.previous)), Previous);
    QStringList categories;
    for (size_t i = 0; i < sales.groups.size(); ++i) {
        const SalesGroup& g = sales.groups[i];
        categories << (grouping == Grouping::Month
                           ? QLocale().standaloneMonthName(g.start.month(), QLocale::ShortFormat) +
                                 g.start.toString(QStringLiteral(" yy"))
                           : g.start.toString(QStringLiteral("dd.MM")));
        *current << g.figures.netUe();
        *previous << (i < sales.previousGroups.size() ? sales.previousGroups[i].figures.netUe() : 0.0);
    }
    // Hovering a bar shows its group's figures.
    const auto tip = [sales](bool previousSet) {
        return [sales, previousSet](bool status, int index) {
            const auto& groups = previousSet ? sales.previousGroups : sales.groups;
            if (!status || index < 0 || size_t(index) >= groups.size()) {
                QToolTip::hideText();
                return;
            }
            QToolTip::showText(QCursor::pos(), salesTip(groups[size_t(index)].label, groups[size_t(index)].figures));
        };
    };
    connect(current, &QBarSet::hovered, this, tip(false));
    connect(previous, &QBarSet::hovered, this, tip(true));
    setChart(barChart(QStringLiteral("Выручка за вычетом возвратов, у.е."), categories, {previous, current}, false));
    m_tables.push_back(salesTable(sales));
    if (sales.total.estimated || sales.previousTotal.estimated)
        m_note->setText(
            QStringLiteral("«оценка»: в журнале есть строки без начисленных сумм (записанные раньше); "
                           "они посчитаны по цене, записанной в строке журнала, в у.е., без наценки и НДС."));
}

void ReportsWindow::showItems()
{
    const Period period = chosenPeriod();
    const reports::ItemsReport items = itemsReport(readJournal(m_folder), loadShopItems(m_folder, m_decimal), period);
    const int view = m_itemsViewBox->currentIndex();
    auto* set = barSet(QString(), Current);
    QStringList names;
    QString chartTitle;
    if (view == ByCategory) {
        m_tables.push_back(
            itemsTable(items.categories, QStringLiteral("Категории за %1").arg(periodLabel(period)), true));
        chartTitle = QStringLiteral("Выручка, у.е.: 12 категорий с наибольшей выручкой");
        std::vector<ItemFigures> sorted = items.categories;
        std::sort(sorted.begin(), sorted.end(),
                  [](const ItemFigures& a, const ItemFigures& b) { return a.revenueUe < b.revenueUe; });
        for (size_t i = sorted.size() - std::min<size_t>(sorted.size(), 12); i < sorted.size(); ++i)
            if (sorted[i].revenueUe > 0) {
                names << sorted[i].category;
                *set << sorted[i].revenueUe;
            }
    } else if (view == IdleItems) {
        std::vector<ItemFigures> idle = idleItems(items);
        std::stable_sort(idle.begin(), idle.end(),
                         [](const ItemFigures& a, const ItemFigures& b) { return *a.stock > *b.stock; });
        m_tables.push_back(itemsTable(
            idle, QStringLiteral("Лежит без движения за %1 (в наличии, не продано)").arg(periodLabel(period))));
        chartTitle = QStringLiteral("Больше всего лежит без движения, шт.");
        for (size_t i = std::min<size_t>(idle.size(), 12); i-- > 0;) {
            names << shortened(idle[i].name);
            *set << double(*idle[i].stock);
        }
    } else {
        const std::vector<ItemFigures> top = topSellers(items, 12);
        chartTitle = QStringLiteral("Лидеры продаж, выручка у.е.");
        for (size_t i = top.size(); i-- > 0;) {
            names << shortened(top[i].name);
            *set << top[i].revenueUe;
        }
        if (view == TopSellers)
            m_tables.push_back(
                itemsTable(topSellers(items, 50), QStringLiteral("Лидеры продаж за %1").arg(periodLabel(period))));
        else
            m_tables.push_back(itemsTable(items.items, QStringLiteral("Товары за %1").arg(periodLabel(period))));
    }
    setChart(barChart(chartTitle, names, {set}, true));
}

void ReportsWindow::showStock()
{
    const reports::StockReport stock = stockReport(loadShopItems(m_folder, m_decimal));
    auto* set = barSet(QString(), Current);
    QStringList names;
    std::vector<CategoryStock> sorted = stock.categories;
    std::sort(sorted.begin(), sorted.end(),
              [](const CategoryStock& a, const CategoryStock& b) { return a.valueUe < b.valueUe; });
    // The dozen categories worth most; the table has them all.
    const size_t shown = std::min<size_t>(sorted.size(), 12);
    for (size_t i = sorted.size() - shown; i < sorted.size(); ++i)
        if (sorted[i].valueUe > 0) {
            names << sorted[i].category;
            *set << sorted[i].valueUe;
        }
    setChart(
        barChart(QStringLiteral("Стоимость остатков по категориям, у.е. (всего %1)").arg(money(stock.total.valueUe)),
                 names, {set}, true));
    m_tables.push_back(stockTable(stock));
    m_tables.push_back(negativeStockTable(stock));
    if (!stock.negative.empty())
        m_note->setText(QStringLiteral("Товаров с отрицательным остатком: %1 — продажа записана раньше прихода.")
                            .arg(stock.negative.size()));
}

void ReportsWindow::showOrder()
{
    const std::vector<OrderSuggestion> order = whatToOrder(readJournal(m_folder), loadShopItems(m_folder, m_decimal),
                                                           today(), m_horizon->value(), m_rateDays->value());
    Table table = orderTable(order);
    table.title = QStringLiteral("Закончится в ближайшие %1 дн. при продажах последних %2 дн.")
                      .arg(m_horizon->value())
                      .arg(m_rateDays->value());
    auto* set = barSet(QString(), Current);
    QStringList names;
    for (size_t i = std::min<size_t>(order.size(), 12); i-- > 0;) {
        names << shortened(order[i].name);
        *set << double(order[i].suggested);
    }
    setChart(barChart(QStringLiteral("Заказать, шт. (закончатся первыми)"), names, {set}, true));
    m_tables.push_back(std::move(table));
    if (order.empty())
        m_note->setText(
            QStringLiteral("При этой скорости продаж ничего не закончится в ближайшие %1 дн.").arg(m_horizon->value()));
}

void ReportsWindow::setChart(QChart* chart)
{
    QChart* old = m_chartView->chart();
    m_chartView->setChart(chart);
    delete old;
}

void ReportsWindow::showTables()
{
    const int report = m_reportBox->currentIndex();
    // Tables with a total row keep their order.
    const bool sortable = report == ItemsReport || report == OrderReport;
    m_table->setSortingEnabled(false);
    m_sorted->sort(-1);
    m_model->setTable(m_tables.empty() ? Table() : m_tables.front());
    m_extraModel->setTable(m_tables.size() > 1 ? m_tables[1] : Table());
    m_table->setSortingEnabled(sortable);
    m_table->horizontalHeader()->setSortIndicatorShown(sortable);
    if (sortable)
        m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    for (QTableView* view : {m_table, m_extraTable}) {
        view->resizeColumnsToContents();
        // Long item names do not push the figures out of sight.
        const int widest = view->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 30;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            view->setColumnWidth(c, std::min(view->columnWidth(c), widest));
        // The first column, the name, takes what the figures leave.
        if (view->model()->columnCount() > 0)
            view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    setWindowTitle(QStringLiteral("Отчёты — %1").arg(reportNames().value(report)));
}

void ReportsWindow::exportCsv()
{
    guarded(m_report, [this] {
        const QString name = reportNames().value(m_reportBox->currentIndex());
        const QString proposed = QDir(m_folder).filePath(
            QStringLiteral("Отчёт %1 %2.csv").arg(name, today().toString(QStringLiteral("yyyy-MM-dd"))));
        const QString path = m_files->saveFile(QStringLiteral("Экспорт отчёта в таблицу"), proposed);
        if (path.isEmpty())
            return;
        writeTablesCsv(path, m_tables, m_decimal);
        m_note->setText(QStringLiteral("Отчёт выгружен в %1.").arg(QDir::toNativeSeparators(path)));
    });
}

void ReportsWindow::print()
{
    guarded(m_report, [this] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(windowTitle());
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        render(printer);
    });
}

void ReportsWindow::savePdf()
{
    guarded(m_report, [this] {
        const QString name = reportNames().value(m_reportBox->currentIndex());
        const QString proposed = QDir(m_folder).filePath(
            QStringLiteral("Отчёт %1 %2.pdf").arg(name, today().toString(QStringLiteral("yyyy-MM-dd"))));
        const QString path = m_files->savePdfFile(QStringLiteral("Сохранить отчёт в PDF"), proposed);
        if (path.isEmpty())
            return;
        // Rendered beside, then put in place in one step like every file the program writes.
        QTemporaryDir scratch;
        const QString temporary = scratch.filePath(QStringLiteral("report.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temporary);
        printer.setDocName(windowTitle());
        render(printer);
        QFile file(temporary);
        if (!file.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("Не удалось записать файл \"%1\". %2").arg(path, file.errorString()));
        const QString reason = replaceFile(path, file.readAll());
        if (!reason.isEmpty())
            throw Error(
                QStringLiteral("Не удалось записать файл \"%1\". %2").arg(QFileInfo(path).absoluteFilePath(), reason));
        m_note->setText(QStringLiteral("Отчёт сохранён в %1.").arg(QDir::toNativeSeparators(path)));
    });
}

void ReportsWindow::render(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        throw Error(QStringLiteral("Не удалось начать печать отчёта."));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int width = page.width();
    const int height = page.height();
    QFont font = this->font();
    font.setPointSizeF(8.5);
    QFont bold = font;
    bold.setBold(true);
    QFont heading = bold;
    heading.setPointSizeF(12);

    int y = 0;
    painter.setFont(heading);
    const int headingHeight = painter.fontMetrics().height();
    painter.drawText(QRect(0, y, width, headingHeight), Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    painter.setFont(font);
    painter.drawText(QRect(0, y, width, headingHeight), Qt::AlignRight | Qt::AlignVCenter,
                     QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    y += headingHeight * 3 / 2;

    // The chart as the window shows it, scaled to the page.
    const QRect chartArea(0, y, width, height * 2 / 5);
    m_chartView->render(&painter, chartArea, QRect(), Qt::KeepAspectRatio);
    y += chartArea.height() + headingHeight / 2;

    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height() * 5 / 4;
    const int pad = metrics.horizontalAdvance(QLatin1Char(' '));
    const QLocale locale;
    const auto newPageIfFull = [&](int needed) {
        if (y + needed <= height)
            return;
        if (!printer.newPage())
            throw Error(QStringLiteral("Не удалось напечатать отчёт."));
        y = 0;
    };
    for (const Table& table : m_tables) {
        if (table.rows.empty() && &table != &m_tables.front())
            continue;
        // Columns as wide as their widest text, shrunk together to the page.
        std::vector<int> widths(size_t(table.headers.size()), 0);
        const QFontMetrics boldMetrics(bold, painter.device());
        for (int c = 0; c < table.headers.size(); ++c)
            widths[size_t(c)] = boldMetrics.horizontalAdvance(table.headers[c]) + 2 * pad;
        for (const auto& row : table.rows)
            for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
                widths[c] = std::max(widths[c], metrics.horizontalAdvance(displayText(row[c], locale)) + 2 * pad);
        long long total = 0;
        for (int w : widths)
            total += w;
        if (total > width)
            for (int& w : widths)
                w = int(w * double(width) / double(total));
        const auto drawRow = [&](const QStringList& texts, const std::vector<bool>& right, bool header) {
            newPageIfFull(line);
            painter.setFont(header ? bold : font);
            int x = 0;
            for (size_t c = 0; c < widths.size(); ++c) {
                const QRect cell(x + pad, y, widths[c] - 2 * pad, line);
                const QString text =
                    painter.fontMetrics().elidedText(texts.value(int(c)), Qt::ElideRight, cell.width());
                painter.drawText(cell, Qt::AlignVCenter | (right[c] ? Qt::AlignRight : Qt::AlignLeft), text);
                x += widths[c];
            }
            y += line;
            if (header)
                painter.drawLine(0, y - 1, x, y - 1);
        };
        newPageIfFull(line * 3);
        painter.setFont(bold);
        painter.drawText(QRect(0, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, table.title);
        y += line;
        std::vector<bool> right(widths.size(), false);
        if (!table.rows.empty())
            for (size_t c = 0; c < widths.size() && c < table.rows.front().size(); ++c)
                right[c] = table.rows.front()[c].isNumber();
        drawRow(table.headers, right, true);
        for (const auto& row : table.rows) {
            QStringList texts;
            for (const Cell& cell : row)
                texts << displayText(cell, locale);
            if (y + line > height) {
                newPageIfFull(line);
                drawRow(table.headers, right, true);
            }
            drawRow(texts, right, false);
        }
        y += line;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw Error(QStringLiteral("Не удалось напечатать отчёт."));
}

} // namespace korvanta
