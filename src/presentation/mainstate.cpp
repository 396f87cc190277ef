#include "presentation/mainstate.h"

#include "base/error.h"
#include "presentation/pagetable.h"
#include "pricing/settingspersistence.h"
#include "quotation/summary.h"
#include "text/conversions.h"

namespace korvanta {

const QString DigitsOnlyMessage =
    QStringLiteral("Вводите только цифры! Для отделения дробной части используйте запятую!");
const QString JournalFile = QStringLiteral("Log.xls");

QString digitsOnlyMessage(QChar decimal)
{
    if (decimal == QLatin1Char(','))
        return DigitsOnlyMessage;
    const QString separator =
        decimal == QLatin1Char('.') ? QStringLiteral("точку") : QStringLiteral("«%1»").arg(decimal);
    return QStringLiteral("Вводите только цифры! Для отделения дробной части используйте %1!").arg(separator);
}

MainState::MainState(const Facilities& facilities, QChar decimal, QString directory)
    : order(decimal), catalogue(std::move(directory)), m_facilities(facilities)
{
    m_warningFrom.fill(-1);
}

void MainState::start(SettingsStore& store, int day, int month, int year, quint32 seed)
{
    m_random.seed(seed);
    for (Page p : allPages())
        pages.pageView(p).tabVisible = false;
    order.orderDate = OrderDate{quint16(day), quint16(month), quint16(year)};
    // The price-list file names are fixed in the category table.
    m_loaded = SettingFlags{};
    m_touched = SettingFlags{};
    if (!loadPricingSettings(store, order.settings, m_loaded) && m_facilities.messageBox)
        m_facilities.messageBox->showError(SettingsErrorMessage);

    // Showing the values runs the handlers as the user's input would.
    m_starting = true;
    const PricingSettings loaded = order.settings;
    setExchangeRateText(formatPlain(loaded.exchangeRate, order.decimal()));
    setVatPercentText(formatPlain(loaded.vatPercent, order.decimal()));
    setPricesInLocalCurrency(loaded.inLocalCurrency);
    setVatCharged(loaded.vatCharged);
    setCurrencyName(loaded.currencyName);
    m_starting = false;
}

void MainState::showMarkup()
{
    m_starting = true;
    setMarkupPercentText(formatPlain(order.settings.markupPercent, order.decimal()));
    m_starting = false;
}

void MainState::saveSettings(SettingsStore& store)
{
    // A value that could not be read at start is left as stored unless the user set it since.
    SettingFlags write{};
    for (size_t i = 0; i < write.size(); ++i)
        write[i] = m_loaded[i] || m_touched[i];
    if (!savePricingSettings(store, order.settings, write) && m_facilities.messageBox)
        m_facilities.messageBox->showError(SettingsErrorMessage);
}

void MainState::touch(int field)
{
    if (!m_starting)
        m_touched[size_t(field)] = true;
}

void MainState::enterPage(Page p)
{
    if (p == Page::RAM && !pages.pageView(p).loaded) {
        order.computer.memoryCount = 1;
        order.computer.fanCount = 1;
        pages.memoryCounts.choose(0);
        pages.fanCounts.choose(0);
    }
    if (pages.pageView(p).loaded) {
        // A page read before shows its lists as they are now.
        const QStringList told = followShop(p);
        if (m_facilities.messageBox)
            for (const QString& text : told)
                m_facilities.messageBox->showError(text);
        return;
    }
    pages.enterPage(p, catalogue);
}

QStringList MainState::followShop(std::optional<Page> shown)
{
    return followLists(shown, false, false);
}

QStringList MainState::followOrder()
{
    return followLists(std::nullopt, true, true);
}

QStringList MainState::followLists(std::optional<Page> shown, bool orderOnly, bool compareContent)
{
    QStringList told;
    for (Cat c : summaryOrder()) {
        const Page p = category(c).page;
        if (!pages.pageView(p).loaded)
            continue; // read again in full at the page's next entry
        const bool chosen = order.computer.isChosen(c);
        if (!chosen && (orderOnly || shown != p))
            continue;
        for (int list = 0; list < category(c).files.size(); ++list) {
            // Of an order's platform list only the chosen one counts.
            if (orderOnly && catalogue.records(c) != &catalogue.list(c, list))
                continue;
            if (std::optional<PriceList> now = catalogue.changedOnDisk(c, list, compareContent))
                takeChangedList(c, list, std::move(*now), told);
        }
    }
    return told;
}

void MainState::takeChangedList(Cat c, int list, PriceList content, QStringList& told)
{
    const bool shownList = catalogue.records(c) == &catalogue.list(c, list);
    CategoryView& v = pages.view(c);
    const int position = v.box.index;
    const QString shownName = shownList && position >= 0 ? QString(v.box.items.at(position)) : QString();
    const SelectionPair before = order.computer[c];
    const bool wasChosen = order.computer.isChosen(c);
    catalogue.replaceList(c, list, std::move(content));
    if (!shownList)
        return;
    pages.relist(c, catalogue);
    if (position < 0)
        return;

    const QString fileName = catalogue.fileFor(c);
    auto drop = [&](const QString& why) {
        shipmentFollowUp().choiceDropped(c);
        if (wasChosen)
            told << why;
    };
    if (position >= v.box.items.size() || v.box.items.at(position) != shownName) {
        drop(QStringLiteral("Прайс-лист \"%1\" изменён: на месте товара \"%2\" теперь другая запись. "
                            "Товар исключён из заказа; выберите его заново.")
                 .arg(fileName, shownName));
        return;
    }
    // The record still carries the name: the choice stays, with what the record says now. The page
    // keeps its picture, and its warning when another list's choice set it.
    const PageView pageBefore = pages.pageView(category(c).page);
    const int warningFrom = m_warningFrom[size_t(idx(category(c).page))];
    try {
        showChoice(c, position);
    } catch (const Error& e) {
        drop(QStringLiteral("Прайс-лист \"%1\" изменён, и товар \"%2\" в нём прочитать нельзя (%3). Товар "
                            "исключён из заказа; выберите его заново.")
                 .arg(fileName, shownName, e.message()));
        return;
    }
    PageView& pv = pages.pageView(category(c).page);
    pv.picture = pageBefore.picture;
    if (warningFrom != idx(c)) {
        pv.warningVisible = pageBefore.warningVisible;
        m_warningFrom[size_t(idx(category(c).page))] = warningFrom;
    }
    const SelectionPair& after = order.computer[c];
    if (wasChosen && after.price != before.price)
        // The unit ends the sentence: "у.е." and "руб." bring their own full stop.
        told << QStringLiteral("Цена товара \"%1\" изменилась: была %2, теперь %3")
                    .arg(after.item, before.price + unitSuffix(), after.price + unitSuffix());
}

void MainState::checkOrderBeforePrint(const QStringList& lines)
{
    const QStringList told = followOrder();
    // The lines as the summary window composes them, up to a line it cannot compose.
    const QStringList text = summarize(order).lines;
    if (told.isEmpty() && lines.mid(0, text.size()) == text)
        return;
    QString message = QStringLiteral("Прайс-листы изменились после того, как был составлен заказ.");
    for (const QString& line : told)
        message += QLatin1Char(' ') + line;
    message += QStringLiteral(" Заказ не напечатан и не отгружен: проверьте его и нажмите \"Печатать\" ещё раз.");
    throw OrderChangedError(message);
}

void MainState::choosePlatform(ProcessorPlatform platform)
{
    // Bound to a change of the chosen platform: a click on the one already chosen changes nothing.
    if (platform == catalogue.platform)
        return;
    catalogue.platform = platform;
    pages.relistPlatform(catalogue);
    order.computer[Cat::Proc].item.clear();
    order.computer[Cat::Mat].item.clear();
}

QString MainState::unitSuffix() const
{
    return korvanta::unitSuffix(order.settings);
}

void MainState::chooseItem(Cat c, int index)
{
    ChoiceList& box = pages.view(c).box;
    const int previousIndex = box.index;
    const QString previousText = box.editText;
    box.choose(index);
    try {
        showChoice(c, box.index);
    } catch (...) {
        // A record that cannot be read leaves the previous choice whole, the list included, so
        // that no item is ever shown, summed or shipped with another record's price.
        box.index = previousIndex;
        box.editText = previousText;
        throw;
    }
}

void MainState::showChoice(Cat c, int i)
{
    const CategoryInfo& info = category(c);
    CategoryView& v = pages.view(c);
    PageView& pv = pages.pageView(info.page);

    if (info.variant == Variant::Quantity) {
        if (i < 0)
            forgetChoice(c);
        else
            chooseQuantity(c, i, true);
        return;
    }

    const PriceList* list = catalogue.records(c);
    if (list && i < 0) {
        // Typed text that matches no entry: nothing of this category is chosen.
        forgetChoice(c);
        return;
    }
    if (list) {
        // Every line is read before anything changes.
        const PriceRecord record(*list, i);
        const QString description = record.description();
        SelectionPair pair{v.box.items.at(i), QString(), i, v.box.items.at(i)};
        if (!order.settings.inLocalCurrency)
            pair.price = record.price();
        else if (pair.item != NoneEntry)
            pair.price = formatMoney(textToFloat(record.price(), order.decimal()) * order.settings.exchangeRate,
                                     order.decimal());
        const bool outOfStock = pair.item != NoneEntry && textToInt(record.stock()) <= 0;

        v.itemLabel = description;
        v.priceLabel = pair.price + unitSuffix();
        pv.warningVisible = outOfStock;
        m_warningFrom[size_t(idx(info.page))] = idx(c);
        order.computer[c] = std::move(pair);
    }
    if (!categoryLook(c).picture.isEmpty())
        pv.picture = categoryLook(c).picture;
}

void MainState::forgetChoice(Cat c)
{
    order.computer[c] = SelectionPair{};
    pages.view(c).itemLabel.clear();
    pages.view(c).priceLabel.clear();
}

quint16 MainState::countOf(Cat c) const
{
    return c == Cat::RAM ? order.computer.memoryCount : order.computer.fanCount;
}

void MainState::chooseQuantity(Cat c, int position, bool fullChoice)
{
    const CategoryInfo& info = category(c);
    CategoryView& v = pages.view(c);
    PageView& pv = pages.pageView(info.page);
    const PriceRecord record(*catalogue.records(c), position);
    const quint16 n = countOf(c);

    // Every line is read before anything changes.
    const QString description = fullChoice ? record.description() : v.itemLabel;
    // The first entry of a quantity list stands for none, whatever its name.
    SelectionPair pair;
    pair.record = position;
    pair.recordName = v.box.items.at(position);
    if (position == 0)
        pair.item = NoneEntry;
    else
        pair.item = v.box.items.at(position) + QStringLiteral(" - ") + intToText(n) + QStringLiteral("шт.");
    if (pair.item != NoneEntry) {
        double amount = textToFloat(record.price(), order.decimal()) * n;
        if (order.settings.inLocalCurrency)
            amount *= order.settings.exchangeRate;
        pair.price = formatMoney(amount, order.decimal());
    }
    const bool shortOfStock = pair.item != NoneEntry && textToInt(record.stock()) < n;

    v.itemLabel = description;
    v.priceLabel = pair.price + unitSuffix();
    pv.warningVisible = shortOfStock;
    m_warningFrom[size_t(idx(info.page))] = idx(c);
    order.computer[c] = std::move(pair);
    if (fullChoice)
        pv.picture = categoryLook(c).picture;
}

void MainState::quantityChange(Cat c, int index)
{
    ChoiceList& quantity = c == Cat::RAM ? pages.memoryCounts : pages.fanCounts;
    const int previousIndex = quantity.index;
    const QString previousText = quantity.editText;
    quantity.choose(index);
    if (quantity.index < 0)
        return; // a typed quantity counts by the entry's position only
    quint16& count = c == Cat::RAM ? order.computer.memoryCount : order.computer.fanCount;
    const quint16 previousCount = count;
    count = quint16(quantity.index + 1);
    const int position = pages.view(c).box.index;
    if (position <= 0)
        return;
    try {
        chooseQuantity(c, position, false);
    } catch (...) {
        // As with a choice: the line keeps its count and the list shows it.
        count = previousCount;
        quantity.index = previousIndex;
        quantity.editText = previousText;
        throw;
    }
}

void MainState::stockChanged(Cat c)
{
    const Page p = category(c).page;
    if (m_warningFrom[size_t(idx(p))] != idx(c))
        return;
    PageView& pv = pages.pageView(p);
    const PriceList* list = catalogue.records(c);
    const int i = pages.view(c).box.index;
    if (!order.computer.isChosen(c) || !list || i < 0) {
        pv.warningVisible = false;
        return;
    }
    const long long stock = textToInt(PriceRecord(*list, i).stock());
    pv.warningVisible = category(c).variant == Variant::Quantity ? stock < countOf(c) : stock <= 0;
}

ShipmentFollowUp MainState::shipmentFollowUp()
{
    ShipmentFollowUp f;
    f.listReplaced = [this](Cat c) {
        pages.relist(c, catalogue);
        stockChanged(c);
    };
    f.choiceDropped = [this](Cat c) {
        pages.relist(c, catalogue);
        chooseItem(c, -1);
        pages.view(c).box.editText = category(c).title;
        stockChanged(c);
    };
    return f;
}

void printAndShip(MainState& state, const QStringList& lines, Printer* printer, MessageBox* messageBox,
                  const ShipmentRecorder& recorder)
{
    ShipmentFollowUp followUp = state.shipmentFollowUp();
    followUp.beforePrint = [&state, &lines] { state.checkOrderBeforePrint(lines); };
    printAndShip(state.order, state.catalogue, lines, printer, messageBox, recorder, followUp);
}

void printSummary(MainState& state, QStringList& lines, Printer* printer, MessageBox* messageBox,
                  const ShipmentRecorder& recorder)
{
    appendStatusLines(lines);
    printAndShip(state, lines, printer, messageBox, recorder);
}

void shipOrder(MainState& state, const ShipmentRecorder& recorder)
{
    shipOrder(state.order, state.catalogue, recorder, state.shipmentFollowUp());
}

void MainState::chooseMemoryCount(int index)
{
    quantityChange(Cat::RAM, index);
}

void MainState::chooseFanCount(int index)
{
    quantityChange(Cat::Fun1, index);
}

bool MainState::parseNumber(const QString& text, double& field)
{
    if (const auto value = tryTextToFloat(text, order.decimal())) {
        field = *value;
        return true;
    }
    if (m_facilities.messageBox)
        m_facilities.messageBox->showError(digitsOnlyMessage(order.decimal()));
    return false;
}

void MainState::setPricesInLocalCurrency(bool checked)
{
    general.pricesInLocalCurrency = checked;
    resetChoices();
    general.exchangeRate.enabled = checked;
    general.currencyName.enabled = checked;
    order.settings.inLocalCurrency = checked;
    touch(int(SettingField::InLocalCurrency));
}

void MainState::setExchangeRateText(const QString& text)
{
    general.exchangeRate.text = text;
    if (parseNumber(text, order.settings.exchangeRate))
        touch(int(SettingField::ExchangeRate));
    resetChoices();
}

void MainState::setCurrencyName(const QString& text)
{
    general.currencyName.text = text;
    order.settings.currencyName = text;
    touch(int(SettingField::CurrencyName));
}

void MainState::setVatCharged(bool checked)
{
    general.vatCharged = checked;
    general.vatPercent.enabled = checked;
    order.settings.vatCharged = checked;
    touch(int(SettingField::VatCharged));
}

void MainState::setVatPercentText(const QString& text)
{
    general.vatPercent.text = text;
    if (parseNumber(text, order.settings.vatPercent))
        touch(int(SettingField::VatPercent));
}

void MainState::setMarkupPercentText(const QString& text)
{
    markupText = text;
    if (parseNumber(text, order.settings.markupPercent))
        touch(int(SettingField::MarkupPercent));
}

void MainState::resetChoices()
{
    for (SelectionPair& pair : order.computer.pairs)
        pair.item.clear();
    pages.clearLoadedFlags();
    for (Page p : allPages())
        pages.pageView(p).warningVisible = false;
    m_warningFrom.fill(-1);
}

void MainState::chooseSelectionMode(int index)
{
    if (index == general.selectionMode || index < 0 || index > 1)
        return;
    general.selectionMode = index;
    resetChoices();
    const bool baseModels = index == 0;
    for (Page p : {Page::Base, Page::Nout})
        pages.pageView(p).tabVisible = baseModels;
    for (Page p : {Page::Proc, Page::RAM, Page::Disk, Page::Video, Page::Other})
        pages.pageView(p).tabVisible = !baseModels;
    for (Page p : {Page::Mon, Page::Prn, Page::Dop})
        pages.pageView(p).tabVisible = true;
}

void MainState::updateSummaryButton()
{
    general.summaryEnabled = pages.anyPageLoaded();
}

void MainState::pickBadge()
{
    general.badge = int(m_random.bounded(6u));
}

void MainState::openJournal()
{
    if (m_facilities.shell)
        m_facilities.shell->open(JournalFile);
}

} // namespace korvanta
