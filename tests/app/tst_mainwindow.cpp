// The main window driven as a salesperson would, up to the summary button.
#include "fakes.h"
#include "mainform.h"
#include "mainstate.h"
#include "memorystore.h"
#include "picturebox.h"
#include "shopfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

class TestMainWindow : public QObject {
    Q_OBJECT

    struct Fixture {
        QTemporaryDir dir;
        Fakes fakes;
        MemoryStore store;
        std::unique_ptr<MainState> state;
        std::unique_ptr<TFormMain> window;

        Fixture()
        {
            const QDir sample(qEnvironmentVariable("KORVANTA_SOURCE_DIR") + QStringLiteral("/data/sample-shop"));
            for (const QString& name : sample.entryList({QStringLiteral("*.dat")}))
                QFile::copy(sample.filePath(name), QDir(dir.path()).filePath(name));
        }
        void start()
        {
            state = std::make_unique<MainState>(fakes.facilities(), QLatin1Char(','), dir.path());
            window = std::make_unique<TFormMain>(*state, fakes.facilities(), store);
            window->show();
        }
        template <typename T>
        T* child(const QString& name) const
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
        QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    };

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void startShowsOnlyTheGeneralPage()
    {
        Fixture f;
        f.start();
        QCOMPARE(f.window->windowTitle().left(11), QStringLiteral("KORVANTA - "));
        QCOMPARE(f.window->size(), QSize(732, 440));
        QCOMPARE(f.visibleTabs(), QStringList{QStringLiteral("Главная страница")});
        QVERIFY(!f.child<QRadioButton>(QStringLiteral("ChoiseGroupItem0"))->isChecked());
        QVERIFY(!f.child<QRadioButton>(QStringLiteral("ChoiseGroupItem1"))->isChecked());
        QVERIFY(!f.child<QPushButton>(QStringLiteral("ResBtn"))->isEnabled());
        const QString badge = f.child<PictureBox>(QStringLiteral("Icon"))->picture();
        QVERIFY2(QRegularExpression(QStringLiteral("^Icon[1-6]$")).match(badge).hasMatch(), qPrintable(badge));
        // First run: the defaults are shown, the edits follow their check boxes.
        QCOMPARE(f.child<QLineEdit>(QStringLiteral("KursEdit"))->text(), QStringLiteral("29,7"));
        QVERIFY(!f.child<QLineEdit>(QStringLiteral("KursEdit"))->isEnabled());
        QVERIFY(!f.child<QLineEdit>(QStringLiteral("ValEdit"))->isEnabled());
        QVERIFY(!f.child<QLineEdit>(QStringLiteral("NDSEdit"))->isEnabled());
        QVERIFY(!f.child<QGroupBox>(QStringLiteral("KindGroup"))->isEnabled());
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
        QCOMPARE(f.visibleTabs(), (QStringList{QStringLiteral("Главная страница"), QStringLiteral("Базовые модели"),
                                               QStringLiteral("Ноутбуки"), QStringLiteral("Монитор"),
                                               QStringLiteral("Принтер"), QStringLiteral("Разное")}));
        f.chooseMode(1);
        QCOMPARE(f.visibleTabs(),
                 (QStringList{QStringLiteral("Главная страница"), QStringLiteral("Процессор и плата"),
                              QStringLiteral("RAM"), QStringLiteral("Диски"), QStringLiteral("Видео и звук"),
                              QStringLiteral("Ввод"), QStringLiteral("Монитор"), QStringLiteral("Принтер"),
                              QStringLiteral("Разное")}));
    }

    void processorPageFollowsThePlatform()
    {
        Fixture f;
        f.start();
        f.chooseMode(1);
        f.enter(Page::Proc);
        QVERIFY(f.items(Cat::Proc).isEmpty());
        QVERIFY(f.items(Cat::Mat).isEmpty());
        QCOMPARE(f.items(Cat::Fun).size(), recordCount(loadPriceList(f.file(QStringLiteral("Fun.dat")))));
        QCOMPARE(f.window->choiceList(Cat::Proc)->currentText(), QStringLiteral("Процессоры"));

        QTest::mouseClick(f.child<QRadioButton>(QStringLiteral("ProcGroupItem0")), Qt::LeftButton);
        const PriceList intel = loadPriceList(f.file(QStringLiteral("Proc_int.dat")));
        QCOMPARE(f.items(Cat::Proc).size(), recordCount(intel));
        QCOMPARE(f.items(Cat::Proc).at(1), intel.at(7));
        QCOMPARE(f.items(Cat::Mat).size(),
                 recordCount(loadPriceList(f.file(QStringLiteral("Mat_int.dat")))));
    }

