#include "app/aboutdialog.h"
#include "app/clientsdialog.h"
#include "common/fakes.h"
#include "widgets/contexthelp.h"
#include "widgets/helpviewer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// The first line the help window shows: the topic's heading.
QString heading(const QtHelp& help)
{
    return help.window()->toPlainText().section(QLatin1Char('\n'), 0, 0);
}

bool showActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void contextIsSoughtOutwardUpToTheWindow()
    {
        QWidget window;
        auto* page = new QWidget(&window);
        auto* group = new QGroupBox(page);
        auto* edit = new QLineEdit(group);
        auto* button = new QPushButton(page);
        QCOMPARE(helpContextFor(edit), 0);

        setHelpContext(&window, 20);
        QCOMPARE(helpContextFor(edit), 20);
        setHelpContext(page, 6);
        QCOMPARE(helpContextFor(edit), 6);
        QCOMPARE(helpContextFor(button), 6);
        setHelpContext(group, 9);
        QCOMPARE(helpContextFor(edit), 9);
        QCOMPARE(helpContextFor(button), 6);
        setHelpContext(edit, 5);
        QCOMPARE(helpContextFor(edit), 5);
        setHelpContext(edit, 0); // zero counts as none
        QCOMPARE(helpContextFor(edit), 9);

        // A dialog is a window of its own: its owner's number is not its own.
        auto* dialog = new QDialog(page);
        auto* inDialog = new QLineEdit(dialog);
        QCOMPARE(helpContextFor(inDialog), 0);
        QCOMPARE(helpContextFor(nullptr), 0);
    }

    void f1OpensTheTopicOfTheFocusedDialog()
    {
        Fakes fakes;
        const Facilities facilities = fakes.facilities();
        QTemporaryDir dir;

        QDialog summary;
        new QLineEdit(&summary);
        setHelpContext(&summary, 17);
        installContextHelp(&summary, &fakes.help);
        ClientsDialog clients(facilities, nullptr, dir.path());
        QDialog extras;
        new QPushButton(QStringLiteral("OK"), &extras);
        setHelpContext(&extras, 14);
        installContextHelp(&extras, &fakes.help);
        // Installing again, as the main window may do, keeps one F1 in the window.
        installContextHelp(&extras, &fakes.help);
        AboutDialog about(facilities, nullptr);

        const QList<std::pair<QDialog*, int>> dialogs = {{&summary, 17}, {&clients, 16}, {&extras, 14}, {&about, 1}};
        for (const auto& [dialog, topic] : dialogs) {
            fakes.help.topics.clear();
            QVERIFY(showActive(dialog));
            QWidget* focus = QApplication::focusWidget();
            if (!focus || focus->window() != dialog) {
                dialog->findChild<QWidget*>()->setFocus();
                focus = QApplication::focusWidget();
            }
            QVERIFY(focus && focus->window() == dialog);
            QTest::keyClick(focus, Qt::Key_F1);
            QCOMPARE(fakes.help.topics, QList<int>{topic});
            dialog->hide();
        }
    }

    void f1WithoutAnyNumberOpensNothing()
    {
        FakeHelp help;
        QWidget window;
        auto* edit = new QLineEdit(&window);
        installContextHelp(&window, &help);
        QVERIFY(showActive(&window));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_F1);
        QVERIFY(help.topics.isEmpty());
        setHelpContext(&window, 19);
        QTest::keyClick(edit, Qt::Key_F1);
        QCOMPARE(help.topics, QList<int>{19});
    }

    void helpWindowShowsTheTopicOfTheHelpFile()
    {
        QtHelp help;
        QVERIFY2(QFileInfo::exists(help.fileName()), qPrintable(help.fileName()));
        help.showTopic(16);
        QTextBrowser* window = help.window();
        QVERIFY(window);
        QCOMPARE(window->objectName(), QStringLiteral("HelpWindow"));
        QVERIFY(window->isWindow() && window->isVisible());
        QCOMPARE(help.currentTopic(), 16);
        QVERIFY2(heading(help).contains(QStringLiteral("База клиентов")), qPrintable(heading(help)));
        QVERIFY(!window->toPlainText().contains(QStringLiteral("Окно «Итого...»")));

        help.showTopic(17);
        QCOMPARE(window, help.window()); // one window, its topic switched
        QVERIFY2(heading(help).contains(QStringLiteral("Итого")), qPrintable(heading(help)));

        emit window->anchorClicked(QUrl(QStringLiteral("#topic-19")));
        QCOMPARE(help.currentTopic(), 19);
        QVERIFY2(heading(help).contains(QStringLiteral("Главная страница")), qPrintable(heading(help)));
    }

    void installedHelpFileStandsInForAMissingOne()
    {
        QTemporaryDir dir;
        const QString built = dir.filePath("build/Korvanta.hlp");
        const QString installed = dir.filePath("share/korvanta/Korvanta.hlp");
        QCOMPARE(QtHelp::helpFilePath(built, installed), built); // neither there: the note names the first
        QVERIFY(QDir(dir.path()).mkpath("share/korvanta"));
        QFile(installed).open(QIODevice::WriteOnly);
        QCOMPARE(QtHelp::helpFilePath(built, installed), installed);
        QVERIFY(QDir(dir.path()).mkpath("build"));
        QFile(built).open(QIODevice::WriteOnly);
        QCOMPARE(QtHelp::helpFilePath(built, installed), built);
        QCOMPARE(QtHelp::helpFilePath(), QStringLiteral(KORVANTA_HELP_FILE));
    }

    void missingTopicOrFileIsSaidInTheWindow()
    {
        QtHelp help;
        help.showTopic(2);
        QCOMPARE(help.currentTopic(), 0);
        QVERIFY(help.window()->toPlainText().contains(QStringLiteral("нет раздела с номером 2")));

        QTemporaryDir dir;
        QtHelp missing(nullptr, dir.filePath("Korvanta.hlp"));
        missing.showTopic(16);
        QVERIFY(missing.window()->isVisible());
        QCOMPARE(missing.currentTopic(), 0);
        QVERIFY(missing.window()->toPlainText().contains(QStringLiteral("не найден")));
    }

    void helpWindowIsUsableBesideAModalDialog()
    {
        QWidget owner;
        QtHelp help(&owner);
        help.showTopic(19);
        QCOMPARE(help.window()->parentWidget(), &owner);

        QDialog dialog(&owner);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QCOMPARE(QApplication::activeModalWidget(), &dialog);
        help.showTopic(16);
        // Belonging to the open dialog, the help window is not blocked by it.
        QCOMPARE(help.window()->parentWidget(), &dialog);
        QVERIFY(help.window()->isWindow() && help.window()->isVisible());
        QCOMPARE(help.currentTopic(), 16);
        dialog.hide();
    }

    void aboutBoxAsDesigned()
    {
        Fakes fakes;
        AboutDialog about(fakes.facilities(), nullptr);
        QCOMPARE(about.objectName(), QStringLiteral("TAboutBox"));
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе..."));
        QCOMPARE(about.minimumSize(), QSize(300, 204));
        QCOMPARE(about.maximumSize(), QSize(300, 204));
        QCOMPARE(about.property("helpContext").toInt(), 1);
        QCOMPARE(about.findChild<QLabel*>("RxLabel5")->text(), QStringLiteral("KORVANTA "));
        QCOMPARE(about.findChild<QLabel*>("RxLabel1")->text(), QStringLiteral("Version 4.51"));
        QCOMPARE(about.findChild<QLabel*>("RxLabel3")->text(), QStringLiteral("E-mail:"));
        QCOMPARE(about.findChild<QLabel*>("RxLabel4")->text(), QStringLiteral("Web:"));
        QVERIFY(!about.findChild<QLabel*>("Image1")->pixmap().isNull());
        QCOMPARE(about.findChild<QLabel*>("Image1")->size(), QSize(105, 97));

        auto* label4 = about.findChild<QLabel*>("Label4");
        auto* label5 = about.findChild<QLabel*>("Label5");
        QCOMPARE(label4->toolTip(), QStringLiteral("Написать письмо разработчику..."));
        QCOMPARE(label5->toolTip(), QStringLiteral("Официальный сайт программы..."));
        for (QLabel* link : {label4, label5}) {
            QVERIFY(link->font().underline());
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
            QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
        }
        auto* ok = about.findChild<QPushButton*>("BitBtn1");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QVERIFY(!ok->icon().isNull());
    }

    void linksHandTheShellTheLabelText()
    {
        Fakes fakes;
        AboutDialog about(fakes.facilities(), nullptr);
        QVERIFY(showActive(&about));
        auto* label4 = about.findChild<QLabel*>("Label4");
        auto* label5 = about.findChild<QLabel*>("Label5");
        QVERIFY(label4->text().contains(QLatin1Char('@')));
        QVERIFY(label5->text().startsWith(QStringLiteral("http://")));

        QTest::mouseClick(label4, Qt::LeftButton);
        QCOMPARE(fakes.shell.opened, QStringList{"mailto:" + label4->text()});
        QTest::mouseClick(label5, Qt::LeftButton);
        QCOMPARE(fakes.shell.opened.last(), label5->text());
        QVERIFY(about.isVisible());

        // The target is whatever the label shows.
        label4->setText(QStringLiteral("sales@korvanta.example"));
        QTest::mouseClick(label4, Qt::LeftButton);
        QCOMPARE(fakes.shell.opened.last(), QStringLiteral("mailto:sales@korvanta.example"));
        QCOMPARE(fakes.shell.opened.size(), 3);

        QTest::mouseClick(about.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void shadowedLabelDrawsItsShadow()
    {
        ShadowLabel label(QStringLiteral("██"));
        QPalette p = label.palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        p.setColor(QPalette::Light, Qt::red);
        label.setPalette(p);
        label.setAutoFillBackground(true);
        label.resize(60, 24);
        const QImage image = label.grab().toImage();
        bool shadow = false;
        bool text = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                shadow |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
                text |= c.red() < 60 && c.green() < 60 && c.blue() < 60;
            }
        }
        QVERIFY(shadow);
        QVERIFY(text);
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
