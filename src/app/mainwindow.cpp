#include "app/mainwindow.h"

#include "app/choicelistmodel.h"
#include "app/controlnames.h"
#include "app/picturebox.h"
#include "app/typinglimit.h"
#include "catalogue/catalogue.h"
#include "presentation/mainstate.h"
#include "presentation/pagetable.h"
#include "ui_generalsheet.h"
#include "widgets/contexthelp.h"
#include "widgets/guard.h"
#include "widgets/windowparts.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

namespace korvanta {

namespace {

constexpr int ClientWidth = 732;
constexpr int ClientHeight = 440;
// The right-hand column of buttons stands at the same place on every page: a category page's help
// button where the General page's form (forms/generalsheet.ui) has its own.
constexpr int RightColumnX = 592;
constexpr int RightColumnWidth = 124;
constexpr int ButtonHeight = 25;

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    // Texts from the price lists are shown as they stand, never as markup.
    l->setTextFormat(Qt::PlainText);
    return l;
}

// Tabs with less padding, so that all nine tabs of the components way fit the fixed window.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return QProxyStyle::pixelMetric(metric, option, widget) / 2;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QFont boldFont(const QWidget* w)
{
    QFont f = w->font();
    f.setBold(true);
    return f;
}

} // namespace

MainWindow::MainWindow(MainState& state, const Facilities& facilities, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_facilities(facilities), m_store(store), m_general(std::make_unique<Ui::GeneralSheet>())
{
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(QStringLiteral("KORVANTA - помощник продавца компьютерного магазина"));
    setWindowIcon(QIcon(QStringLiteral(":/korvanta.svg")));
    setFixedSize(ClientWidth, ClientHeight);

    m_pageControl = new QTabWidget(this);
    m_pageControl->setObjectName(QStringLiteral("PageControl"));
    m_pageControl->setGeometry(0, 0, ClientWidth, ClientHeight);
    m_pageControl->setUsesScrollButtons(false);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(m_pageControl);
    m_pageControl->tabBar()->setStyle(tabStyle);

    buildGeneralSheet();
    // Tabs in the window's order: General, Base, Nout, Proc, RAM, Disk, Video, Other, Mon, Prn, Dop.
    for (Page p : {Page::Base, Page::Nout, Page::Proc, Page::RAM, Page::Disk, Page::Video, Page::Other, Page::Mon,
                   Page::Prn, Page::Dop})
        buildCategorySheet(p);

    connect(m_pageControl, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);

    // Creation: seed, hide the category tabs, the order date, the settings.
    handle([&] {
        const QDate today = QDate::currentDate();
        m_state.start(m_store, today.day(), today.month(), today.year(), quint32(QDateTime::currentMSecsSinceEpoch()));
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::setDialogs(QWidget* about, QWidget* result, QWidget* clients, QWidget* extras)
{
    m_about = about;
    m_result = result;
    m_clients = clients;
    m_extras = extras;
}

template <typename F> void MainWindow::handle(F&& handler)
{
    guarded(m_facilities.errorReport, std::forward<F>(handler));
    refresh();
}

// The General page's widgets, places, texts and tab order are its form's (forms/generalsheet.ui);
// here the page is wired to the state.
void MainWindow::buildGeneralSheet()
{
    auto* sheet = new QWidget;
    m_generalSheet = sheet;
    sheet->installEventFilter(this);
    m_pageControl->addTab(sheet, QStringLiteral("Главная страница"));
    m_general->setupUi(sheet);
    Ui::GeneralSheet& ui = *m_general;

    // The buttons' ids are the indexes the state knows the choices by.
    m_selectionModeButtons = new QButtonGroup(this);
    m_selectionModeButtons->addButton(ui.ChoiseGroupItem0, 0);
    m_selectionModeButtons->addButton(ui.ChoiseGroupItem1, 1);
    connect(m_selectionModeButtons, &QButtonGroup::idClicked, this, &MainWindow::chooseSelectionMode);
    // The kind of sale is shown, not in use.
    auto* kindButtons = new QButtonGroup(this);
    kindButtons->addButton(ui.KindGroupItem0, 0);
    kindButtons->addButton(ui.KindGroupItem1, 1);
    kindButtons->addButton(ui.KindGroupItem2, 2);

    setTypingLimit(ui.ValEdit, 10);
    setTypingLimit(ui.KursEdit, 10);
    setTypingLimit(ui.NDSEdit, 5);
    connect(ui.RubBox, &QCheckBox::clicked, this, &MainWindow::setPricesInLocalCurrency);
    connect(ui.ValEdit, &QLineEdit::textEdited, this, &MainWindow::setCurrencyName);
    connect(ui.KursEdit, &QLineEdit::textEdited, this, &MainWindow::setExchangeRateText);
    connect(ui.NDSBox, &QCheckBox::clicked, this, &MainWindow::setVatCharged);
    connect(ui.NDSEdit, &QLineEdit::textEdited, this, &MainWindow::setVatPercentText);

    connect(ui.AddBtn, &QPushButton::clicked, this, &MainWindow::showExtras);
    connect(ui.LogBtn, &QPushButton::clicked, this, &MainWindow::openJournal);
    connect(ui.ZakEdit, &QLineEdit::textEdited, this, [this](const QString& text) { m_state.order.customer = text; });
    connect(ui.ClienButton, &QPushButton::clicked, this, &MainWindow::showClients);

    connect(ui.ResBtn, &QPushButton::clicked, this, &MainWindow::showSummary);
    connect(ui.AboutButton, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(ui.HelpButton, &QPushButton::clicked, this, [this] { showHelp(20); });
    connect(ui.ExitButton, &QPushButton::clicked, this, &MainWindow::quit);
}

QComboBox* MainWindow::buildChoiceList(Cat c, QWidget* parent)
{
    CategoryWidgets& w = m_categories[size_t(idx(c))];
    w.box = new QComboBox(parent);
    w.box->setObjectName(categoryControls(c).choiceList);
    w.box->setEditable(true);
    w.box->setInsertPolicy(QComboBox::NoInsert);
    w.box->setToolTip(categoryLook(c).hint);
    w.box->setMaxVisibleItems(20);
    // The size hint would otherwise measure the text of every entry.
    w.box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* view = qobject_cast<QListView*>(w.box->view()))
        view->setUniformItemSizes(true);
    w.model = new ChoiceListModel(w.box);
    w.box->setModel(w.model);
    // Typing offers the entries whose names contain the text; the combo box maps a picked offer back
    // to that entry's own position, whatever other entries share its name.
    auto* completer = new FindCompleter(w.model, w.box);
    completer->setMaxVisibleItems(15);
    w.box->setCompleter(completer);
    connect(w.box, &QComboBox::currentIndexChanged, this, [this, c](int index) { chooseItem(c, index); });
    // Typed text that names no entry gives way to the chosen entry (or the placeholder) again.
    connect(w.box->lineEdit(), &QLineEdit::editingFinished, this, &MainWindow::refresh);
    return w.box;
}

void MainWindow::buildCategorySheet(Page p)
{
    const PageInfo& info = page(p);
    const PageLook& look = pageLook(p);
    const PageControls& names = pageControls(p);
    PageWidgets& pw = m_pages[size_t(idx(p))];
    auto* sheet = new QWidget;
    pw.sheet = sheet;
    sheet->setObjectName(names.sheet);
    setHelpContext(sheet, look.helpContext);
    const int tab = m_pageControl->addTab(sheet, look.caption);
    m_pageControl->setTabVisible(tab, false);

    auto* group = new QGroupBox(QStringLiteral("В наличии..."), sheet);
    group->setObjectName(names.sheet + QStringLiteral("Group"));
    group->setGeometry(8, 4, 428, 388);

    const int count = int(info.categories.size());
    const int block = count <= 1 ? 120 : (count == 3 ? 116 : 88);
    int y = 24;
    for (Cat c : info.categories) {
        const CategoryInfo& ci = category(c);
        const CategoryControls controls = categoryControls(c);
        const QString& picture = categoryLook(c).picture;
        CategoryWidgets& w = m_categories[size_t(idx(c))];
        QComboBox* box = buildChoiceList(c, group);
        int boxWidth = 412;
        if (ci.variant == Variant::Quantity) {
            boxWidth = 344;
            auto* quantity = new QComboBox(group);
            quantity->setObjectName(controls.quantityList);
            quantity->setToolTip(c == Cat::RAM ? QStringLiteral("Количество модулей памяти")
                                               : QStringLiteral("Количество вентиляторов"));
            quantity->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
            quantity->setGeometry(12 + boxWidth + 8, y, 60, 24);
            if (c == Cat::RAM) {
                m_numBox = quantity;
                connect(quantity, &QComboBox::currentIndexChanged, this, &MainWindow::chooseMemoryCount);
            } else {
                m_num1Box = quantity;
                connect(quantity, &QComboBox::currentIndexChanged, this, &MainWindow::chooseFanCount);
            }
        }
        box->setGeometry(12, y, boxWidth, 24);
        w.caption = makeLabel(ci.key + QStringLiteral("Caption"), categoryLook(c).priceCaption, group);
        // As high as the price label beside it, so that both texts stand on one line.
        w.caption->setGeometry(12, y + 28, w.caption->sizeHint().width(), 20);
        w.priceLabel = makeLabel(controls.priceLabel, QString(), group);
        w.priceLabel->setFont(boldFont(w.priceLabel));
        w.priceLabel->setGeometry(12 + w.caption->width() + 6, y + 28, 240, 20);
        w.itemLabel = makeLabel(controls.itemLabel, QString(), group);
        w.itemLabel->setWordWrap(true);
        w.itemLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w.itemLabel->setGeometry(12, y + 50, 412, block - 56);
        QPalette pal = w.itemLabel->palette();
        pal.setColor(QPalette::WindowText, QColor(0x20, 0x30, 0x70));
        w.itemLabel->setPalette(pal);
        // The category's own picture, shown in the page's frame when one of its items is chosen.
        if (!picture.isEmpty() && !sheet->findChild<PictureBox*>(picture)) {
            auto* hidden = new PictureBox(picture, sheet);
            hidden->setPicture(picture);
            hidden->hide();
        }
        y += block;
    }

    pw.picture = new PictureBox(look.picture, sheet);
    pw.picture->setGeometry(444, 8, 140, 114);

    pw.warning = makeLabel(names.warning, WarningText, sheet);
    QFont wf = boldFont(pw.warning);
    pw.warning->setFont(wf);
    QPalette wp = pw.warning->palette();
    wp.setColor(QPalette::WindowText, Qt::red);
    pw.warning->setPalette(wp);
    pw.warning->setWordWrap(true);
    pw.warning->setAlignment(Qt::AlignCenter);
    pw.warning->setGeometry(444, 128, 140, 48);
    pw.warning->hide();

    if (p == Page::Proc) {
        m_platformBox = new QGroupBox(QStringLiteral("Платформа"), sheet);
        m_platformBox->setObjectName(QStringLiteral("ProcGroup"));
        m_platformBox->setGeometry(444, 184, 140, 52);
        m_platformButtons = new QButtonGroup(this);
        const QStringList platforms = {QStringLiteral("Intel"), QStringLiteral("AMD")};
        // A button's id is its platform's value.
        for (ProcessorPlatform platform : {ProcessorPlatform::Intel, ProcessorPlatform::Amd}) {
            const int i = int(platform);
            auto* r = new QRadioButton(platforms[i], m_platformBox);
            r->setObjectName(QStringLiteral("ProcGroupItem%1").arg(i));
            r->setGeometry(10 + i * 64, 22, 60, 22);
            m_platformButtons->addButton(r, i);
        }
        connect(m_platformButtons, &QButtonGroup::idClicked, this, &MainWindow::choosePlatform);
    }

    pw.help = makeButton(sheet, names.helpButton, QStringLiteral("Справка"), QStringLiteral("help"));
    pw.help->setCursor(Qt::WhatsThisCursor);
    pw.help->setGeometry(RightColumnX, 40, RightColumnWidth, ButtonHeight);
    const int topic = look.helpContext;
    connect(pw.help, &QPushButton::clicked, this, [this, topic] { showHelp(topic); });
}

void MainWindow::refreshChoiceList(QComboBox* box, ChoiceListModel* model, quint64& shownRevision,
                                   const ChoiceList& list)
{
    const QSignalBlocker blocker(box);
    auto* completer = qobject_cast<FindCompleter*>(box->completer());
    if (completer)
        completer->setSearching(false);
    if (shownRevision != list.revision) {
        // The whole list at once: a price list of many thousand records fills in one step.
        model->setItems(list.items);
        shownRevision = list.revision;
    }
    if (box->currentIndex() != list.index)
        box->setCurrentIndex(list.index);
    const QString text = list.currentText();
    if (box->isEditable() && box->currentText() != text)
        box->setEditText(text);
    if (completer)
        completer->setSearching(true);
}

void MainWindow::refresh()
{
    const CategoryPages& cat = m_state.pages;
    for (Cat c : allCategories()) {
        CategoryWidgets& w = m_categories[size_t(idx(c))];
        const CategoryView& v = cat.view(c);
        refreshChoiceList(w.box, w.model, w.shownRevision, v.box);
        w.priceLabel->setText(v.priceLabel);
        w.itemLabel->setText(v.itemLabel);
    }
    for (Page p : allPages()) {
        PageWidgets& pw = m_pages[size_t(idx(p))];
        const PageView& pv = cat.pageView(p);
        pw.warning->setVisible(pv.warningVisible);
        pw.picture->setPicture(pv.picture);
        m_pageControl->setTabVisible(m_pageControl->indexOf(pw.sheet), pv.tabVisible);
    }
    {
        const QSignalBlocker b1(m_numBox);
        const QSignalBlocker b2(m_num1Box);
        m_numBox->setCurrentIndex(cat.memoryCounts.index);
        m_num1Box->setCurrentIndex(cat.fanCounts.index);
    }
    {
        const QSignalBlocker b(m_platformBox);
        if (m_state.catalogue.platform != ProcessorPlatform::None)
            m_platformButtons->button(int(m_state.catalogue.platform))->setChecked(true);
    }

    const GeneralPage& g = m_state.general;
    const Ui::GeneralSheet& ui = *m_general;
    if (g.selectionMode >= 0)
        m_selectionModeButtons->button(g.selectionMode)->setChecked(true);
    ui.ResBtn->setEnabled(g.summaryEnabled);
    ui.RubBox->setChecked(g.pricesInLocalCurrency);
    ui.NDSBox->setChecked(g.vatCharged);
    auto syncEdit = [](QLineEdit* edit, const EditState& s) {
        if (edit->text() != s.text)
            showWhole(edit, s.text);
        edit->setEnabled(s.enabled);
    };
    syncEdit(ui.KursEdit, g.exchangeRate);
    syncEdit(ui.ValEdit, g.currencyName);
    syncEdit(ui.NDSEdit, g.vatPercent);
    if (ui.ZakEdit->text() != m_state.order.customer)
        ui.ZakEdit->setText(m_state.order.customer);
    ui.Icon->setPicture(QStringLiteral("Icon%1").arg(g.badge + 1));
}

void MainWindow::setCustomer(const QString& name)
{
    m_state.order.customer = name;
    refresh();
}

void MainWindow::onPageChanged(int index)
{
    QWidget* w = m_pageControl->widget(index);
    if (w == m_generalSheet) {
        updateSummaryButton();
        return;
    }
    for (Page p : allPages()) {
        if (sheet(p) == w) {
            enterPage(p);
            return;
        }
    }
}

std::optional<Page> MainWindow::shownPage() const
{
    for (Page p : allPages())
        if (sheet(p) == m_pageControl->currentWidget())
            return p;
    return std::nullopt;
}

void MainWindow::followShop()
{
    // The summary window checks the order's lists itself, at its showing and before printing.
    if (m_result && m_result->isVisible())
        return;
    handle([&] {
        const QStringList told = m_state.followShop(shownPage());
        if (m_facilities.messageBox)
            for (const QString& text : told)
                m_facilities.messageBox->showError(text);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_generalSheet) {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            pickBadge();
        } else if (event->type() == QEvent::MouseMove) {
            // Only the page's own surface counts, not its controls.
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!m_generalSheet->childAt(move->position().toPoint()))
                updateSummaryButton();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::chooseSelectionMode(int index)
{
    handle([&] { m_state.chooseSelectionMode(index); });
}

void MainWindow::updateSummaryButton()
{
    handle([&] { m_state.updateSummaryButton(); });
}

void MainWindow::pickBadge()
{
    handle([&] { m_state.pickBadge(); });
}

void MainWindow::enterPage(Page p)
{
    handle([&] { m_state.enterPage(p); });
}

void MainWindow::chooseItem(Cat c, int index)
{
    handle([&] { m_state.chooseItem(c, index); });
}

void MainWindow::choosePlatform(int button)
{
    handle([&] { m_state.choosePlatform(ProcessorPlatform(button)); });
}

void MainWindow::chooseMemoryCount(int index)
{
    handle([&] { m_state.chooseMemoryCount(index); });
}

void MainWindow::chooseFanCount(int index)
{
    handle([&] { m_state.chooseFanCount(index); });
}

void MainWindow::setPricesInLocalCurrency(bool checked)
{
    handle([&] { m_state.setPricesInLocalCurrency(checked); });
}

void MainWindow::setExchangeRateText(const QString& text)
{
    handle([&] { m_state.setExchangeRateText(text); });
}

void MainWindow::setCurrencyName(const QString& text)
{
    handle([&] { m_state.setCurrencyName(text); });
}

void MainWindow::setVatCharged(bool checked)
{
    handle([&] { m_state.setVatCharged(checked); });
}

void MainWindow::setVatPercentText(const QString& text)
{
    handle([&] { m_state.setVatPercentText(text); });
}

namespace {

void showModal(QWidget* dialog)
{
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->exec();
}

} // namespace

void MainWindow::showSummary()
{
    handle([&] { showModal(m_result); });
}

void MainWindow::showAbout()
{
    handle([&] { showModal(m_about); });
}

void MainWindow::showClients()
{
    handle([&] { showModal(m_clients); });
}

void MainWindow::showExtras()
{
    handle([&] { showModal(m_extras); });
}

void MainWindow::openJournal()
{
    handle([&] { m_state.openJournal(); });
}

void MainWindow::quit()
{
    close();
}

void MainWindow::showHelp(int topic)
{
    handle([&] {
        if (m_facilities.help)
            m_facilities.help->showTopic(topic);
    });
}

void MainWindow::showEvent(QShowEvent* event)
{
    if (!m_centred && screen()) {
        // Centred on the screen when first shown.
        m_centred = true;
        centreOnScreen(this);
    }
    QWidget::showEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing: the settings are written back, then the program ends.
    if (!m_closing) {
        m_closing = true;
        guarded(m_facilities.errorReport, [&] { m_state.saveSettings(m_store); });
    }
    event->accept();
}

} // namespace korvanta
