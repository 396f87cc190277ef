// cp1251 text files to lists of lines and back.
#include "common/shopfiles.h"
#include "files/textlines.h"
#include "text/cp1251.h"

#include "common/failure.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace korvanta;
using namespace korvanta::testing;

namespace {

QStringList linesOf(const TextLines& lines)
{
    QStringList out;
    for (int i = 0; i < lines.count(); ++i)
        out.append(lines.at(i));
    return out;
}

// Every byte value but NUL, CR and LF, spread over lines of 16.
QList<QByteArray> highAndLowBytes()
{
    QList<QByteArray> lines;
    QByteArray line;
    for (int b = 1; b < 256; ++b) {
        if (b == '\r' || b == '\n')
            continue;
        line.append(char(b));
        if (line.size() == 16) {
            lines.append(line);
            line.clear();
        }
    }
    lines.append(line);
    return lines;
}

// The lines, each followed by the line end.
QByteArray ended(const QList<QByteArray>& lines, const QByteArray& end)
{
    return lines.join(end) + end;
}

// The failure's message names the file by its full path, and the system's reason follows.
void checkNamesFile(const QString& message, const char* failure, const QString& absolute)
{
    const QString prefix = QStringLiteral("%1 \"%2\". ").arg(QLatin1String(failure), absolute);
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    QVERIFY2(message.size() > prefix.size(), "the system's reason follows");
}

// The failure of a call made in the folder as the working directory.
QString failureIn(const QString& folder, const std::function<void()>& f)
{
    const QString previous = QDir::currentPath();
    if (!QDir::setCurrent(folder))
        return QStringLiteral("cannot enter %1").arg(folder);
    const QString message = failureOf(f);
    QDir::setCurrent(previous);
    return message;
}

} // namespace

