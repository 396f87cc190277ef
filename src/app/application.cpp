#include "app/application.h"

#include "app/aboutdialog.h"
#include "app/clientsdialog.h"
#include "app/extrasdialog.h"
#include "app/mainwindow.h"
#include "app/summarydialog.h"
#include "files/filelock.h"
#include "files/shopwatcher.h"
#include "presentation/mainstate.h"
#include "settings/settingsstore.h"
#include "text/conversions.h"
#include "widgets/contexthelp.h"
#include "widgets/helpviewer.h"
#include "widgets/qtprinter.h"

#include <QGuiApplication>

namespace korvanta {

Application::Application(const Options& options)
{
    m_facilities = options.facilities;
    if (!m_facilities.messageBox)
        m_facilities.messageBox = &m_qtMessageBox;
    if (!m_facilities.errorReport)
        m_facilities.errorReport = &m_qtErrorReport;
    if (!m_facilities.shell)
        m_facilities.shell = &m_qtShell;
    if (!m_facilities.printer) {
        m_qtPrinter = std::make_unique<QtPrinter>();
        m_facilities.printer = m_qtPrinter.get();
    }
    if (!m_facilities.help) {
        m_qtHelp = std::make_unique<QtHelp>();
        m_facilities.help = m_qtHelp.get();
    }
    const QString settingsDir =
        options.settingsDirectory.isEmpty() ? defaultSettingsDirectory() : options.settingsDirectory;
    m_store = makeFileSettingsStore(settingsDir);
    const QChar decimal = options.decimal.isNull() ? systemDecimalSeparator() : options.decimal;
    m_state = std::make_unique<MainState>(m_facilities, decimal, options.directory);

    // Start-up order: the main window, then the About box, the summary, the client base, the extras.
    m_main = std::make_unique<MainWindow>(*m_state, m_facilities, *m_store);
    m_qtMessageBox.setParent(m_main.get());
    m_qtErrorReport.setParent(m_main.get());
    if (m_qtHelp)
        m_qtHelp->setOwner(m_main.get());
    m_about = new AboutDialog(m_facilities, m_main.get());
    m_summary = new SummaryDialog(*m_state, m_facilities, m_main.get());
    if (m_qtPrinter)
        m_summary->preparePrinter(*m_qtPrinter);
    m_clients = new ClientsDialog(m_facilities, m_main.get(), options.directory);
    m_add = new ExtrasDialog(*m_state, m_facilities, m_main.get());
    m_main->setDialogs(m_about, m_summary, m_clients, m_add);
    QObject::connect(m_clients, &ClientsDialog::customerChosen, m_main.get(), &MainWindow::setCustomer);

    // The price lists others change: the pages and the order follow them.
    m_watcher = new ShopWatcher(options.directory, 1000, m_main.get());
    for (Cat c : allCategories())
        for (const QString& file : category(c).files)
            m_watcher->follow(file);
    QObject::connect(m_watcher, &ShopWatcher::changed, m_main.get(), &MainWindow::followShop);

    // Waiting for another copy's lock of a shared file shows the busy cursor.
    FileLock::setWaitObserver([](bool waiting) {
        // The platform shows the cursor at once; no events are run while a shipment is midway.
        if (waiting)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });

    for (QWidget* window :
         {static_cast<QWidget*>(m_main.get()), static_cast<QWidget*>(m_about), static_cast<QWidget*>(m_summary),
          static_cast<QWidget*>(m_clients), static_cast<QWidget*>(m_add)})
        installContextHelp(window, m_facilities.help);
}

Application::~Application()
{
    FileLock::setWaitObserver({});
}

} // namespace korvanta
