#pragma once

#include "base/facilities.h"
#include "catalogue/categorytable.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace Ui {
class GeneralSheet;
}

namespace korvanta {

class ChoiceListModel;
class MainState;
struct ChoiceList;
class PictureBox;
class SettingsStore;

// The main window: a General page and ten category pages. It mirrors the MainState into its
// widgets and forwards the salesperson's actions to it.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Creation starts the state: the settings are read from `store` and shown.
    MainWindow(MainState& state, const Facilities& facilities, SettingsStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The dialogs, created after the main window.
    void setDialogs(QWidget* about, QWidget* result, QWidget* clients, QWidget* extras);

    QTabWidget* pageControl() const { return m_pageControl; }
    QWidget* sheet(Page p) const { return m_pages[size_t(idx(p))].sheet; }
    QWidget* generalSheet() const { return m_generalSheet; }
    QComboBox* choiceList(Cat c) const { return m_categories[size_t(idx(c))].box; }

    // The customer's name from the client base.
    void setCustomer(const QString& name);

    // Shows every part of the state in the widgets.
    void refresh();

    // Another copy (or any program) changed files of the shop: the shown page and the order
    // follow, and the salesperson is told what changed in the order.
    void followShop();

private:
    // The handlers, as the window's events call them.
    void chooseSelectionMode(int index);
    void updateSummaryButton(); // on entering the General page and on mouse moves over it
    void pickBadge();
    void enterPage(Page p);
    void chooseItem(Cat c, int index);
    void choosePlatform(int button);
    void chooseMemoryCount(int index);
    void chooseFanCount(int index);
    void setPricesInLocalCurrency(bool checked);
    void setExchangeRateText(const QString& text);
    void setCurrencyName(const QString& text);
    void setVatCharged(bool checked);
    void setVatPercentText(const QString& text);
    void showSummary();
    void showAbout();
    void showClients();
    void showExtras();
    void openJournal();
    void quit();
    void showHelp(int topic);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CategoryWidgets {
        QComboBox* box = nullptr;
        ChoiceListModel* model = nullptr;
        quint64 shownRevision = ~quint64(0);
        QLabel* caption = nullptr;
        QLabel* priceLabel = nullptr;
        QLabel* itemLabel = nullptr;
    };
    struct PageWidgets {
        QWidget* sheet = nullptr;
        QLabel* warning = nullptr;
        PictureBox* picture = nullptr;
        QPushButton* help = nullptr;
    };

    template <typename F> void handle(F&& handler);

    void buildGeneralSheet();
    void buildCategorySheet(Page p);
    QComboBox* buildChoiceList(Cat c, QWidget* parent);
    void refreshChoiceList(QComboBox* box, ChoiceListModel* model, quint64& shownRevision, const ChoiceList& list);
    void onPageChanged(int index);
    std::optional<Page> shownPage() const;

    MainState& m_state;
    Facilities m_facilities;
    SettingsStore& m_store;

    QTabWidget* m_pageControl = nullptr;
    QWidget* m_generalSheet = nullptr;
    std::unique_ptr<Ui::GeneralSheet> m_general;
    std::array<CategoryWidgets, CategoryCount> m_categories;
    std::array<PageWidgets, PageCount> m_pages;

    QButtonGroup* m_selectionModeButtons = nullptr;

    QGroupBox* m_platformBox = nullptr;
    QButtonGroup* m_platformButtons = nullptr;
    QComboBox* m_numBox = nullptr;
    QComboBox* m_num1Box = nullptr;
    quint64 m_numRevision = ~quint64(0);
    quint64 m_num1Revision = ~quint64(0);

    QWidget* m_about = nullptr;
    QWidget* m_result = nullptr;
    QWidget* m_clients = nullptr;
    QWidget* m_extras = nullptr;
    bool m_closing = false;
    bool m_centred = false;
};

} // namespace korvanta
