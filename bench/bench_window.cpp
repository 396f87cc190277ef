// Page entry through the real widgets with a 100,000-record price list, and start-up to the first
// shown window. The floor is reading and splitting the same bytes with plain code, measured in the
// same run; the figures are ratios against it.
#include "application.h"
#include "benchcommon.h"
#include "mainform.h"
#include "mainstate.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace korvanta;
using namespace korvanta::bench;

int main(int argc, char** argv)
{
    keepFreedMemory();
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir shop;
    QTemporaryDir settings;
    const QDir sample(QStringLiteral(KORVANTA_SOURCE_DIR "/data/sample-shop"));
    for (const QString& name : sample.entryList({QStringLiteral("*.dat")}))
        QFile::copy(sample.filePath(name), QDir(shop.path()).filePath(name));
    const QString big = QDir(shop.path()).filePath(QStringLiteral("Os.dat"));
    QFile::remove(big);
    {
        QFile f(big);
        f.open(QIODevice::WriteOnly);
        f.write(makePriceList(100000));
    }

    Application::Options options;
    options.directory = shop.path();
    options.settingsDirectory = settings.path();
    options.decimal = QLatin1Char(',');

    QElapsedTimer startup;
    startup.start();
    Application program(options);
    program.mainWindow().show();
    QApplication::processEvents();
    const double startupMs = startup.nsecsElapsed() / 1e6;

    QTabWidget* pages = program.mainWindow().pageControl();
    program.mainWindow().findChild<QRadioButton*>(QStringLiteral("ChoiseGroupItem0"))->click();
    const double entryMs = bestOf(5, [&] {
        program.state().zero();
        pages->setCurrentWidget(program.mainWindow().generalSheet());
        pages->setCurrentWidget(program.mainWindow().sheet(Page::Dop));
        QApplication::processEvents();
    });
    const int listed = program.mainWindow().choiceList(Cat::OS)->count();
    const QByteArray bigPath = QFile::encodeName(big);
    const double floor = bestOf(5, [&] { readAndSplit(bigPath.constData()); });

    std::printf("window page entry, 100000 records (%d listed): %.1f ms; floor (read + split) %.1f ms; ratio %.2f\n",
                listed, entryMs, floor, entryMs / floor);
    std::printf("start-up to the first shown window: %.1f ms (%.1f x the floor)\n", startupMs, startupMs / floor);
    return listed == 100000 ? 0 : 1;
}
