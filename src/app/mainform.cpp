#include "mainform.h"

#include "catalogue.h"
#include "choicelistmodel.h"
#include "contexthelp.h"
#include "controlnames.h"
#include "guard.h"
#include "mainstate.h"
#include "pagetable.h"
#include "picturebox.h"
#include "typinglimit.h"
#include "windowparts.h"

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
// The right-hand column of buttons stands at the same place on every page.
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

TFormMain::TFormMain(MainState& state, const Facilities& facilities, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_facilities(facilities), m_store(store)
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

    connect(m_pageControl, &QTabWidget::currentChanged, this, &TFormMain::onPageChanged);

    // FormCreate: seed, hide the category tabs, the order date, the settings.
    handle([&] {
        const QDate today = QDate::currentDate();
        m_state.formCreate(m_store, today.day(), today.month(), today.year(),
                           quint32(QDateTime::currentMSecsSinceEpoch()));
    });
}

TFormMain::~TFormMain() = default;

void TFormMain::setDialogs(QWidget* about, QWidget* result, QWidget* clients, QWidget* extras)
{
    m_about = about;
    m_result = result;
    m_clients = clients;
    m_extras = extras;
}

template <typename F> void TFormMain::handle(F&& handler)
{
    guarded(m_facilities.errorReport, std::forward<F>(handler));
    refresh();
}

void TFormMain::buildGeneralSheet()
{
    auto* sheet = new QWidget;
    m_generalSheet = sheet;
    sheet->setObjectName(QStringLiteral("GeneralSheet"));
    sheet->setMouseTracking(true);
    sheet->installEventFilter(this);
    setHelpContext(sheet, 19);
    m_pageControl->addTab(sheet, QStringLiteral("Главная страница"));

    auto* image = new PictureBox(QStringLiteral("Image1"), sheet);
    image->setPicture(QStringLiteral("Image1"));
    image->setGeometry(8, 8, 196, 176);
    image->setToolTip(QStringLiteral("Ваш новый компьютер!!!"));

    buildModeGroups(sheet);
    buildRateFrame(sheet);
    buildVatFrame(sheet);
    buildOrderButtons(sheet);
    buildCommandColumn(sheet);
    buildBadges(sheet);
    setGeneralTabOrder();
}

// The two radio groups: what the order is chosen from, and the kind of sale (shown, not in use).
void TFormMain::buildModeGroups(QWidget* sheet)
{
    m_choiseGroup = new QGroupBox(QStringLiteral("Из чего будем выбирать?"), sheet);
    m_choiseGroup->setObjectName(QStringLiteral("ChoiseGroup"));
    m_choiseGroup->setToolTip(QStringLiteral("Будете выбирать из уже готовых моделей или покомпонентно?"));
    m_choiseGroup->setGeometry(216, 8, 364, 52);
    m_choiseButtons = new QButtonGroup(this);
    const QStringList modes = {QStringLiteral("Базовые модели"), QStringLiteral("Все комплектующие")};
    for (int i = 0; i < modes.size(); ++i) {
        auto* r = new QRadioButton(modes[i], m_choiseGroup);
        r->setObjectName(QStringLiteral("ChoiseGroupItem%1").arg(i));
        r->setGeometry(12 + i * 180, 22, 170, 22);
        m_choiseButtons->addButton(r, i);
    }
    connect(m_choiseButtons, &QButtonGroup::idClicked, this, &TFormMain::ChoiseGroupClick);

    auto* kindGroup = new QGroupBox(QStringLiteral("Вид продажи?"), sheet);
    kindGroup->setObjectName(QStringLiteral("KindGroup"));
    kindGroup->setToolTip(QStringLiteral("По какой цене будет выбираться компьютер?"));
    kindGroup->setGeometry(216, 66, 364, 52);
    m_kindButtons = new QButtonGroup(this);
    const QStringList kinds = {QStringLiteral("\"Розница\""), QStringLiteral("\"Партнер\""),
                               QStringLiteral("\"Дилер\"")};
    for (int i = 0; i < kinds.size(); ++i) {
        auto* r = new QRadioButton(kinds[i], kindGroup);
        r->setObjectName(QStringLiteral("KindGroupItem%1").arg(i));
        r->setGeometry(12 + i * 116, 22, 110, 22);
        m_kindButtons->addButton(r, i);
    }
    m_kindButtons->button(0)->setChecked(true);
    kindGroup->setEnabled(false);
}

