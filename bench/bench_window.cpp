// Page entry through the real widgets with a 100,000-record price list, and start-up to the first
// shown window. The floor is reading and splitting the same bytes with plain code, measured in the
// same run; the figures are ratios against it.
#include "application.h"
#include "cp1251.h"
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
#include <cstring>
#include <string_view>
#include <vector>

using namespace korvanta;

namespace {

QByteArray priceList(int records)
{
    QByteArray out;
    out.reserve(qsizetype(records) * 110);
    for (int i = 0; i < records; ++i) {
        out += cp1251::encode(QStringLiteral("Программа номер %1").arg(i)) + "\r\n";
        out += QByteArray::number(10 + i % 900) + ",50\r\nART-" + QByteArray::number(i) + "\r\n12 мес.\r\n";
        out += QByteArray::number(i % 7) + "\r\n";
        out += cp1251::encode(QStringLiteral("Описание программы %1, лицензия на один компьютер").arg(i)) + "\r\n\r\n";
    }
    return out;
}

double floorMs(const QString& path, int rounds)
{
    double best = 1e100;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        FILE* f = std::fopen(path.toLocal8Bit().constData(), "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        std::vector<char> bytes(static_cast<size_t>(size));
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
            return 0;
        std::fclose(f);
        std::vector<std::string_view> lines;
        const char* p = bytes.data();
        const char* end = p + bytes.size();
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
            const char* stop = nl ? nl : end;
            lines.emplace_back(p, size_t(stop - p - (stop > p && stop[-1] == '\r' ? 1 : 0)));
            p = nl ? nl + 1 : end;
        }
        best = std::min(best, t.nsecsElapsed() / 1e6);
        if (lines.size() < 7)
            return 0;
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
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
        f.write(priceList(100000));
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
    double entryMs = 1e100;
    for (int round = 0; round < 5; ++round) {
        program.state().zero();
        pages->setCurrentWidget(program.mainWindow().generalSheet());
        QElapsedTimer t;
        t.start();
        pages->setCurrentWidget(program.mainWindow().sheet(Page::Dop));
        QApplication::processEvents();
        entryMs = std::min(entryMs, t.nsecsElapsed() / 1e6);
    }
    const int listed = program.mainWindow().choiceList(Cat::OS)->count();
    const double floor = floorMs(big, 5);

    std::printf("window page entry, 100000 records (%d listed): %.1f ms; floor (read + split) %.1f ms; ratio %.2f\n",
                listed, entryMs, floor, entryMs / floor);
    std::printf("start-up to the first shown window: %.1f ms (%.1f x the floor)\n", startupMs, startupMs / floor);
    return listed == 100000 ? 0 : 1;
}