    void choosingAnItemShowsDescriptionPriceAndWarning()
    {
        Fixture f;
        writeList(QDir(f.dir.path()), QStringLiteral("Video.dat"),
                  {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                   record(QStringLiteral("GeForce RTX 4060"), QStringLiteral("310,5"), QStringLiteral("0"),
                          QStringLiteral("8 ГБ GDDR6")),
                   record(QStringLiteral("Radeon RX 7600"), QStringLiteral("270"), QStringLiteral("4"),
                          QStringLiteral("8 ГБ, 2 вентилятора"))});
        f.start();
        f.chooseMode(1);
        f.enter(Page::Video);
        f.window->choiceList(Cat::Video)->setCurrentIndex(1);
        QCOMPARE(f.child<QLabel>(QStringLiteral("VideoLabel"))->text(), QStringLiteral("8 ГБ GDDR6"));
        QCOMPARE(f.child<QLabel>(QStringLiteral("PriceVideoLabel"))->text(), QStringLiteral("310,5 у.е."));
        QVERIFY(f.child<QLabel>(QStringLiteral("VideoL"))->isVisible());
        QCOMPARE(f.child<PictureBox>(QStringLiteral("Image7"))->picture(), QStringLiteral("Image71"));
        f.window->choiceList(Cat::Video)->setCurrentIndex(2);
        QVERIFY(!f.child<QLabel>(QStringLiteral("VideoL"))->isVisible());
        QCOMPARE(f.state->computer[Cat::Video].item, QStringLiteral("Radeon RX 7600"));

        // Prices in the local currency: the check box resets everything chosen so far.
        f.enterGeneral();
        QTest::mouseClick(f.child<QCheckBox>(QStringLiteral("RubBox")), Qt::LeftButton);
        QVERIFY(f.child<QLineEdit>(QStringLiteral("KursEdit"))->isEnabled());
        QVERIFY(f.state->computer[Cat::Video].item.isEmpty());
        QVERIFY(!f.state->catalogue.anyPageLoaded());
        f.enter(Page::Video);
        QCOMPARE(f.window->choiceList(Cat::Video)->currentText(), QStringLiteral("Видеокарты"));
        QVERIFY(f.child<QLabel>(QStringLiteral("PriceVideoLabel"))->text().isEmpty());
        f.window->choiceList(Cat::Video)->setCurrentIndex(2);
        QCOMPARE(f.child<QLabel>(QStringLiteral("PriceVideoLabel"))->text(), QStringLiteral("8019,00 руб."));
    }

    void missingFileIsReportedAndEarlierListsStay()
    {
        Fixture f;
        QFile::remove(f.file(QStringLiteral("Sound.dat")));
        f.start();
        f.chooseMode(1);
        f.enter(Page::Video);
        QCOMPARE(f.fakes.errorReport.reported.size(), 1);
        QVERIFY(f.fakes.errorReport.reported.first().startsWith(
            QStringLiteral("Cannot open file \"%1\".").arg(QFileInfo(f.file(QStringLiteral("Sound.dat"))).absoluteFilePath())));
        QVERIFY(!f.items(Cat::Video).isEmpty());
        QVERIFY(f.items(Cat::Sound).isEmpty());
        QVERIFY(f.items(Cat::Speak).isEmpty());
        QVERIFY(!f.state->catalogue.pageView(Page::Video).loaded);
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
        f.start();
        f.chooseMode(0);
        f.enter(Page::Mon);
        f.window->choiceList(Cat::Mon)->setCurrentIndex(2);
        QVERIFY(f.state->computer.isChosen(Cat::Mon));
        f.chooseMode(0); // the same item again keeps every choice
        QVERIFY(f.state->computer.isChosen(Cat::Mon));
        f.chooseMode(1);
        QVERIFY(!f.state->computer.isChosen(Cat::Mon));
        f.enter(Page::Mon);
        QCOMPARE(f.window->choiceList(Cat::Mon)->currentIndex(), -1);
        QCOMPARE(f.window->choiceList(Cat::Mon)->currentText(), QStringLiteral("Мониторы"));
    }