class TestTextLines : public QObject {
    Q_OBJECT

private slots:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("CR LF") << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("LF") << QByteArray("A\nB") << QStringList{"A", "B"};
        QTest::newRow("CR") << QByteArray("A\rB") << QStringList{"A", "B"};
        QTest::newRow("end at the end adds nothing") << QByteArray("A\r\n") << QStringList{"A"};
        QTest::newRow("lone CR at the end") << QByteArray("A\r") << QStringList{"A"};
        QTest::newRow("lone LF at the end") << QByteArray("A\n") << QStringList{"A"};
        QTest::newRow("two CR LF") << QByteArray("A\r\n\r\n") << QStringList{"A", ""};
        QTest::newRow("LF CR is two ends") << QByteArray("A\n\rB") << QStringList{"A", "", "B"};
        QTest::newRow("CR CR") << QByteArray("A\r\rB") << QStringList{"A", "", "B"};
        QTest::newRow("LF LF") << QByteArray("A\n\nB") << QStringList{"A", "", "B"};
        QTest::newRow("first line empty") << QByteArray("\r\nB") << QStringList{"", "B"};
        QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("blanks kept") << QByteArray("  x  \r\n\ty") << QStringList{"  x  ", "\ty"};
        QTest::newRow("no line end") << QByteArray("single") << QStringList{"single"};
        QTest::newRow("cp1251") << QByteArray("\xED\xE5\xF2\r\n125,5") << QStringList{"нет", "125,5"};
        QTest::newRow("CR first") << QByteArray("\rA") << QStringList{"", "A"};
        QTest::newRow("lone CR before LF end") << QByteArray("A\rB\nC") << QStringList{"A", "B", "C"};
        QTest::newRow("LF before lone CR") << QByteArray("A\nB\rC\r\nD") << QStringList{"A", "B", "C", "D"};
        QTest::newRow("CR CR LF") << QByteArray("A\r\r\nB") << QStringList{"A", "", "B"};
        QTest::newRow("long lines") << QByteArray("0123456789abcdefghij\r\n0123456789abcdefghijklmnop")
                                    << QStringList{"0123456789abcdefghij", "0123456789abcdefghijklmnop"};
        QTest::newRow("NUL ends the text") << QByteArray("A\r\nB\0C\r\nD\r\n", 11) << QStringList{"A", "B"};
        QTest::newRow("NUL first") << QByteArray("\0A\r\nB\r\n", 7) << QStringList{};
        // A NUL right after a line end adds no line.
        QTest::newRow("NUL after a line end") << QByteArray("A\r\n\0B", 5) << QStringList{"A"};
    }

    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("List.dat"));
        writeBytes(path, bytes);
        const TextLines loaded = loadTextFile(path);
        QCOMPARE(loaded.count(), expected.size());
        QCOMPARE(linesOf(loaded), expected);
        QCOMPARE(loaded.toStringList(), expected);
        QCOMPARE(linesOf(TextLines::fromBytes(bytes)), expected);
    }

    void splitMatchesTheRulesOnRandomText()
    {
        // The rules, one byte at a time, against the split on random texts of a few letters, line ends
        // and NULs.
        const auto expected = [](const QByteArray& bytes) {
            QList<QByteArray> lines;
            QByteArray current;
            bool open = false;
            for (qsizetype i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
                const char c = bytes[i];
                if (c == '\r' || c == '\n') {
                    lines.append(current);
                    current.clear();
                    open = false;
                    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                        ++i;
                } else {
                    current.append(c);
                    open = true;
                }
            }
            if (open)
                lines.append(current);
            return lines;
        };
        const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', '\0'};
        QRandomGenerator random(20240607);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes;
            const int length = int(random.bounded(40));
            for (int k = 0; k < length; ++k)
                bytes.append(alphabet[random.bounded(round % 2 ? 6 : 7)]);
            const TextLines lines = TextLines::fromBytes(bytes);
            QList<QByteArray> actual;
            for (int i = 0; i < lines.count(); ++i)
                actual.append(lines.bytesAt(i).toByteArray());
            QVERIFY2(actual == expected(bytes), bytes.toPercentEncoding().constData());
        }
    }

    void emptyFileHasNoLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Empty.dat"));
        writeBytes(path, QByteArray());
        const TextLines lines = loadTextFile(path);
        QCOMPARE(lines.count(), 0);
        QVERIFY(lines.isEmpty());
        QCOMPARE(lines.toFileBytes(), QByteArray());
    }

    void indexOutOfBounds()
    {
        TextLines lines = TextLines::fromBytes("a\r\nb\r\nc");
        QCOMPARE(failureOf([&] { lines.at(3); }), QStringLiteral("List index out of bounds (3)"));
        QCOMPARE(failureOf([&] { lines.at(-1); }), QStringLiteral("List index out of bounds (-1)"));
        QCOMPARE(failureOf([&] { lines.bytesAt(10); }), QStringLiteral("List index out of bounds (10)"));
        QCOMPARE(failureOf([&] { lines.replace(3, QStringLiteral("x")); }),
                 QStringLiteral("List index out of bounds (3)"));
        QCOMPARE(failureOf([] { TextLines().at(0); }), QStringLiteral("List index out of bounds (0)"));
        // The failed replace changed nothing.
        QCOMPARE(lines.toFileBytes(), QByteArray("a\r\nb\r\nc\r\n"));
        QCOMPARE(lines.at(2), QStringLiteral("c"));
    }

    // A bare name is looked up in the working directory and reported with its full path.
    void loadFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("directory");
        QTest::newRow("missing") << "Missing.dat" << false;
        QTest::newRow("directory") << "Base.dat" << true;
    }
    void loadFails()
    {
        QFETCH(QString, name);
        QFETCH(bool, directory);
        QTemporaryDir dir;
        if (directory)
            QVERIFY(QDir(dir.path()).mkdir(name));
        const QString absolute = QDir(dir.path()).absoluteFilePath(name);
        const QString message = failureOf([&] { loadTextFile(absolute); });
        checkNamesFile(message, "Cannot open file", absolute);
        QCOMPARE(failureIn(dir.path(), [&] { loadTextFile(name); }), message);
    }

    void readingLeavesTheFileAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Ram.dat"));
        const QByteArray bytes("DDR\n30\nr2\rr3\r\n1\n\xCF\xE0\xEC\xFF\xF2\xFC\n");
        writeBytes(path, bytes);
        const QDateTime past = QDateTime::currentDateTimeUtc().addDays(-3);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(past, QFileDevice::FileModificationTime));
        }
        const QDateTime before = QFileInfo(path).lastModified();
        const TextLines lines = loadTextFile(path);
        QCOMPARE(lines.count(), 6);
        QCOMPARE(lines.at(5), QStringLiteral("Память"));
        QCOMPARE(readBytes(path), bytes);
        QCOMPARE(QFileInfo(path).lastModified(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Ram.dat")});
    }

    void saveEndsEveryLineWithCrLf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Cd.dat"));
        // LF, CR and mixed ends come back as CR LF, the last line included.
        writeBytes(path, QByteArray("A\nB\rC\r\n\nD"));
        saveTextFile(path, loadTextFile(path));
        QCOMPARE(readBytes(path), QByteArray("A\r\nB\r\nC\r\n\r\nD\r\n"));

        // Saving what was saved gives the same bytes again.
        saveTextFile(path, loadTextFile(path));
        QCOMPARE(readBytes(path), QByteArray("A\r\nB\r\nC\r\n\r\nD\r\n"));

        // No lines: an empty file.
        saveTextFile(path, TextLines());
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(readBytes(path), QByteArray());
    }

    void saveKeepsUntouchedBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Video.dat"));
        const QList<QByteArray> lines = highAndLowBytes();
        const QByteArray crlfFile = ended(lines, "\r\n");
        QVERIFY(crlfFile.contains('\x98'));
        writeBytes(path, ended(lines, "\n"));
        TextLines loaded = loadTextFile(path);
        QCOMPARE(loaded.count(), lines.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(loaded.bytesAt(i).toByteArray(), lines.at(i));
        saveTextFile(path, loaded);
        QCOMPARE(readBytes(path), crlfFile);

        // A line written back with its own text keeps its bytes, 0x98 included.
        for (int i = 0; i < loaded.count(); ++i)
            loaded.replace(i, loaded.at(i));
        saveTextFile(path, loaded);
        QCOMPARE(readBytes(path), crlfFile);
    }

    void copiesChangeApart()
    {
        // Copies share the text; a change to one leaves the other as it was.
        const TextLines read = TextLines::fromBytes("A\r\nB\nC");
        TextLines copy = read;
        copy.replace(1, QStringLiteral("Б"));
        copy.append(QStringLiteral("D"));
        QCOMPARE(read.toStringList(), (QStringList{"A", "B", "C"}));
        QCOMPARE(copy.toStringList(), (QStringList{"A", "Б", "C", "D"}));
        TextLines again = copy;
        again.replace(1, QStringLiteral("B2"));
        QCOMPARE(copy.at(1), QStringLiteral("Б"));
    }

    void tooLargeFileIsRefused()
    {
        // Larger than a list can address: refused before anything is read (the file is sparse).
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).absoluteFilePath(QStringLiteral("Base.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (!file.resize(TextLines::MaxBytes + 1))
            QSKIP("no room for a sparse file here");
        file.close();
        QCOMPARE(failureOf([&] { loadTextFile(path); }),
                 QStringLiteral("Cannot open file \"%1\". File too large").arg(path));
    }

    void replaceChangesOnlyThatLine()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Fun.dat"));
        QList<QByteArray> rawLines = highAndLowBytes();
        writeBytes(path, ended(rawLines, "\r"));
        TextLines lines = loadTextFile(path);
        const int count = lines.count();
        lines.replace(4, QStringLiteral("-3"));
        lines.replace(1, QStringLiteral("Вентилятор"));
        QCOMPARE(lines.count(), count);
        QCOMPARE(lines.at(4), QStringLiteral("-3"));
        QCOMPARE(lines.at(1), QStringLiteral("Вентилятор"));
        saveTextFile(path, lines);

        rawLines[4] = "-3";
        rawLines[1] = "\xC2\xE5\xED\xF2\xE8\xEB\xFF\xF2\xEE\xF0";
        QCOMPARE(readBytes(path), ended(rawLines, "\r\n"));

        // Replacing a line again keeps only the newest text.
        lines.replace(4, QStringLiteral("0"));
        QCOMPARE(lines.at(4), QStringLiteral("0"));
        QCOMPARE(lines.count(), count);
    }

    void appendAndFromStrings()
    {
        TextLines lines = TextLines::fromStrings({QStringLiteral("нет"), QString(), QStringLiteral("3.5\" дисковод")});
        lines.append(QStringLiteral("Ёж"));
        QCOMPARE(lines.count(), 4);
        QCOMPARE(lines.toFileBytes(),
                 QByteArray("\xED\xE5\xF2\r\n\r\n3.5\" \xE4\xE8\xF1\xEA\xEE\xE2\xEE\xE4\r\n\xA8\xE6\r\n"));
        lines.clear();
        QCOMPARE(lines.count(), 0);
        QCOMPARE(lines.toFileBytes(), QByteArray());
    }

    void saveFailsWhereDirectoryStands()
    {
        QTemporaryDir dir;
        QDir d(dir.path());
        QVERIFY(d.mkdir(QStringLiteral("Net.dat")));
        writeBytes(d.filePath(QStringLiteral("Net.dat/inside")), "kept");
        const QString absolute = d.absoluteFilePath(QStringLiteral("Net.dat"));
        const QString message =
            failureOf([&] { saveTextFile(absolute, TextLines::fromStrings({QStringLiteral("x")})); });
        checkNamesFile(message, "Cannot create file", absolute);
        QVERIFY(QFileInfo(absolute).isDir());
        QCOMPARE(readBytes(d.filePath(QStringLiteral("Net.dat/inside"))), QByteArray("kept"));
        QCOMPARE(d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"Net.dat"});

        // By a bare name in the working directory: the message names the full path.
        QCOMPARE(failureIn(dir.path(), [] { saveTextFile(QStringLiteral("Net.dat"), TextLines()); }), message);
    }

    void saveFailsInMissingFolder()
    {
        QTemporaryDir dir;
        QDir d(dir.path());
        writeBytes(d.filePath(QStringLiteral("plain")), "file");
        for (const QString& name : {QStringLiteral("no/such/Key.dat"), QStringLiteral("plain/Key.dat")}) {
            const QString absolute = d.absoluteFilePath(name);
            checkNamesFile(failureOf([&] { saveTextFile(absolute, TextLines::fromStrings({"k"})); }),
                           "Cannot create file", absolute);
        }
        QCOMPARE(readBytes(d.filePath(QStringLiteral("plain"))), QByteArray("file"));
    }

    void failedSaveKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        // A file size limit makes the write fail midway, for root as for anyone.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Printer.dat"));
        const QByteArray old("old\r\ncontent\r\n");
        writeBytes(path, old);
        QStringList many;
        for (int i = 0; i < 20000; ++i)
            many.append(QStringLiteral("строка прайс-листа номер %1").arg(i));
        const TextLines big = TextLines::fromStrings(many);

        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const QString message = failureOf([&] { saveTextFile(path, big); });
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        checkNamesFile(message, "Cannot create file", QFileInfo(path).absoluteFilePath());
        QCOMPARE(readBytes(path), old);
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Printer.dat")});

        // Without the limit the same save goes through.
        saveTextFile(path, big);
        QCOMPARE(loadTextFile(path).toStringList(), many);
#else
        QSKIP("needs a file size limit");
#endif
    }
};

QTEST_APPLESS_MAIN(TestTextLines)
#include "tst_textlines.moc"
