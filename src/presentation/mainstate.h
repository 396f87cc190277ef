#pragma once

#include "catalogue.h"
#include "categorypages.h"
#include "error.h"
#include "facilities.h"
#include "order.h"
#include "settingspersistence.h"
#include "shipment.h"

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
    int choiseGroup = -1; // -1 none, 0 "Базовые модели", 1 "Все комплектующие"
    bool resBtnEnabled = false;
    bool rubBox = false;
    EditState kursEdit{QString(), false};
    EditState valEdit{QString(), false};
    bool ndsBox = false;
    EditState ndsEdit{QString(), false};
    int kindGroup = 0; // disabled, first item
    int badge = 0;     // which of Icon1..Icon6 (0..5) the Icon shows
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
// what the pages and the General page show. Handlers carry the window's names and throw Error for
// failures that the window reports with the default error report.
class MainState {
public:
    // `decimal` is the regional decimal separator; files are read from `directory` (empty: the
    // working directory).
    MainState(const Facilities& facilities, QChar decimal, QString directory = QString());

    Order order;
    Catalogue catalogue;
    CategoryPages pages;
    GeneralPage general;
    QString addEdit; // the extras dialog's markup field

    const Facilities& facilities() const { return m_facilities; }

    // Creation: seeds the random generator, hides the category tabs, takes the order date, loads
    // the settings (writing defaults) and shows them. `day`, `month` and `year` are the system date.
    void formCreate(SettingsStore& store, int day, int month, int year, quint32 seed);
    // Creation of the extras dialog: shows the markup.
    void addBoxCreate();
    // Closing: writes the settings back.
    void formClose(SettingsStore& store);

    // Page entry (BaseSheetEnter, ProcSheetEnter, ...).
    void sheetEnter(Page p);
    // ProcGroupClick: the platform `index` was clicked; the one already chosen changes nothing.
    void procGroupClick(int index);

    // ProcBoxChange and its sisters: the choice list of `c` moved to `index` (-1: typed text that
    // matches no entry). A record line that cannot be read throws and leaves the previous choice
    // whole: the pair, the labels, the warning, the picture and the list's position.
    void boxChange(Cat c, int index);
    // The quantity lists; a failure leaves the count, the list and the memory line as they were.
    void numBoxChange(int index);
    void num1BoxChange(int index);
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

    void rubBoxClick(bool checked);
    void kursEditChange(const QString& text);
    void valEditChange(const QString& text);
    void ndsBoxClick(bool checked);
    void ndsEditChange(const QString& text);
    void addEditChange(const QString& text);
    void zero();

    void choiseGroupClick(int index);
    void generalSheetEnter();
    void generalSheetMouseMove();
    void generalSheetShow();
    void logBtnClick();

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
    void evaluateResBtn();
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
// PrintBtnClick as a whole: appends the status lines to `lines`, then prints and ships.
void printBtnClick(MainState& state, QStringList& lines, Printer* printer, MessageBox* messageBox,
                   const ShipmentRecorder& recorder = {});

} // namespace korvanta
