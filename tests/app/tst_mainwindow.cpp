// The main window driven as a salesperson would, up to the summary button.
#include "app/application.h"
#include "app/clientsdialog.h"
#include "app/controlnames.h"
#include "app/extrasdialog.h"
#include "app/mainwindow.h"
#include "app/picturebox.h"
#include "app/typinglimit.h"
#include "common/fakes.h"
#include "common/memorystore.h"
#include "common/names.h"
#include "common/testshop.h"
#include "presentation/mainstate.h"
#include "pricing/settingspersistence.h"
#include "widgets/contexthelp.h"
#include "widgets/helpviewer.h"
#include "widgets/qtfacilities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestMainWindow : public QObject {
    Q_OBJECT

    struct Fixture : TestShop {
        Fakes fakes;
        MemoryStore store;
        std::unique_ptr<MainState> state;
        std::unique_ptr<MainWindow> window;

        Fixture() : TestShop(Files::Sample) {}
        void start()
        {
            state = std::make_unique<MainState>(fakes.facilities(), QLatin1Char(','), folder);
            window = std::make_unique<MainWindow>(*state, fakes.facilities(), store);
            window->show();
        }
        template <typename T> T* child(const QString& name) const
        {
            T* w = window->findChild<T*>(name);
            if (!w)
                qFatal("no child %s", qPrintable(name));
            return w;
        }
        QStringList visibleTabs() const
        {
            QStringList tabs;
            QTabWidget* pc = window->pageControl();
            for (int i = 0; i < pc->count(); ++i)
                if (pc->isTabVisible(i))
                    tabs << pc->tabText(i);
            return tabs;
        }
        void chooseMode(int index)
        {
            enterGeneral();
            QTest::mouseClick(child<QRadioButton>(QStringLiteral("ChoiseGroupItem%1").arg(index)), Qt::LeftButton);
        }
        // Started in the mode given and showing the page.
        void open(int mode, Page p)
        {
            start();
            chooseMode(mode);
            enter(p);
        }
        QString labelText(const QString& name) const { return child<QLabel>(name)->text(); }
        void enter(Page p) { window->pageControl()->setCurrentWidget(window->sheet(p)); }
        void enterGeneral() { window->pageControl()->setCurrentWidget(window->generalSheet()); }
        QStringList items(Cat c) const
        {
            QComboBox* box = window->choiceList(c);
            QStringList out;
            for (int i = 0; i < box->count(); ++i)
                out << box->itemText(i);
            return out;
        }
    };

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void startShowsOnlyTheGeneralPage()
    {
        Fixture f;
        f.start();
        QCOMPARE(f.window->windowTitle().left(11), QStringLiteral("KORVANTA - "));
        QCOMPARE(f.visibleTabs(), QStringList{QStringLiteral("Главная страница")});
        QVERIFY(!f.child<QRadioButton>(QStringLiteral("ChoiseGroupItem0"))->isChecked());
        QVERIFY(!f.child<QRadioButton>(QStringLiteral("ChoiseGroupItem1"))->isChecked());
        const QString badge = f.child<PictureBox>(QStringLiteral("Icon"))->picture();
        QVERIFY2(QRegularExpression(QStringLiteral("^Icon[1-6]$")).match(badge).hasMatch(), qPrintable(badge));
        // First run: the defaults are shown, the edits follow their check boxes.
        QCOMPARE(f.child<QLineEdit>(QStringLiteral("KursEdit"))->text(), QStringLiteral("29,7"));
        for (const char* name : {"KursEdit", "ValEdit", "NDSEdit", "KindGroup"})
            QVERIFY2(!f.child<QWidget>(QString::fromLatin1(name))->isEnabled(), name);
        QVERIFY(f.child<QRadioButton>(QStringLiteral("KindGroupItem0"))->isChecked());
        // Every page picture and badge is there and draws.
        for (PictureBox* p : f.window->findChildren<PictureBox*>())
            if (!p->picture().isEmpty())
                QVERIFY2(PictureBox::hasPicture(p->picture()), qPrintable(p->picture()));
    }

    void modesShowTheirTabsInOrder()
    {
        Fixture f;
        f.start();
        f.chooseMode(0);
        QCOMPARE(f.visibleTabs(),
                 (QStringList{"Главная страница", "Базовые модели", "Ноутбуки", "Монитор", "Принтер", "Разное"}));
        f.chooseMode(1);
        QCOMPARE(f.visibleTabs(), (QStringList{"Главная страница", "Процессор и плата", "RAM", "Диски", "Видео и звук",
                                               "Ввод", "Монитор", "Принтер", "Разное"}));
    }

    void processorPageFollowsThePlatform()
    {
        Fixture f;
        f.open(1, Page::Proc);
        QVERIFY(f.items(Cat::Proc).isEmpty());
        QVERIFY(f.items(Cat::Mat).isEmpty());
        QCOMPARE(f.items(Cat::Fun).size(), recordCount(f.list(QStringLiteral("Fun.dat"))));
        QCOMPARE(f.window->choiceList(Cat::Proc)->currentText(), QStringLiteral("Процессоры"));

        QTest::mouseClick(f.child<QRadioButton>(QStringLiteral("ProcGroupItem0")), Qt::LeftButton);
        const PriceList intel = f.list(QStringLiteral("Proc_int.dat"));
        QCOMPARE(f.items(Cat::Proc).size(), recordCount(intel));
        QCOMPARE(f.items(Cat::Proc).at(1), intel.at(7));
        QCOMPARE(f.items(Cat::Mat).size(), recordCount(f.list(QStringLiteral("Mat_int.dat"))));
    }

    void choosingAnItemShowsDescriptionPriceAndWarning()
    {
        Fixture f;
        f.write(QStringLiteral("Video.dat"),
                {record("нет", "0", "0"), record("GeForce RTX 4060", "310,5", "0", "8 ГБ GDDR6"),
                 record("Radeon RX 7600", "270", "4", "8 ГБ, 2 вентилятора")});
        f.open(1, Page::Video);
        f.window->choiceList(Cat::Video)->setCurrentIndex(1);
        QCOMPARE(f.labelText("VideoLabel"), QStringLiteral("8 ГБ GDDR6"));
        QCOMPARE(f.labelText("PriceVideoLabel"), QStringLiteral("310,5 у.е."));
        QVERIFY(f.child<QLabel>(QStringLiteral("VideoL"))->isVisible());
        QCOMPARE(f.child<PictureBox>(QStringLiteral("Image7"))->picture(), QStringLiteral("Image71"));
        f.window->choiceList(Cat::Video)->setCurrentIndex(2);
        QVERIFY(!f.child<QLabel>(QStringLiteral("VideoL"))->isVisible());
        QCOMPARE(f.state->order.computer[Cat::Video].item, QStringLiteral("Radeon RX 7600"));

        // Prices in the local currency: the check box resets everything chosen so far.
        f.enterGeneral();
        QTest::mouseClick(f.child<QCheckBox>(QStringLiteral("RubBox")), Qt::LeftButton);
        QVERIFY(f.child<QLineEdit>(QStringLiteral("KursEdit"))->isEnabled());
        QVERIFY(f.state->order.computer[Cat::Video].item.isEmpty());
        QVERIFY(!f.state->pages.anyPageLoaded());
        f.enter(Page::Video);
        QCOMPARE(f.window->choiceList(Cat::Video)->currentText(), QStringLiteral("Видеокарты"));
        QVERIFY(f.labelText("PriceVideoLabel").isEmpty());
        f.window->choiceList(Cat::Video)->setCurrentIndex(2);
        QCOMPARE(f.labelText("PriceVideoLabel"), QStringLiteral("8019,00 руб."));
    }

    // A memory module whose price cannot be read in the regional settings: the list shows the
    // module chosen before, with its own price, as the order would list it.
    void failedChoiceShowsThePreviousItemAgain()
    {
        Fixture f;
        f.write(QStringLiteral("Ram.dat"),
                {record("нет", "0", "0"), record("DDR4 8 ГБ", "30", "5", "3200"), record("DDR4 16 ГБ", "45.5", "5")});
        f.open(1, Page::RAM);
        QComboBox* box = f.window->choiceList(Cat::RAM);
        box->setCurrentIndex(1);
        box->setCurrentIndex(2);
        QCOMPARE(f.fakes.errorReport.reported,
                 QStringList{QStringLiteral("'45.5' is not a valid floating point value")});
        QCOMPARE(box->currentIndex(), 1);
        QCOMPARE(box->currentText(), QStringLiteral("DDR4 8 ГБ"));
        QCOMPARE(f.labelText("RamLabel"), QStringLiteral("3200"));
        QCOMPARE(f.labelText("PriceRAMLabel"), QStringLiteral("30,00 у.е."));
        QCOMPARE(f.state->order.computer[Cat::RAM].item, QStringLiteral("DDR4 8 ГБ - 1шт."));
    }

    // Texts from a price list show as they stand: no markup, no pictures loaded from the list.
    void fileTextsShowAsPlainText()
    {
        const QString markup = QStringLiteral("<b>IPS</b> &amp; <i>24\"</i> <img src=\"x.png\">");
        QVERIFY(Qt::mightBeRichText(markup));
        Fixture f;
        f.write(QStringLiteral("Monitor.dat"),
                {record("нет", "0", "0"), record("<u>Dell</u>", "<i>150</i>", "2", markup)});
        f.open(0, Page::Mon);
        f.window->choiceList(Cat::Mon)->setCurrentIndex(1);
        QCOMPARE(f.labelText("MonLabel"), markup);
        QCOMPARE(f.labelText("PriceMonLabel"), QStringLiteral("<i>150</i> у.е."));
        for (Cat c : allCategories())
            for (const QString& name : {categoryControls(c).itemLabel, categoryControls(c).priceLabel})
                QVERIFY2(f.child<QLabel>(name)->textFormat() == Qt::PlainText, qPrintable(name));

        // The error report quotes file texts as they stand too.
        QtErrorReport report;
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                format = box->textFormat();
                shown = box->text();
                box->accept();
            }
        });
        report.report(QStringLiteral("'%1' is not a valid floating point value").arg(markup));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, QStringLiteral("'%1' is not a valid floating point value.").arg(markup));
    }

    // The edits' limits hold for typing; what the program shows from the settings is shown whole.
    void storedValuesShowWhole_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("name");
        QTest::addColumn<StoredValue>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("limit");
        QTest::newRow("rate") << "KursEdit"
                              << "curs" << binaryDouble(1e14) << "100000000000000" << 10;
        QTest::newRow("currency") << "ValEdit"
                                  << "val" << string1251(QStringLiteral("российских рублей")) << "российских рублей"
                                  << 10;
        QTest::newRow("VAT") << "NDSEdit"
                             << "nds" << binaryDouble(123456.5) << "123456,5" << 5;
        QTest::newRow("markup") << "AddEdit"
                                << "add" << binaryDouble(1234567) << "1234567" << 5;
    }

    void storedValuesShowWhole()
    {
        QFETCH(QString, edit);
        QFETCH(QString, name);
        QFETCH(StoredValue, value);
        QFETCH(QString, shown);
        QFETCH(int, limit);
        Fixture f;
        f.store.keys[SettingsKeyPath][QStringLiteral("rub")] = dword(1);
        f.store.keys[SettingsKeyPath][QStringLiteral("ndse")] = dword(1);
        f.store.keys[SettingsKeyPath][name] = value;
        f.start();
        ExtrasDialog extras(*f.state, f.fakes.facilities(), f.window.get());
        extras.show();
        QLineEdit* field =
            edit == QStringLiteral("AddEdit") ? extras.findChild<QLineEdit*>(edit) : f.child<QLineEdit>(edit);
        QCOMPARE(field->text(), shown);
        QCOMPARE(typingLimit(field), limit);

        // Typing cannot lengthen it; deleting shortens it; a new text stops at the limit.
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, QStringLiteral("1"));
        QCOMPARE(field->text(), shown);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, QStringLiteral("1"));
        QCOMPARE(field->text(), shown.chopped(1));
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, QString(limit + 3, QLatin1Char('7')));
        QCOMPARE(field->text(), QString(limit, QLatin1Char('7')));
    }

    void missingFileIsReportedAndEarlierListsStay()
    {
        Fixture f;
        QFile::remove(f.path(QStringLiteral("Sound.dat")));
        f.open(1, Page::Video);
        QCOMPARE(f.fakes.errorReport.reported.size(), 1);
        QVERIFY(f.fakes.errorReport.reported.first().startsWith(
            QStringLiteral("Cannot open file \"%1\".")
                .arg(QFileInfo(f.path(QStringLiteral("Sound.dat"))).absoluteFilePath())));
        QVERIFY(!f.items(Cat::Video).isEmpty());
        QVERIFY(f.items(Cat::Sound).isEmpty());
        QVERIFY(f.items(Cat::Speak).isEmpty());
    }

    void summaryButtonFollowsTheFlagsOnTwoEventsOnly()
    {
        Fixture f;
        f.start();
        f.chooseMode(0);
        QPushButton* res = f.child<QPushButton>(QStringLiteral("ResBtn"));
        f.enter(Page::Mon);
        QVERIFY(!res->isEnabled());
        f.enterGeneral();
        QVERIFY(res->isEnabled());

        // A change of mode resets, but the button keeps its state until the page's own events.
        f.chooseMode(1);
        QVERIFY(res->isEnabled());
        QWidget* sheet = f.window->generalSheet();
        const QPoint overControl = f.child<QPushButton>(QStringLiteral("LogBtn"))->geometry().center();
        QMouseEvent overChild(QEvent::MouseMove, QPointF(overControl), sheet->mapToGlobal(QPointF(overControl)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(sheet, &overChild);
        QVERIFY(res->isEnabled());
        const QPointF bare(600, 200);
        QVERIFY(!sheet->childAt(bare.toPoint()));
        QMouseEvent overPage(QEvent::MouseMove, bare, sheet->mapToGlobal(bare), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
        QApplication::sendEvent(sheet, &overPage);
        QVERIFY(!res->isEnabled());
    }

    void switchingModeDiscardsEveryChoice()
    {
        Fixture f;
        f.open(0, Page::Mon);
        f.window->choiceList(Cat::Mon)->setCurrentIndex(2);
        QVERIFY(f.state->order.computer.isChosen(Cat::Mon));
        f.chooseMode(0); // the same item again keeps every choice
        QVERIFY(f.state->order.computer.isChosen(Cat::Mon));
        f.chooseMode(1);
        QVERIFY(!f.state->order.computer.isChosen(Cat::Mon));
        f.enter(Page::Mon);
        QCOMPARE(f.window->choiceList(Cat::Mon)->currentIndex(), -1);
        QCOMPARE(f.window->choiceList(Cat::Mon)->currentText(), QStringLiteral("Мониторы"));
    }

    void typedTextOffersMatchesAndPicksTheirOwnPosition()
    {
        Fixture f;
        f.write(QStringLiteral("Monitor.dat"),
                {record("нет", "0", "0"), record("Samsung 24", "150", "2", "first"), record("LG 27", "200", "2", "lg"),
                 record("Samsung 24", "160", "5", "second")});
        f.open(0, Page::Mon);
        QComboBox* box = f.window->choiceList(Cat::Mon);
        QCompleter* completer = box->completer();
        QVERIFY(completer);
        completer->setCompletionPrefix(QStringLiteral("sung"));
        QCOMPARE(completer->completionCount(), 2);
        // Picking the second match chooses record 3, not the first record of the same name.
        QVERIFY(completer->setCurrentRow(1));
        emit completer->activated(completer->currentIndex());
        QCOMPARE(f.state->pages.view(Cat::Mon).box.index, 3);
        QCOMPARE(f.labelText("MonLabel"), QStringLiteral("second"));
        QCOMPARE(f.items(Cat::Mon).size(), 4); // the list itself keeps every record in order
    }

    void typingOffersWhatAPlainSearchFinds_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("deleted"); // keys of Backspace after the text
        QTest::addColumn<int>("pick");    // the offer chosen
        QTest::newRow("Russian capitals") << QStringLiteral("МОНИТОР 1") << 0 << 3;
        QTest::newRow("Ё typed small") << QStringLiteral("ёмк") << 0 << 0;
        QTest::newRow("typed and partly deleted") << QStringLiteral("samsung 12") << 8 << 5;
        QTest::newRow("far down the offers") << QStringLiteral("ips") << 0 << 40;
    }

    void typingOffersWhatAPlainSearchFinds()
    {
        QFETCH(QString, typed);
        QFETCH(int, deleted);
        QFETCH(int, pick);
        Fixture f;
        const QStringList names = generatedNames(700);
        QList<QStringList> records;
        for (const QString& name : names)
            records.append(record(name, "1", "1", name + " описание"));
        f.write(QStringLiteral("Monitor.dat"), records);
        f.open(0, Page::Mon);
        QComboBox* box = f.window->choiceList(Cat::Mon);
        box->lineEdit()->selectAll(); // typing replaces the placeholder
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, box->lineEdit(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        for (int i = 0; i < deleted; ++i)
            QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        const QString text = typed.left(typed.size() - deleted);
        QCOMPARE(box->lineEdit()->text(), text);
        const std::vector<int> expected = plainSearch(names, text);
        QCompleter* completer = box->completer();
        QCOMPARE(completer->completionCount(), int(expected.size()));
        for (int row = 0; row < int(expected.size()); ++row)
            QCOMPARE(completer->completionModel()->index(row, 0).data().toString(), names.at(expected[size_t(row)]));
        // The pick chooses the offered entry at its own place in the list.
        QVERIFY(completer->setCurrentRow(pick));
        emit completer->activated(completer->currentIndex());
        QCOMPARE(f.state->pages.view(Cat::Mon).box.index, expected[size_t(pick)]);
        QCOMPARE(f.labelText("MonLabel"), names.at(expected[size_t(pick)]) + " описание");
    }

    void memoryPageQuantities()
    {
        Fixture f;
        f.write(QStringLiteral("Ram.dat"), {record("нет", "0", "0"), record("DDR5 16 ГБ", "30", "1")});
        f.open(1, Page::RAM);
        QComboBox* num = f.child<QComboBox>(QStringLiteral("NumBox"));
        QCOMPARE(num->currentText(), QStringLiteral("1"));
        num->setCurrentIndex(1);
        f.window->choiceList(Cat::RAM)->setCurrentIndex(1);
        QCOMPARE(f.state->order.computer[Cat::RAM].item, QStringLiteral("DDR5 16 ГБ - 2шт."));
        QCOMPARE(f.labelText("PriceRAMLabel"), QStringLiteral("60,00 у.е."));
        QVERIFY(f.child<QLabel>(QStringLiteral("RamL"))->isVisible());
        num->setCurrentIndex(0);
        QVERIFY(!f.child<QLabel>(QStringLiteral("RamL"))->isVisible());
        QCOMPARE(f.state->order.computer[Cat::RAM].price, QStringLiteral("30,00"));
    }

    void journalAndCloseSaveTheSettings()
    {
        {
            Fixture f;
            f.start();
            QTest::mouseClick(f.child<QPushButton>(QStringLiteral("LogBtn")), Qt::LeftButton);
            QCOMPARE(f.fakes.shell.opened, QStringList{QStringLiteral("Log.xls")});
            const int writesAtStart = f.store.writes;
            f.window->close(); // the title bar's close button
            QCOMPARE(f.store.writes, writesAtStart + 6);
        }
        // "Выход" closes the same way and saves once, whatever close follows.
        Fixture f;
        f.start();
        const int writesAtStart = f.store.writes;
        QTest::mouseClick(f.child<QPushButton>(QStringLiteral("ExitButton")), Qt::LeftButton);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.store.writes, writesAtStart + 6);
        f.window->close();
        QCOMPARE(f.store.writes, writesAtStart + 6);
    }

    void closingEndsTheProgramWhileHelpIsOpen()
    {
        QTemporaryDir settings;
        Fakes fakes;
        Application::Options options;
        options.settingsDirectory = settings.path();
        options.facilities = fakes.facilities();
        options.facilities.help = nullptr; // the program's own help window
        Application program(options);
        MainWindow& main = program.mainWindow();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("HelpButton")), Qt::LeftButton);
        QWidget* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("HelpWindow") && w->isVisible())
                help = w;
        QVERIFY(help);
        QVERIFY(program.qtHelp() && program.qtHelp()->window());
        QCOMPARE(program.qtHelp()->window()->window(), help);

        // The help window stays open, yet closing the main window ends the event loop.
        QTimer::singleShot(0, &main, [&main] { main.close(); });
        QTimer stuck;
        stuck.setSingleShot(true);
        connect(&stuck, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        stuck.start(60000);
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    // The whole program: the extras dialog, created after the main window, shows the markup read at
    // start, and the client base writes the customer into the main window.
    void dialogsOfTheProgram()
    {
        const TestShop shop(TestShop::Files::None);
        QTemporaryDir settings;
        shop.writeLines(QStringLiteral("clients.dat"),
                        {QStringLiteral("Иванов Иван"), QStringLiteral("111"), QString(), QString()});
        Fakes fakes;
        Application::Options options;
        options.directory = shop.folder;
        options.settingsDirectory = settings.path();
        options.decimal = QLatin1Char(',');
        options.facilities = fakes.facilities();
        {
            Application program(options);
            ExtrasDialog& extras = program.extrasDialog();
            QCOMPARE(extras.windowTitle(), QStringLiteral("Дополнительно..."));
            QCOMPARE(extras.property("helpContext").toInt(), 14);
            QCOMPARE(extras.minimumSize(), extras.maximumSize());
            auto* kompl = extras.findChild<QLineEdit*>(QStringLiteral("KomplEdit"));
            QCOMPARE(kompl->text(), QStringLiteral("1"));
            QVERIFY(!kompl->isEnabled());
            auto* del = extras.findChild<QCheckBox*>(QStringLiteral("DelBox"));
            QCOMPARE(del->text(), QStringLiteral("Не показывать цены покомпонентно в счете"));
            QCOMPARE(del->toolTip(),
                     QStringLiteral("В распечатанном счете цены на отдельные комплектующие не указываются"));
            QVERIFY(!del->isEnabled());
            auto* add = extras.findChild<QLineEdit*>(QStringLiteral("AddEdit"));
            QCOMPARE(add->toolTip(),
                     QStringLiteral("Внутренняя дополнительная наценка компьютерной фирмы (в процентах)"));
            QCOMPARE(add->text(), QStringLiteral("0"));

            extras.show();
            QTest::keyClick(add, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(add, QStringLiteral("12,5"));
            QCOMPARE(program.state().order.settings.markupPercent, 12.5);
            fakes.messageBox.shown.clear();
            QTest::keyClicks(add, QStringLiteral("x"));
            QCOMPARE(fakes.messageBox.shown, QStringList{DigitsOnlyMessage});
            QCOMPARE(add->text(), QStringLiteral("12,5x"));
            QCOMPARE(program.state().order.settings.markupPercent, 12.5);
            QTest::mouseClick(extras.findChild<QPushButton*>(QStringLiteral("OKBtn")), Qt::LeftButton);
            QVERIFY(!extras.isVisible());

            program.clientsDialog().show();
            QTest::mouseClick(program.clientsDialog().findChild<QPushButton*>(QStringLiteral("ChooseBtn")),
                              Qt::LeftButton);
            QCOMPARE(program.mainWindow().findChild<QLineEdit*>(QStringLiteral("ZakEdit"))->text(),
                     QStringLiteral("Иванов Иван"));
            program.mainWindow().close();
        }
        Application again(options);
        QCOMPARE(again.extrasDialog().findChild<QLineEdit*>(QStringLiteral("AddEdit"))->text(), QStringLiteral("12,5"));
        QVERIFY(again.mainWindow().findChild<QLineEdit*>(QStringLiteral("ZakEdit"))->text().isEmpty());
    }

    void pagesAsDesigned()
    {
        Fixture f;
        f.start();
        QCOMPARE(f.window->minimumSize(), QSize(732, 440));
        QCOMPARE(f.window->maximumSize(), QSize(732, 440));
        QVERIFY(!(f.window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(f.window->windowFlags() & Qt::WindowMinimizeButtonHint);

        struct Button {
            QString name, text, hint;
            bool enabled;
            Qt::CursorShape cursor;
        };
        const QList<Button> buttons = {
            {"ResBtn", "Итого...", "Подведите итоги...", false, Qt::BusyCursor},
            {"AboutButton", "О программе...", "", true, Qt::WhatsThisCursor},
            {"HelpButton", "Справка", "", true, Qt::WhatsThisCursor},
            {"ExitButton", "Выход", "", true, Qt::ArrowCursor},
            {"ClienButton", "База клиентов", "", true, Qt::ArrowCursor},
            {"LogBtn", "Журнал", "", true, Qt::ArrowCursor},
            {"AddBtn", "Дополнительно >>>", "", true, Qt::ArrowCursor},
        };
        for (const Button& b : buttons) {
            auto* w = f.child<QPushButton>(b.name);
            QCOMPARE(w->text(), b.text);
            QCOMPARE(w->toolTip(), b.hint);
            QCOMPARE(w->isEnabled(), b.enabled);
            QCOMPARE(w->cursor().shape(), b.cursor);
            QVERIFY2(!w->icon().isNull(), qPrintable(b.name));
        }
        QVERIFY(f.child<QPushButton>(QStringLiteral("ResBtn"))->font().bold());
        QVERIFY(f.child<QPushButton>(QStringLiteral("ExitButton"))->font().bold());
        const QList<std::tuple<QString, const char*, QVariant>> properties = {
            {"ResBtn", "width", 425},
            {"ZakEdit", "text", QString()},
            {"RubBox", "text", " Цены в"},
            {"NDSBox", "text", "Учет НДС"},
            {"ChoiseGroup", "title", "Из чего будем выбирать?"},
            {"ChoiseGroup", "toolTip", "Будете выбирать из уже готовых моделей или покомпонентно?"},
            {"KindGroup", "title", "Вид продажи?"},
            {"KindGroup", "toolTip", "По какой цене будет выбираться компьютер?"},
            {"KindGroupItem1", "text", "\"Партнер\""},
            {"Image1", "toolTip", "Ваш новый компьютер!!!"},
            {"Icon", "toolTip", "Сделай правильный выбор!"},
            {categoryControls(Cat::Proc).choiceList, "toolTip", "Выберите процессор..."},
            {categoryControls(Cat::Fdd).choiceList, "toolTip", "Выберите 3.5\" дисковод..."},
            {"NumBox", "toolTip", "Количество модулей памяти"},
            {"Num1Box", "toolTip", "Количество вентиляторов"},
            {"ProcGroup", "title", "Платформа"},
            {"ProcGroupItem0", "text", "Intel"},
            {"ProcGroupItem1", "text", "AMD"},
        };
        for (const auto& [name, property, value] : properties)
            QCOMPARE(f.child<QWidget>(name)->property(property), value);
        QStringList labels;
        for (QLabel* l : f.window->generalSheet()->findChildren<QLabel*>())
            labels << l->text();
        for (const char* text : {"Курс: 1у.е. =", "НДС:", "%", "Заказчик:"})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);

        // The category pages: every category's controls answer to their names.
        for (Cat c : allCategories()) {
            const CategoryControls names = categoryControls(c);
            QCOMPARE(f.child<QComboBox>(names.choiceList), f.window->choiceList(c));
            QVERIFY(f.child<QLabel>(names.priceLabel)->parent() == f.window->choiceList(c)->parent());
            QVERIFY(f.child<QLabel>(names.itemLabel)->parent() == f.window->choiceList(c)->parent());
        }
        QStringList captions;
        for (QLabel* l : f.window->sheet(Page::Disk)->findChildren<QLabel*>())
            captions << l->text();
        QVERIFY(captions.contains(QStringLiteral("Цена 3.5\" дисковода:")));
        for (const char* name : {"NumBox", "Num1Box"}) {
            auto* quantity = f.child<QComboBox>(QString::fromLatin1(name));
            QCOMPARE(quantity->count(), 4);
            QCOMPARE(quantity->itemText(3), QStringLiteral("4"));
            QCOMPARE(quantity->currentText(), QStringLiteral("1"));
        }
        for (QRadioButton* r : f.child<QGroupBox>(QStringLiteral("ProcGroup"))->findChildren<QRadioButton*>())
            QVERIFY(!r->isChecked());
        for (Page p : allPages()) {
            auto* warning = f.child<QLabel>(pageControls(p).warning);
            QCOMPARE(warning->text(), QStringLiteral("ВНИМАНИЕ! На складе отсутствует!"));
            QVERIFY(warning->isHidden());
            QVERIFY(warning->font().bold());
            QCOMPARE(warning->palette().color(QPalette::WindowText), QColor(Qt::red));
            auto* group = f.window->sheet(p)->findChild<QGroupBox*>();
            QCOMPARE(group->title(), QStringLiteral("В наличии..."));
        }

        // Help numbers: the pages carry theirs; the window, the page control, its tab row and the
        // controls on the pages carry none.
        QTabWidget* pc = f.window->pageControl();
        for (QWidget* w :
             {static_cast<QWidget*>(f.window.get()), static_cast<QWidget*>(pc), static_cast<QWidget*>(pc->tabBar())})
            QCOMPARE(w->property("helpContext").toInt(), 0);
        QCOMPARE(f.window->generalSheet()->property("helpContext").toInt(), 19);
        for (int i = 0; i < pc->count(); ++i)
            for (QWidget* w : pc->widget(i)->findChildren<QWidget*>())
                QVERIFY2(w->property("helpContext").toInt() == 0, qPrintable(w->objectName()));
    }

    void helpButtonsAndF1OpenTheirTopics()
    {
        Fixture f;
        f.start();
        installContextHelp(f.window.get(), &f.fakes.help);
        auto* general = f.child<QPushButton>(QStringLiteral("HelpButton"));
        QTest::mouseClick(general, Qt::LeftButton);
        QCOMPARE(f.fakes.help.topics, QList<int>{20});

        struct Sheet {
            Page page;
            QString button;
            int topic;
        };
        const QList<Sheet> sheets = {{Page::Base, "HelpButton1", 3}, {Page::Proc, "HelpButton2", 4},
                                     {Page::RAM, "HelpButton3", 5},  {Page::Disk, "HelpButton4", 6},
                                     {Page::Video, "BitBtn1", 7},    {Page::Other, "HelpButton6", 8},
                                     {Page::Mon, "BitBtn2", 9},      {Page::Prn, "HelpButton8", 10},
                                     {Page::Dop, "HelpButton9", 11}, {Page::Nout, "HelpButton10", 12}};
        for (const Sheet& s : sheets) {
            QWidget* sheet = f.window->sheet(s.page);
            QCOMPARE(sheet->property("helpContext").toInt(), s.topic);
            auto* b = sheet->findChild<QPushButton*>(s.button);
            QVERIFY2(b, qPrintable(s.button));
            QCOMPARE(b->text(), QStringLiteral("Справка"));
            QCOMPARE(b->cursor().shape(), Qt::WhatsThisCursor);
            QCOMPARE(b->geometry(), general->geometry());
            b->click();
            QCOMPARE(f.fakes.help.topics.last(), s.topic);
        }
        QCOMPARE(f.fakes.help.topics.size(), 11);

        // F1: the page's topic, none on the tab row.
        f.fakes.help.topics.clear();
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.window->pageControl()->tabBar()->setFocus();
        QTest::keyClick(f.window->pageControl()->tabBar(), Qt::Key_F1);
        QVERIFY(f.fakes.help.topics.isEmpty());
        auto* zak = f.child<QLineEdit>(QStringLiteral("ZakEdit"));
        zak->setFocus();
        QTest::keyClick(zak, Qt::Key_F1);
        QCOMPARE(f.fakes.help.topics, QList<int>{19});
        f.chooseMode(1);
        f.enter(Page::Disk);
        auto* diskHelp = f.child<QPushButton>(QStringLiteral("HelpButton4"));
        diskHelp->setFocus();
        QTest::keyClick(diskHelp, Qt::Key_F1);
        QCOMPARE(f.fakes.help.topics, (QList<int>{19, 6}));
    }

    void tabOrderOfTheGeneralPage()
    {
        Fixture f;
        f.start();
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.chooseMode(1);
        QTest::mouseClick(f.child<QCheckBox>(QStringLiteral("RubBox")), Qt::LeftButton);
        QTest::mouseClick(f.child<QCheckBox>(QStringLiteral("NDSBox")), Qt::LeftButton);
        f.enter(Page::Mon);
        f.enterGeneral();
        QVERIFY(f.child<QPushButton>(QStringLiteral("ResBtn"))->isEnabled());

        // The way of choosing first, then the rows of the page in their order; the tab row closes
        // the round and leads back to the way of choosing.
        auto* chosen = f.child<QRadioButton>(QStringLiteral("ChoiseGroupItem1"));
        chosen->setFocus();
        QStringList order;
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{"ResBtn", "AboutButton", "HelpButton", "ExitButton", "KursEdit", "RubBox",
                                     "ZakEdit", "ClienButton", "LogBtn", "ValEdit", "NDSBox", "NDSEdit", "AddBtn",
                                     f.window->pageControl()->tabBar()->objectName(), "ChoiseGroupItem1"}));
    }

    void platformClickedAgainKeepsTheChoices()
    {
        Fixture f;
        f.open(1, Page::Proc);
        auto* intel = f.child<QRadioButton>(QStringLiteral("ProcGroupItem0"));
        QTest::mouseClick(intel, Qt::LeftButton);
        f.window->choiceList(Cat::Proc)->setCurrentIndex(1);
        f.window->choiceList(Cat::Mat)->setCurrentIndex(2);
        const QString price = f.labelText("PriceProcLabel");
        QVERIFY(f.state->order.computer.isChosen(Cat::Proc) && f.state->order.computer.isChosen(Cat::Mat));

        QTest::mouseClick(intel, Qt::LeftButton); // the platform already chosen
        QVERIFY(f.state->order.computer.isChosen(Cat::Proc) && f.state->order.computer.isChosen(Cat::Mat));
        QCOMPARE(f.window->choiceList(Cat::Proc)->currentIndex(), 1);
        QCOMPARE(f.window->choiceList(Cat::Mat)->currentIndex(), 2);
        QCOMPARE(f.labelText("PriceProcLabel"), price);

        QTest::mouseClick(f.child<QRadioButton>(QStringLiteral("ProcGroupItem1")), Qt::LeftButton);
        QVERIFY(!f.state->order.computer.isChosen(Cat::Proc) && !f.state->order.computer.isChosen(Cat::Mat));
        QCOMPARE(f.window->choiceList(Cat::Proc)->currentText(), QStringLiteral("Процессоры"));
    }

    void badgeIsDrawnAtEveryShowingOfTheGeneralPage()
    {
        Fixture f;
        f.start();
        f.chooseMode(0);
        auto* icon = f.child<PictureBox>(QStringLiteral("Icon"));
        QSet<QString> shown;
        for (int i = 0; i < 60; ++i) {
            f.enter(Page::Mon);
            f.enterGeneral();
            QVERIFY2(QRegularExpression(QStringLiteral("^Icon[1-6]$")).match(icon->picture()).hasMatch(),
                     qPrintable(icon->picture()));
            shown.insert(icon->picture());
        }
        QVERIFY(shown.size() > 1);
    }

    void largeListFillsInOneStep()
    {
        Fixture f;
        QList<QStringList> records;
        for (int i = 0; i < 20000; ++i)
            records.append(record(QStringLiteral("Товар %1").arg(i), "1", "1"));
        f.write(QStringLiteral("Os.dat"), records);
        f.open(0, Page::Dop);
        QComboBox* box = f.window->choiceList(Cat::OS);
        QCOMPARE(box->count(), 20000);
        QCOMPARE(box->itemText(19999), QStringLiteral("Товар 19999"));
        box->setCurrentIndex(12345);
        QCOMPARE(f.state->order.computer[Cat::OS].item, QStringLiteral("Товар 12345"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