void TFormMain::buildRateFrame(QWidget* sheet)
{
    // RubBox with the currency name, the rate.
    auto* rateFrame = new QGroupBox(sheet);
    rateFrame->setObjectName(QStringLiteral("RateFrame"));
    rateFrame->setGeometry(216, 126, 364, 64);
    m_rubBox = new QCheckBox(QStringLiteral(" Цены в"), rateFrame);
    m_rubBox->setObjectName(QStringLiteral("RubBox"));
    m_rubBox->setGeometry(12, 8, 90, 22);
    m_valEdit = new QLineEdit(rateFrame);
    m_valEdit->setObjectName(QStringLiteral("ValEdit"));
    setTypingLimit(m_valEdit, 10);
    m_valEdit->setGeometry(104, 8, 90, 22);
    auto* label17 = makeLabel(QStringLiteral("Label17"), QStringLiteral("Курс: 1у.е. ="), rateFrame);
    label17->setGeometry(12, 36, 100, 20);
    m_kursEdit = new QLineEdit(rateFrame);
    m_kursEdit->setObjectName(QStringLiteral("KursEdit"));
    setTypingLimit(m_kursEdit, 10);
    m_kursEdit->setGeometry(104, 35, 90, 22);
    connect(m_rubBox, &QCheckBox::clicked, this, &TFormMain::RubBoxClick);
    connect(m_valEdit, &QLineEdit::textEdited, this, &TFormMain::ValEditChange);
    connect(m_kursEdit, &QLineEdit::textEdited, this, &TFormMain::KursEditChange);
}

void TFormMain::buildVatFrame(QWidget* sheet)
{
    auto* vatFrame = new QGroupBox(sheet);
    vatFrame->setObjectName(QStringLiteral("VatFrame"));
    vatFrame->setGeometry(216, 196, 364, 40);
    m_ndsBox = new QCheckBox(QStringLiteral("Учет НДС"), vatFrame);
    m_ndsBox->setObjectName(QStringLiteral("NDSBox"));
    m_ndsBox->setGeometry(12, 9, 100, 22);
    auto* label25 = makeLabel(QStringLiteral("Label25"), QStringLiteral("НДС:"), vatFrame);
    label25->setGeometry(160, 10, 40, 20);
    m_ndsEdit = new QLineEdit(vatFrame);
    m_ndsEdit->setObjectName(QStringLiteral("NDSEdit"));
    setTypingLimit(m_ndsEdit, 5);
    m_ndsEdit->setGeometry(204, 9, 60, 22);
    auto* label26 = makeLabel(QStringLiteral("Label26"), QStringLiteral("%"), vatFrame);
    label26->setGeometry(270, 10, 20, 20);
    connect(m_ndsBox, &QCheckBox::clicked, this, &TFormMain::NDSBoxClick);
    connect(m_ndsEdit, &QLineEdit::textEdited, this, &TFormMain::NDSEditChange);
}

// The extras, the journal, the customer and the client base.
void TFormMain::buildOrderButtons(QWidget* sheet)
{
    auto* addBtn =
        makeButton(sheet, QStringLiteral("AddBtn"), QStringLiteral("Дополнительно >>>"), QStringLiteral("extras"));
    addBtn->setGeometry(216, 244, 180, ButtonHeight);
    connect(addBtn, &QPushButton::clicked, this, &TFormMain::AddBtnClick);
    auto* logBtn = makeButton(sheet, QStringLiteral("LogBtn"), QStringLiteral("Журнал"), QStringLiteral("journal"));
    logBtn->setGeometry(400, 244, 180, ButtonHeight);
    connect(logBtn, &QPushButton::clicked, this, &TFormMain::LogBtnClick);

    auto* zakLabel = makeLabel(QStringLiteral("Label3"), QStringLiteral("Заказчик:"), sheet);
    zakLabel->setGeometry(8, 282, 70, 22);
    m_zakEdit = new QLineEdit(sheet);
    m_zakEdit->setObjectName(QStringLiteral("ZakEdit"));
    m_zakEdit->setGeometry(80, 281, 304, 24);
    connect(m_zakEdit, &QLineEdit::textEdited, this, [this](const QString& text) { m_state.order.customer = text; });
    auto* clienButton =
        makeButton(sheet, QStringLiteral("ClienButton"), QStringLiteral("База клиентов"), QStringLiteral("clients"));
    clienButton->setGeometry(400, 280, 180, ButtonHeight);
    connect(clienButton, &QPushButton::clicked, this, &TFormMain::ClienButtonClick);
}

