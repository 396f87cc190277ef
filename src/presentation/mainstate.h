#pragma once

#include "base/error.h"
#include "base/facilities.h"
#include "catalogue/catalogue.h"
#include "presentation/categorypages.h"
#include "pricing/order.h"
#include "pricing/settingspersistence.h"
#include "quotation/shipment.h"

#include <QRandomGenerator>

#include <optional>

namespace korvanta {

class SettingsStore;

struct EditState {
    QString text;
    bool enabled = true;
};

// The General page's controls as the behaviour sees them.
struct GeneralPage {
    int selectionMode = -1; // -1 none, 0 "Базовые модели", 1 "Все комплектующие"
    bool summaryEnabled = false;
    bool pricesInLocalCurrency = false;
    EditState exchangeRate{QString(), false};
    EditState currencyName{QString(), false};
    bool vatCharged = false;
    EditState vatPercent{QString(), false};
    int saleKind = 0; // the kind of sale (KindGroup): shown disabled, first item
    int badge = 0;    // which of Icon1..Icon6 (0..5) the Icon shows
};

extern const QString DigitsOnlyMessage; // "Вводите только цифры! ..."
// The digits-only message for the regional separator: it names the comma, or else the separator
// the user has to type.
QString digitsOnlyMessage(QChar decimal);
extern const QString JournalFile; // "Log.xls"

// Printing refused because a list of the order changed since the summary was composed: nothing was
// printed or shipped, and the order now holds the lists as they are.
class OrderChangedError : public Error {
public:
    using Error::Error;
};

// The main window's state and behaviour without a screen: the order it builds, the price lists,
// what the pages and the General page show. Handlers are named after what they do and throw Error
// for failures that the window reports with the default error report.
class MainState {
public:
    // `decimal` is the regional decimal separator; files are read from `directory` (empty: the
    // working directory).
    MainState(const Facilities& facilities, QChar decimal, QString directory = QString());

    Order order;
    Catalogue catalogue;
    CategoryPages pages;
    GeneralPage general;
    QString markupText; // the extras dialog's markup field

    const Facilities& facilities() const { return m_facilities; }

    // The main window's creation: seeds the random generator, hides the category tabs, takes the
    // order date, loads the settings (writing defaults) and shows them. `day`, `month` and `year`
    // are the system date.
    void start(SettingsStore& store, int day, int month, int year, quint32 seed);
    // The extras dialog's creation: shows the markup.
    void showMarkup();
    // The main window's closing: writes the settings back.
    void saveSettings(SettingsStore& store);

    // A category page's tab became the current one.
    void enterPage(Page p);
    // The Intel/AMD group (ProcGroup) was clicked; the platform already chosen changes nothing.
    void choosePlatform(ProcessorPlatform platform);

    // A category's choice list (ProcBox and its sisters) moved to `index` (-1: typed text that
    // matches no entry). A record line that cannot be read throws and leaves the previous choice
    // whole: the pair, the labels, the warning, the picture and the list's position.
    void chooseItem(Cat c, int index);
    // The quantity lists (NumBox, Num1Box); a failure leaves the count, the list and the line as
    // they were.
    void chooseMemoryCount(int index);
    void chooseFanCount(int index);
    // A shipment replaced the price list of `c` in memory: the page's out-of-stock warning, when
    // the choice of `c` set it last, follows the chosen record's count now.
    void stockChanged(Cat c);
    // What the pages do when a shipment changed a list: relist it, and follow the stock warning
    // (and drop the choice of a record that no longer carries its name).
    ShipmentFollowUp shipmentFollowUp();

    // Takes in the lists that others changed since this copy read them: those of the page `shown`
    // and those holding a chosen item; the others wait for their page's entry. Each is relisted,
    // a choice whose record still carries its name is shown with the record's price, stock and
    // description, another choice is dropped. Returns what the salesperson is to be told: each
    // chosen item whose price changed (from what to what) or whose choice was dropped.
    QStringList followShop(std::optional<Page> shown);
    // The same for the lists of the order only, each read whole and compared with memory.
    QStringList followOrder();
    // Just before printing `lines`: the lists of the order are read as they are now; when one
    // changed what the order holds, or `lines` are not the order's text any more, throws
    // OrderChangedError telling what changed, the order holding the lists as they are.
    void checkOrderBeforePrint(const QStringList& lines);

    // The General page's pricing controls (RubBox, KursEdit, ValEdit, NDSBox, NDSEdit) and the
    // extras dialog's AddEdit. Switching the local currency on or off, or a new exchange rate,
    // drops every choice: the prices shown were converted with the old settings.
    void setPricesInLocalCurrency(bool checked);
    void setExchangeRateText(const QString& text);
    void setCurrencyName(const QString& text);
    void setVatCharged(bool checked);
    void setVatPercentText(const QString& text);
    void setMarkupPercentText(const QString& text);
    // Clears every choice and every page's loaded flag and warning.
    void resetChoices();

    // The ChoiseGroup radio buttons: 0 base models, 1 all parts; shows the pages of that way.
    void chooseSelectionMode(int index);
    // On entering the General page and on mouse moves over it: the summary button is enabled once
    // a page was loaded.
    void updateSummaryButton();
    // On showing the General page: picks one of the six badges at random.
    void pickBadge();
    // LogBtn: opens the journal file with the desktop's program.
    void openJournal();

    // " у.е." or a blank and the currency name.
    QString unitSuffix() const;

private:
    QStringList followLists(std::optional<Page> shown, bool orderOnly, bool compareContent);
    void takeChangedList(Cat c, int list, PriceList content, QStringList& told);
    void showChoice(Cat c, int index);
    void quantityChange(Cat c, int index);
    void chooseQuantity(Cat c, int position, bool fullChoice);
    void forgetChoice(Cat c);
    quint16 countOf(Cat c) const;
    bool parseNumber(const QString& text, double& field);
    void touch(int field);

    Facilities m_facilities;
    QRandomGenerator m_random;
    bool m_starting = false;
    SettingFlags m_loaded{};                    // read from the store (or defaulted) at start
    SettingFlags m_touched{};                   // set by the user during the run
    std::array<int, PageCount> m_warningFrom{}; // per page, the category whose choice set the warning, or -1
};

// The shipment of the order the main window built, its pages following every list it changes.
void shipOrder(MainState& state, const ShipmentRecorder& recorder = {});
// The summary window's printing: the printer dialog, the print job and the shipment (see the
// order's printAndShip). On return the summary window closes; a failed shipment is thrown
// instead, and the window stays open.
void printAndShip(MainState& state, const QStringList& lines, Printer* printer, MessageBox* messageBox,
                  const ShipmentRecorder& recorder = {});
// The summary window's Print button as a whole: appends the status lines to `lines`, then prints and ships.
void printSummary(MainState& state, QStringList& lines, Printer* printer, MessageBox* messageBox,
                  const ShipmentRecorder& recorder = {});

} // namespace korvanta
