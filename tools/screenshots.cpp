// Renders every page of the main window, in both ways of choosing and in both price modes, with an
// item chosen in every list, the dialogs, and the owner's windows, into PNG files for a look at the
// layout:
//   korvanta_screenshots <sample shop folder> <output folder>
#include "app/aboutdialog.h"
#include "app/application.h"
#include "app/clientsdialog.h"
#include "app/controlnames.h"
#include "app/extrasdialog.h"
#include "app/mainwindow.h"
#include "app/summarydialog.h"
#include "common/journalmaker.h"
#include "owner/ownerwindow.h"
#include "owner/pricelistwindows.h"
#include "owner/reportswindow.h"
#include "owner/stockdialogs.h"
#include "presentation/mainstate.h"
#include "reports/reports.h"
#include "text/conversions.h"
#include "text/csv.h"
#include "widgets/helpviewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace korvanta;

namespace {

void save(QWidget* w, const QString& path)
{
    w->grab().save(path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir shop;
    QTemporaryDir settings;
    const QDir sample(QString::fromLocal8Bit(argv[1]));
    for (const QString& name : sample.entryList({QStringLiteral("*.dat")}))
        QFile::copy(sample.filePath(name), QDir(shop.path()).filePath(name));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());

    Application::Options options;
    options.directory = shop.path();
    options.settingsDirectory = settings.path();
    Application program(options);
    MainWindow& main = program.mainWindow();
    main.show();
    save(&main, out.filePath(QStringLiteral("00-general.png")));

    for (int priceMode = 0; priceMode < 2; ++priceMode) {
        if (priceMode == 1) {
            main.pageControl()->setCurrentWidget(main.generalSheet());
            main.findChild<QCheckBox*>(QStringLiteral("RubBox"))->click();
            save(&main, out.filePath(QStringLiteral("10-general-rub.png")));
        }
        for (int mode = 0; mode < 2; ++mode) {
            main.pageControl()->setCurrentWidget(main.generalSheet());
            main.findChild<QRadioButton*>(QStringLiteral("ChoiseGroupItem%1").arg(mode))->click();
            for (Page p : allPages()) {
                QTabWidget* pc = main.pageControl();
                if (!pc->isTabVisible(pc->indexOf(main.sheet(p))))
                    continue;
                pc->setCurrentWidget(main.sheet(p));
                if (p == Page::Proc)
                    main.findChild<QRadioButton*>(QStringLiteral("ProcGroupItem%1").arg(mode))->click();
                int k = 0;
                for (Cat c : page(p).categories) {
                    QComboBox* box = main.choiceList(c);
                    if (box->count() > 2)
                        box->setCurrentIndex(1 + (k++ % (box->count() - 1)));
                }
                // With prices in the local currency, the last list of the page picks an item that is
                // out of stock, so that the warning shows too.
                const QLabel* warning = main.findChild<QLabel*>(pageControls(p).warning);
                QComboBox* last = main.choiceList(page(p).categories.back());
                for (int i = 1; priceMode == 1 && warning && warning->isHidden() && i < last->count(); ++i)
                    last->setCurrentIndex(i);
                save(&main, out.filePath(
                                QStringLiteral("%1%2-%3.png").arg(priceMode).arg(mode + 1).arg(pageControls(p).sheet)));
            }
            main.pageControl()->setCurrentWidget(main.generalSheet());
        }
    }
    QTimer::singleShot(0, [&] {
        save(&program.summaryDialog(), out.filePath(QStringLiteral("20-summary.png")));
        program.summaryDialog().close();
    });
    program.summaryDialog().exec();
    QTimer::singleShot(0, [&] {
        save(&program.clientsDialog(), out.filePath(QStringLiteral("21-clients.png")));
        program.clientsDialog().close();
    });
    program.clientsDialog().exec();
    QTimer::singleShot(0, [&] {
        save(&program.aboutDialog(), out.filePath(QStringLiteral("22-about.png")));
        program.aboutDialog().close();
    });
    program.aboutDialog().exec();
    QTimer::singleShot(0, [&] {
        save(&program.extrasDialog(), out.filePath(QStringLiteral("23-extras.png")));
        program.extrasDialog().close();
    });
    program.extrasDialog().exec();
    if (QtHelp* help = program.qtHelp()) {
        help->showTopic(4);
        QApplication::processEvents();
        if (help->window())
            save(help->window()->window(), out.filePath(QStringLiteral("24-help.png")));
    }
    main.close();

    // The owner's program: the journal after a delivery, an item being edited with a price that
    // cannot be stored, and the preview of a supplier's sheet.
    OwnerWindow owner(shop.path());
    ReceiveDialog receive(owner.journal(), nullptr);
    receive.chooseList(QStringLiteral("Ram.dat"));
    receive.chooseItem(1);
    receive.setQuantity(5);
    receive.receive();
    owner.refresh();
    owner.show();
    save(&owner, out.filePath(QStringLiteral("30-owner.png")));
    ItemEditor editor(owner.journal(), systemDecimalSeparator(), nullptr, &owner);
    editor.chooseList(QStringLiteral("Ram.dat"));
    editor.chooseItem(1);
    editor.field(ItemField::Price)->setText(QStringLiteral("24.5"));
    editor.show();
    save(&editor, out.filePath(QStringLiteral("31-items.png")));
    editor.setUnsavedQuestion([](const QString&) { return ItemEditor::Unsaved::Discard; });
    editor.startNewItem();
    editor.field(ItemField::Name)->setText(QStringLiteral("Kingston FURY Beast DDR5 32GB 6000"));
    save(&editor, out.filePath(QStringLiteral("33-new-item.png")));
    // A supplier's sheet: the memory modules 10 % dearer, and ten more of each in stock.
    QByteArray sheet;
    for (const csv::ParsedRow& row : csv::parse(exportPriceLists(shop.path())).rows) {
        QStringList cells = row.fields;
        if (cells.value(0) == QStringLiteral("Ram.dat") && cells.value(1) != QStringLiteral("1")) {
            const QChar decimal = systemDecimalSeparator();
            cells[3] = formatMoney(textToFloat(cells[3], decimal) * 1.1, decimal);
            cells[7] = QString::number(cells[7].toInt() + 10);
        }
        sheet += csv::row(cells);
    }
    const QString sheetPath = QDir(shop.path()).filePath(QStringLiteral("поставщик.csv"));
    QFile sheetFile(sheetPath);
    if (sheetFile.open(QIODevice::WriteOnly))
        sheetFile.write(sheet);
    sheetFile.close();
    ImportPreview preview(planImportFile(sheetPath, shop.path(), systemDecimalSeparator()), sheetPath, &owner);
    preview.show();
    save(&preview, out.filePath(QStringLiteral("32-import.png")));

    // The reports on a generated year of trading in the sample shop's own items, the first two
    // months written before the journal recorded what was charged.
    {
        testing::JournalMaker maker;
        for (const reports::ShopItem& item : reports::loadShopItems(shop.path(), systemDecimalSeparator()))
            maker.items.push_back({item.file, item.record, item.name, item.price.value_or(1)});
        maker.to = QDate::currentDate();
        maker.from = maker.to.addDays(-364);
        maker.chargedFrom = maker.from.addDays(60);
        maker.ordersPerDay = 5;
        maker.decimal = systemDecimalSeparator();
        maker.make();
        QFile journal(QDir(shop.path()).filePath(stock::JournalFile));
        if (journal.open(QIODevice::WriteOnly | QIODevice::Truncate))
            journal.write(maker.bytes());
    }
    ReportsWindow reports(shop.path(), nullptr, nullptr, &owner);
    reports.show();
    const auto choose = [&](const char* box, int index) {
        reports.findChild<QComboBox*>(QString::fromLatin1(box))->setCurrentIndex(index);
    };
    const struct {
        int report, period, grouping, items;
        const char* file;
    } views[] = {
        {ReportsWindow::SalesReport, int(reports::PeriodKind::ThisYear), int(reports::Grouping::Month), 0,
         "40-report-sales-year.png"},
        {ReportsWindow::SalesReport, int(reports::PeriodKind::LastMonth), int(reports::Grouping::Day), 0,
         "41-report-sales-month.png"},
        {ReportsWindow::ItemsReport, int(reports::PeriodKind::LastMonth), 0, ReportsWindow::TopSellers,
         "42-report-top.png"},
        {ReportsWindow::ItemsReport, int(reports::PeriodKind::LastMonth), 0, ReportsWindow::IdleItems,
         "43-report-idle.png"},
        {ReportsWindow::ItemsReport, int(reports::PeriodKind::ThisYear), 0, ReportsWindow::ByCategory,
         "44-report-categories.png"},
        {ReportsWindow::StockReport, 0, 0, 0, "45-report-stock.png"},
        {ReportsWindow::OrderReport, 0, 0, 0, "46-report-order.png"},
    };
    for (const auto& v : views) {
        choose("ReportBox", v.report);
        choose("PeriodBox", v.period);
        choose("GroupingBox", v.grouping);
        choose("ItemsViewBox", v.items);
        save(&reports, out.filePath(QString::fromLatin1(v.file)));
    }
    return 0;
}