// The total, and the right-hand column: about, help, exit.
void TFormMain::buildCommandColumn(QWidget* sheet)
{
    m_resBtn = makeButton(sheet, QStringLiteral("ResBtn"), QStringLiteral("Итого..."), QStringLiteral("total"));
    m_resBtn->setFont(boldFont(m_resBtn));
    m_resBtn->setToolTip(QStringLiteral("Подведите итоги..."));
    m_resBtn->setCursor(Qt::BusyCursor);
    m_resBtn->setGeometry(8, 360, 425, 34);
    m_resBtn->setEnabled(false);
    connect(m_resBtn, &QPushButton::clicked, this, &TFormMain::ResBtnClick);

    auto* aboutButton =
        makeButton(sheet, QStringLiteral("AboutButton"), QStringLiteral("О программе..."), QStringLiteral("about"));
    aboutButton->setCursor(Qt::WhatsThisCursor);
    aboutButton->setGeometry(RightColumnX, 8, RightColumnWidth, ButtonHeight);
    connect(aboutButton, &QPushButton::clicked, this, &TFormMain::AboutButtonClick);
    auto* helpButton =
        makeButton(sheet, QStringLiteral("HelpButton"), QStringLiteral("Справка"), QStringLiteral("help"));
    helpButton->setCursor(Qt::WhatsThisCursor);
    helpButton->setGeometry(RightColumnX, 40, RightColumnWidth, ButtonHeight);
    connect(helpButton, &QPushButton::clicked, this, [this] { HelpClick(20); });
    auto* exitButton = makeButton(sheet, QStringLiteral("ExitButton"), QStringLiteral("Выход"), QStringLiteral("exit"));
    exitButton->setFont(boldFont(exitButton));
    exitButton->setGeometry(RightColumnX, 362, RightColumnWidth, 30);
    connect(exitButton, &QPushButton::clicked, this, &TFormMain::ExitButtonClick);
}

void TFormMain::buildBadges(QWidget* sheet)
{
    m_icon = new PictureBox(QStringLiteral("Icon"), sheet);
    m_icon->setToolTip(QStringLiteral("Сделай правильный выбор!"));
    m_icon->setGeometry(528, 350, 48, 48);
    for (int i = 0; i < 6; ++i) {
        auto* badge = new PictureBox(QStringLiteral("Icon%1").arg(i + 1), sheet);
        badge->setPicture(QStringLiteral("Icon%1").arg(i + 1));
        badge->setToolTip(m_icon->toolTip());
        badge->hide();
        m_badges[size_t(i)] = badge;
    }
}