    void typedTextOffersMatchesAndPicksTheirOwnPosition()
    {
        Fixture f;
        writeList(QDir(f.dir.path()), QStringLiteral("Monitor.dat"),
                  {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                   record(QStringLiteral("Samsung 24"), QStringLiteral("150"), QStringLiteral("2"), QStringLiteral("first")),
                   record(QStringLiteral("LG 27"), QStringLiteral("200"), QStringLiteral("2"), QStringLiteral("lg")),
                   record(QStringLiteral("Samsung 24"), QStringLiteral("160"), QStringLiteral("5"), QStringLiteral("second"))});
        f.start();
        f.chooseMode(0);
        f.enter(Page::Mon);
        QComboBox* box = f.window->choiceList(Cat::Mon);
        QCompleter* completer = box->completer();
        QVERIFY(completer);
        completer->setCompletionPrefix(QStringLiteral("sung"));
        QCOMPARE(completer->completionCount(), 2);
        // Picking the second match chooses record 3, not the first record of the same name.
        QVERIFY(completer->setCurrentRow(1));
        emit completer->activated(completer->currentIndex());
        QCOMPARE(f.state->catalogue.view(Cat::Mon).box.index, 3);
        QCOMPARE(f.child<QLabel>(QStringLiteral("MonLabel"))->text(), QStringLiteral("second"));
        QCOMPARE(f.items(Cat::Mon).size(), 4); // the list itself keeps every record in order
    }

    void memoryPageQuantities()
    {
        Fixture f;
        writeList(QDir(f.dir.path()), QStringLiteral("Ram.dat"),
                  {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                   record(QStringLiteral("DDR5 16 ГБ"), QStringLiteral("30"), QStringLiteral("1"))});
        f.start();
        f.chooseMode(1);
        f.enter(Page::RAM);
        QComboBox* num = f.child<QComboBox>(QStringLiteral("NumBox"));
        QCOMPARE(num->currentText(), QStringLiteral("1"));
        num->setCurrentIndex(1);
        f.window->choiceList(Cat::RAM)->setCurrentIndex(1);
        QCOMPARE(f.state->computer[Cat::RAM].item, QStringLiteral("DDR5 16 ГБ - 2шт."));
        QCOMPARE(f.child<QLabel>(QStringLiteral("PriceRAMLabel"))->text(), QStringLiteral("60,00 у.е."));
        QVERIFY(f.child<QLabel>(QStringLiteral("RamL"))->isVisible());
        num->setCurrentIndex(0);
        QVERIFY(!f.child<QLabel>(QStringLiteral("RamL"))->isVisible());
        QCOMPARE(f.state->computer[Cat::RAM].price, QStringLiteral("30,00"));
    }

    void journalAndCloseSaveTheSettings()
    {
        Fixture f;
        f.start();
        QTest::mouseClick(f.child<QPushButton>(QStringLiteral("LogBtn")), Qt::LeftButton);
        QCOMPARE(f.fakes.shell.opened, QStringList{QStringLiteral("Log.xls")});
        const int writesAtStart = f.store.writes;
        f.window->close();
        QCOMPARE(f.store.writes, writesAtStart + 6);
    }

    void largeListFillsInOneStep()
    {
        Fixture f;
        QList<QStringList> records;
        for (int i = 0; i < 20000; ++i)
            records.append(record(QStringLiteral("Товар %1").arg(i), QStringLiteral("1"), QStringLiteral("1")));
        writeList(QDir(f.dir.path()), QStringLiteral("Os.dat"), records);
        f.start();
        f.chooseMode(0);
        f.enter(Page::Dop);
        QComboBox* box = f.window->choiceList(Cat::OS);
        QCOMPARE(box->count(), 20000);
        QCOMPARE(box->itemText(19999), QStringLiteral("Товар 19999"));
        box->setCurrentIndex(12345);
        QCOMPARE(f.state->computer[Cat::OS].item, QStringLiteral("Товар 12345"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
