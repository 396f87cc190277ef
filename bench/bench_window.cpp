// The choice lists through the real widgets, with a price list of 1,000, 20,000 and 100,000
// records: page entry against the floor (reading and splitting the same bytes with plain code,
// measured in the same run), type-to-find per keystroke (typing a twelve-character word into the
// list and deleting it again), and the resident memory the loaded list adds against the file's
// size; then start-up to the first shown window. Run by hand from an optimised build.
#include "app/application.h"
#include "app/mainwindow.h"
#include "benchcommon.h"
#include "presentation/mainstate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace korvanta;
using namespace korvanta::bench;

namespace {

// The word typed: twelve characters that every generated name contains but the last, so each key
// but the last searches all names; its capitals test the case folding.
const QString Word = QStringLiteral("IPS МОДЕЛЬ 7");

// A copy of the sample shop whose software list has `records` generated records.
struct Shop {
    QTemporaryDir dir;
    QTemporaryDir settings;
    QString big;
    qint64 bigSize = 0;

    explicit Shop(int records)
    {
        const QDir sample(QStringLiteral(KORVANTA_SOURCE_DIR "/data/sample-shop"));
        for (const QString& name : sample.entryList({QStringLiteral("*.dat")}))
            QFile::copy(sample.filePath(name), QDir(dir.path()).filePath(name));
        big = QDir(dir.path()).filePath(QStringLiteral("Os.dat"));
        QFile::remove(big);
        QFile f(big);
        const QByteArray bytes = makePriceList(records);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the price list");
        bigSize = bytes.size();
    }

    Application::Options options() const
    {
        Application::Options o;
        o.directory = dir.path();
        o.settingsDirectory = settings.path();
        o.decimal = QLatin1Char(',');
        return o;
    }
};

struct Program {
    std::unique_ptr<Application> app;
    explicit Program(const Shop& shop) : app(std::make_unique<Application>(shop.options()))
    {
        window().show();
        window().activateWindow();
        QApplication::processEvents();
        window().findChild<QRadioButton*>(QStringLiteral("ChoiseGroupItem0"))->click();
        QApplication::processEvents();
    }
    MainWindow& window() const { return app->mainWindow(); }
    void show(QWidget* sheet) const
    {
        window().pageControl()->setCurrentWidget(sheet);
        QApplication::processEvents();
    }
    // The software page entered afresh: its lists are read again and the page is drawn.
    void reloadSoftware() const
    {
        app->state().resetChoices();
        window().pageControl()->setCurrentWidget(window().generalSheet());
        window().pageControl()->setCurrentWidget(window().sheet(Page::Dop));
        QApplication::processEvents();
    }
};

// A key as the salesperson presses it: to the completer's open list when it shows, which hands it
// to the choice list, otherwise to the widget with the focus.
void press(QComboBox* box, int key, const QString& text)
{
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::focusWidget() ? QApplication::focusWidget() : box->lineEdit();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &up);
    QApplication::processEvents();
}