void TFormMain::setGeneralTabOrder()
{
    QWidget* sheet = m_generalSheet;
    auto* aboutButton = sheet->findChild<QPushButton*>(QStringLiteral("AboutButton"));
    auto* helpButton = sheet->findChild<QPushButton*>(QStringLiteral("HelpButton"));
    auto* exitButton = sheet->findChild<QPushButton*>(QStringLiteral("ExitButton"));
    auto* clienButton = sheet->findChild<QPushButton*>(QStringLiteral("ClienButton"));
    auto* logBtn = sheet->findChild<QPushButton*>(QStringLiteral("LogBtn"));
    auto* addBtn = sheet->findChild<QPushButton*>(QStringLiteral("AddBtn"));
    // A radio group is one stop: its checked item, or either item while none is checked.
    QWidget::setTabOrder(m_choiseButtons->button(0), m_choiseButtons->button(1));
    QWidget::setTabOrder(m_choiseButtons->button(1), m_resBtn);
    QWidget::setTabOrder(m_resBtn, aboutButton);
    QWidget::setTabOrder(aboutButton, helpButton);
    QWidget::setTabOrder(helpButton, exitButton);
    QWidget::setTabOrder(exitButton, m_kursEdit);
    QWidget::setTabOrder(m_kursEdit, m_rubBox);
    QWidget::setTabOrder(m_rubBox, m_zakEdit);
    QWidget::setTabOrder(m_zakEdit, clienButton);
    QWidget::setTabOrder(clienButton, m_kindButtons->button(0));
    QWidget::setTabOrder(m_kindButtons->button(0), m_kindButtons->button(1));
    QWidget::setTabOrder(m_kindButtons->button(1), m_kindButtons->button(2));
    QWidget::setTabOrder(m_kindButtons->button(2), logBtn);
    QWidget::setTabOrder(logBtn, m_valEdit);
    QWidget::setTabOrder(m_valEdit, m_ndsBox);
    QWidget::setTabOrder(m_ndsBox, m_ndsEdit);
    QWidget::setTabOrder(m_ndsEdit, addBtn);
}

QComboBox* TFormMain::buildChoiceList(Cat c, QWidget* parent)
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
    connect(w.box, &QComboBox::currentIndexChanged, this, [this, c](int index) { BoxChange(c, index); });
    // Typed text that names no entry gives way to the chosen entry (or the placeholder) again.
    connect(w.box->lineEdit(), &QLineEdit::editingFinished, this, &TFormMain::refresh);
    return w.box;
}

void TFormMain::buildCategorySheet(Page p)
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
                connect(quantity, &QComboBox::currentIndexChanged, this, &TFormMain::NumBoxChange);
            } else {
                m_num1Box = quantity;
                connect(quantity, &QComboBox::currentIndexChanged, this, &TFormMain::Num1BoxChange);
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
        m_procGroup = new QGroupBox(QStringLiteral("Платформа"), sheet);
        m_procGroup->setObjectName(QStringLiteral("ProcGroup"));
        m_procGroup->setGeometry(444, 184, 140, 52);
        m_procButtons = new QButtonGroup(this);
        const QStringList platforms = {QStringLiteral("Intel"), QStringLiteral("AMD")};
        for (int i = 0; i < 2; ++i) {
            auto* r = new QRadioButton(platforms[i], m_procGroup);
            r->setObjectName(QStringLiteral("ProcGroupItem%1").arg(i));
            r->setGeometry(10 + i * 64, 22, 60, 22);
            m_procButtons->addButton(r, i);
        }
        connect(m_procButtons, &QButtonGroup::idClicked, this, &TFormMain::ProcGroupClick);
    }

    pw.help = makeButton(sheet, names.helpButton, QStringLiteral("Справка"), QStringLiteral("help"));
    pw.help->setCursor(Qt::WhatsThisCursor);
    pw.help->setGeometry(RightColumnX, 40, RightColumnWidth, ButtonHeight);
    const int topic = look.helpContext;
    connect(pw.help, &QPushButton::clicked, this, [this, topic] { HelpClick(topic); });
}

void TFormMain::refreshChoiceList(QComboBox* box, ChoiceListModel* model, quint64& shownRevision,
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

void TFormMain::refresh()
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
        m_numBox->setCurrentIndex(cat.numBox.index);
        m_num1Box->setCurrentIndex(cat.num1Box.index);
    }
    {
        const QSignalBlocker b(m_procGroup);
        if (m_state.catalogue.procGroup >= 0)
            m_procButtons->button(m_state.catalogue.procGroup)->setChecked(true);
    }

    const GeneralPage& g = m_state.general;
    if (g.choiseGroup >= 0)
        m_choiseButtons->button(g.choiseGroup)->setChecked(true);
    m_resBtn->setEnabled(g.resBtnEnabled);
    m_rubBox->setChecked(g.rubBox);
    m_ndsBox->setChecked(g.ndsBox);
    auto syncEdit = [](QLineEdit* edit, const EditState& s) {
        if (edit->text() != s.text)
            showWhole(edit, s.text);
        edit->setEnabled(s.enabled);
    };
    syncEdit(m_kursEdit, g.kursEdit);
    syncEdit(m_valEdit, g.valEdit);
    syncEdit(m_ndsEdit, g.ndsEdit);
    if (m_zakEdit->text() != m_state.order.customer)
        m_zakEdit->setText(m_state.order.customer);
    m_icon->setPicture(QStringLiteral("Icon%1").arg(g.badge + 1));
}

