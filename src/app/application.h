#pragma once

#include "base/facilities.h"
#include "widgets/qtfacilities.h"

#include <QString>
#include <memory>

namespace korvanta {

class MainState;
class SettingsStore;
class MainWindow;
class AboutDialog;
class SummaryDialog;
class ClientsDialog;
class ExtrasDialog;
class QtPrinter;
class QtHelp;
class ShopWatcher;

// The whole program: the main window and its four dialogs, created once each in start-up order,
// and the Qt side of the platform. Tests build it with their own facilities and folders.
class Application {
public:
    struct Options {
        QString directory;         // the shop's folder; empty: the working directory
        QString settingsDirectory; // empty: the user's configuration folder
        QChar decimal;             // null: the regional settings' separator
        Facilities facilities;     // null members: the Qt ones
    };

    explicit Application(const Options& options);
    ~Application();

    MainWindow& mainWindow() const { return *m_main; }
    AboutDialog& aboutDialog() const { return *m_about; }
    SummaryDialog& summaryDialog() const { return *m_summary; }
    ClientsDialog& clientsDialog() const { return *m_clients; }
    ExtrasDialog& extrasDialog() const { return *m_add; }
    MainState& state() const { return *m_state; }
    const Facilities& facilities() const { return m_facilities; }
    // The program's own help window; null when the options brought a help of their own.
    QtHelp* qtHelp() const { return m_qtHelp.get(); }
    ShopWatcher& watcher() const { return *m_watcher; }

private:
    QtMessageBox m_qtMessageBox;
    QtErrorReport m_qtErrorReport;
    QtShell m_qtShell;
    std::unique_ptr<QtPrinter> m_qtPrinter;
    std::unique_ptr<QtHelp> m_qtHelp;
    Facilities m_facilities;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<MainState> m_state;
    std::unique_ptr<MainWindow> m_main;
    AboutDialog* m_about = nullptr;
    SummaryDialog* m_summary = nullptr;
    ClientsDialog* m_clients = nullptr;
    ExtrasDialog* m_add = nullptr;
    ShopWatcher* m_watcher = nullptr;
};

} // namespace korvanta