struct KeyTimes {
    double typingMedian = 0, typingSlowest = 0, deletingMedian = 0, deletingSlowest = 0;
    int offered = -1; // names offered for the whole word
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Each run types the word into a freshly loaded list and deletes it again; every key keeps its
// best time over the runs.
KeyTimes typeToFind(const Program& program, int runs)
{
    const int n = int(Word.size());
    std::vector<double> best(size_t(2 * n), 1e300);
    KeyTimes result;
    QElapsedTimer timer;
    for (int r = 0; r < runs; ++r) {
        program.reloadSoftware();
        QComboBox* box = program.window().choiceList(Cat::OS);
        box->setFocus();
        box->lineEdit()->clear();
        QApplication::processEvents();
        for (int i = 0; i < n; ++i) {
            timer.start();
            press(box, Qt::Key_unknown, Word.mid(i, 1));
            best[size_t(i)] = std::min(best[size_t(i)], timer.nsecsElapsed() / 1e6);
        }
        if (box->lineEdit()->text() != Word)
            qFatal("typed \"%s\"", qPrintable(box->lineEdit()->text()));
        result.offered = box->completer()->completionCount();
        for (int i = 0; i < n; ++i) {
            timer.start();
            press(box, Qt::Key_Backspace, QString());
            best[size_t(n + i)] = std::min(best[size_t(n + i)], timer.nsecsElapsed() / 1e6);
        }
        if (!box->lineEdit()->text().isEmpty())
            qFatal("left \"%s\"", qPrintable(box->lineEdit()->text()));
    }
    const std::vector<double> typing(best.begin(), best.begin() + n);
    const std::vector<double> deleting(best.begin() + n, best.end());
    result.typingMedian = median(typing);
    result.typingSlowest = *std::max_element(typing.begin(), typing.end());
    result.deletingMedian = median(deleting);
    result.deletingSlowest = *std::max_element(deleting.begin(), deleting.end());
    return result;
}

// Resident memory that entering the page with the large list adds, in a fresh process: the
// General page and a small page are shown first so that what any first page costs is paid before.
int measureMemory(int records)
{
    const Shop shop(records);
    Program program(shop);
    program.show(program.window().sheet(Page::Mon));
    program.show(program.window().generalSheet());
    const qint64 before = residentBytes();
    program.show(program.window().sheet(Page::Dop));
    const qint64 loaded = residentBytes();
    // The first key builds the index of the names that type-to-find searches.
    QComboBox* box = program.window().choiceList(Cat::OS);
    box->setFocus();
    press(box, Qt::Key_unknown, Word.left(1));
    const qint64 searched = residentBytes();
    std::printf("%lld %lld %lld\n", static_cast<long long>(shop.bigSize), static_cast<long long>(loaded - before),
                static_cast<long long>(searched - before));
    return 0;
}

struct Memory {
    double loaded = -1, searched = -1; // as multiples of the file's size
};

Memory memoryOf(int records)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), QString::number(records)});
    Memory m;
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return m;
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() != 3 || parts[0].toDouble() <= 0)
        return m;
    m.loaded = parts[1].toDouble() / parts[0].toDouble();
    m.searched = parts[2].toDouble() / parts[0].toDouble();
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc == 3 && qstrcmp(argv[1], "--memory") == 0)
        return measureMemory(QByteArray(argv[2]).toInt());
    keepFreedMemory();
    if (argc == 2 && qstrcmp(argv[1], "--entries") == 0) { // for a profiler
        const Shop shop(100000);
        const Program program(shop);
        for (int i = 0; i < 60; ++i)
            program.reloadSoftware();
        return 0;
    }
#ifndef NDEBUG
    std::printf("warning: built without optimisation; build with -DCMAKE_BUILD_TYPE=Release for figures\n");
#endif

    std::printf("%8s | %9s %9s %6s | %17s %17s %8s | %12s\n", "records", "entry ms", "floor ms", "ratio",
                "typing ms med/max", "delete ms med/max", "offered", "memory/file");
    bool ok = true;
    double floorOfLargest = 0;
    for (int records : {1000, 20000, 100000}) {
        const Shop shop(records);
        const Program program(shop);
        const int runs = records >= 100000 ? 7 : 15;
        const double entry = bestOf(runs, [&] { program.reloadSoftware(); });
        const int listed = program.window().choiceList(Cat::OS)->count();
        const QByteArray bigPath = QFile::encodeName(shop.big);
        const double floor = bestOf(runs, [&] { readAndSplit(bigPath.constData()); });
        floorOfLargest = floor;
        const KeyTimes keys = typeToFind(program, runs);
        const Memory memory = memoryOf(records);
        ok = ok && listed == records && keys.offered > 0;
        std::printf("%8d | %9.2f %9.2f %6.2f | %8.2f %8.2f %8.2f %8.2f %8d | %5.2f (%.2f)\n", records, entry, floor,
                    entry / floor, keys.typingMedian, keys.typingSlowest, keys.deletingMedian, keys.deletingSlowest,
                    keys.offered, memory.loaded, memory.searched);
    }
    std::printf("memory/file: resident memory the loaded list adds, as a multiple of the file's size; in brackets\n"
                "after the first key of type-to-find, which builds the search index.\n");

    // Start-up to the first shown window, with the sample shop.
    const Shop shop(1);
    QElapsedTimer startup;
    startup.start();
    Application program(shop.options());
    program.mainWindow().show();
    QApplication::processEvents();
    const double startupMs = startup.nsecsElapsed() / 1e6;
    std::printf("start-up to the first shown window: %.1f ms (%.1f x the floor of 100,000 records)\n", startupMs,
                startupMs / floorOfLargest);
    return ok ? 0 : 1;
}