void TFormMain::setCustomer(const QString& name)
{
    m_state.order.customer = name;
    refresh();
}

void TFormMain::onPageChanged(int index)
{
    QWidget* w = m_pageControl->widget(index);
    if (w == m_generalSheet) {
        GeneralSheetEnter();
        return;
    }
    for (Page p : allPages()) {
        if (sheet(p) == w) {
            SheetEnter(p);
            return;
        }
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_generalSheet) {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            GeneralSheetShow();
        } else if (event->type() == QEvent::MouseMove) {
            // Only the page's own surface counts, not its controls.
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!m_generalSheet->childAt(move->position().toPoint()))
                GeneralSheetMouseMove();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormMain::ChoiseGroupClick(int index)
{
    handle([&] { m_state.choiseGroupClick(index); });
}

void TFormMain::GeneralSheetEnter()
{
    handle([&] { m_state.generalSheetEnter(); });
}

void TFormMain::GeneralSheetMouseMove()
{
    handle([&] { m_state.generalSheetMouseMove(); });
}

void TFormMain::GeneralSheetShow()
{
    handle([&] { m_state.generalSheetShow(); });
}

void TFormMain::SheetEnter(Page p)
{
    handle([&] { m_state.sheetEnter(p); });
}

void TFormMain::BoxChange(Cat c, int index)
{
    handle([&] { m_state.boxChange(c, index); });
}

void TFormMain::ProcGroupClick(int index)
{
    handle([&] { m_state.procGroupClick(index); });
}

void TFormMain::NumBoxChange(int index)
{
    handle([&] { m_state.numBoxChange(index); });
}

void TFormMain::Num1BoxChange(int index)
{
    handle([&] { m_state.num1BoxChange(index); });
}

void TFormMain::RubBoxClick(bool checked)
{
    handle([&] { m_state.rubBoxClick(checked); });
}

void TFormMain::KursEditChange(const QString& text)
{
    handle([&] { m_state.kursEditChange(text); });
}

void TFormMain::ValEditChange(const QString& text)
{
    handle([&] { m_state.valEditChange(text); });
}

void TFormMain::NDSBoxClick(bool checked)
{
    handle([&] { m_state.ndsBoxClick(checked); });
}

void TFormMain::NDSEditChange(const QString& text)
{
    handle([&] { m_state.ndsEditChange(text); });
}

namespace {

void showModal(QWidget* dialog)
{
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->exec();
}

} // namespace

void TFormMain::ResBtnClick()
{
    handle([&] { showModal(m_result); });
}

void TFormMain::AboutButtonClick()
{
    handle([&] { showModal(m_about); });
}

void TFormMain::ClienButtonClick()
{
    handle([&] { showModal(m_clients); });
}

void TFormMain::AddBtnClick()
{
    handle([&] { showModal(m_extras); });
}

void TFormMain::LogBtnClick()
{
    handle([&] { m_state.logBtnClick(); });
}

void TFormMain::ExitButtonClick()
{
    close();
}

void TFormMain::HelpClick(int topic)
{
    handle([&] {
        if (m_facilities.help)
            m_facilities.help->showTopic(topic);
    });
}

void TFormMain::showEvent(QShowEvent* event)
{
    if (!m_centred && screen()) {
        // Centred on the screen when first shown.
        m_centred = true;
        centreOnScreen(this);
    }
    QWidget::showEvent(event);
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    // FormClose: the settings are written back, then the program ends.
    if (!m_closing) {
        m_closing = true;
        guarded(m_facilities.errorReport, [&] { m_state.formClose(m_store); });
    }
    event->accept();
}

} // namespace korvanta
