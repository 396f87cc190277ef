#include "settings/settingsstore.h"

#include "common/shopfiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace korvanta;
using korvanta::testing::readBytes;
using korvanta::testing::writeBytes;

namespace {

const QString Key = QStringLiteral("software\\microsoft\\windows\\korvanta");

QByteArray allBytes()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

bool throwsStoreError(const std::function<void()>& f)
{
    try {
        f();
    } catch (const StoreError&) {
        return true;
    }
    return false;
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

    QString settingsFile(const QTemporaryDir& dir) const { return dir.filePath(SettingsFileName); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void helpersEncodeTheStoredForms()
    {
        QCOMPARE(binaryDouble(29.7).kind, ValueKind::Binary);
        QCOMPARE(binaryDouble(29.7).data, QByteArray::fromHex("3333333333b33d40"));
        QCOMPARE(binaryDouble(20).data, QByteArray::fromHex("0000000000003440"));
        QCOMPARE(dword(1).kind, ValueKind::DWord);
        QCOMPARE(dword(0x12345678).data, QByteArray::fromHex("78563412"));
        QCOMPARE(string1251(QStringLiteral("руб.")).kind, ValueKind::String);
        QCOMPARE(string1251(QStringLiteral("руб.")).data, QByteArray("\xf0\xf3\xe1.\0", 5));
        QCOMPARE(string1251(QString()).data, QByteArray(1, '\0'));

        for (double d : {29.7, -0.0, 1e-300, -123456.789, std::numeric_limits<double>::infinity()}) {
            const double back = readDouble(binaryDouble(d));
            QCOMPARE(std::memcmp(&back, &d, sizeof d), 0);
        }
        QCOMPARE(readDWord(dword(0xffffffffu)), 0xffffffffu);
        QCOMPARE(readString(string1251(QStringLiteral("грн. €"))), QStringLiteral("грн. €"));
    }

    void readingAString()
    {
        // Up to the first NUL; no NUL at all reads the whole value; an expandable string is not expanded.
        QCOMPARE(readString({ValueKind::String, QByteArray("ab\0cd\0", 6)}), QStringLiteral("ab"));
        QCOMPARE(readString({ValueKind::String, QByteArray("\xf0\xf3\xe1")}), QStringLiteral("руб"));
        QCOMPARE(readString({ValueKind::String, QByteArray()}), QString());
        QCOMPARE(readString({ValueKind::ExpandString, QByteArray("%HOME%\\x\0", 9)}), QStringLiteral("%HOME%\\x"));
    }

    void wrongKindOrLengthThrows()
    {
        QVERIFY(throwsStoreError([] { readDouble(dword(1)); }));
        QVERIFY(throwsStoreError([] { readDouble(string1251(QStringLiteral("29,7"))); }));
        QVERIFY(throwsStoreError([] { readDouble({ValueKind::Binary, QByteArray(7, '\0')}); }));
        QVERIFY(throwsStoreError([] { readDouble({ValueKind::Binary, QByteArray(9, '\0')}); }));
        QVERIFY(throwsStoreError([] { readDWord({ValueKind::Binary, QByteArray(4, '\1')}); }));
        QVERIFY(throwsStoreError([] { readDWord({ValueKind::DWord, QByteArray(3, '\1')}); }));
        QVERIFY(throwsStoreError([] { readDWord({ValueKind::DWord, QByteArray(8, '\0')}); }));
        QVERIFY(throwsStoreError([] { readDWord(string1251(QStringLiteral("1"))); }));
        QVERIFY(throwsStoreError([] { readString(binaryDouble(1)); }));
        QVERIFY(throwsStoreError([] { readString(dword(0)); }));
    }

    void everyKindAndByteRoundTripsThroughTheFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray bytes = allBytes();
        const QList<QPair<QString, StoredValue>> values = {
            {QStringLiteral("binary"), {ValueKind::Binary, bytes}},
            {QStringLiteral("empty binary"), {ValueKind::Binary, QByteArray()}},
            {QStringLiteral("dword"), dword(0xdeadbeef)},
            {QStringLiteral("short dword"), {ValueKind::DWord, QByteArray("\1\2\3", 3)}},
            {QStringLiteral("empty dword"), {ValueKind::DWord, QByteArray()}},
            {QStringLiteral("every byte"), {ValueKind::String, bytes.mid(1) + '\0'}},
            {QStringLiteral("inner nul"), {ValueKind::String, QByteArray("a\0b\0", 4)}},
            {QStringLiteral("no nul"), {ValueKind::String, QByteArray("abc")}},
            {QStringLiteral("empty string"), {ValueKind::String, QByteArray()}},
            {QStringLiteral("nul only"), {ValueKind::String, QByteArray(1, '\0')}},
            {QStringLiteral("quotes"), string1251(QStringLiteral("\"a\\b\" \\x41  "))},
            {QStringLiteral("expand"), {ValueKind::ExpandString, bytes.mid(1) + '\0'}},
            {QStringLiteral("expand no nul"), {ValueKind::ExpandString, bytes}},
            {QStringLiteral("a=b"), dword(1)},
            {QStringLiteral("\"quoted\" \\name"), dword(2)},
            {QStringLiteral(" spaced "), dword(3)},
            {QStringLiteral("[x]"), dword(4)},
            {QStringLiteral(";c"), dword(5)},
            {QStringLiteral("#c"), dword(6)},
            {QStringLiteral("line\nbreak\r\t"), dword(7)},
            {QString(), dword(8)},
            {QStringLiteral("имя"), dword(9)},
        };
        {
            auto store = makeFileSettingsStore(dir.path());
            auto key = store->openKey(Key);
            for (const auto& [name, value] : values)
                key->write(name, value);
            key->close();
        }
        auto fresh = makeFileSettingsStore(dir.path());
        auto key = fresh->openKey(Key);
        for (const auto& [name, value] : values) {
            const auto read = key->read(name);
            QVERIFY2(read.has_value(), qPrintable(name));
            QVERIFY2(read->kind == value.kind, qPrintable(name));
            QVERIFY2(read->data == value.data, qPrintable(name));
        }
        QVERIFY(!key->read(QStringLiteral("missing")).has_value());
        // Each name got its own line: nothing was merged or lost.
        const QStringList lines = QString::fromUtf8(readBytes(settingsFile(dir))).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^[^;\\[]"))).size(), values.size());
    }

    void fileIsReadableTextForAPerson()
    {
        QTemporaryDir dir;
        auto store = makeFileSettingsStore(dir.filePath(QStringLiteral("a/b")));
        auto key = store->openKey(Key);
        key->write(QStringLiteral("curs"), binaryDouble(29.7));
        key->write(QStringLiteral("rub"), dword(0));
        key->write(QStringLiteral("val"), string1251(QStringLiteral("руб.")));
        key->write(QStringLiteral("ctl"), string1251(QStringLiteral("a\tb")));
        key->close();

        const QStringList lines =
            QString::fromUtf8(readBytes(dir.filePath(QStringLiteral("a/b/") + SettingsFileName))).split(u'\n');
        const QString section = QStringLiteral("[software\\microsoft\\windows\\korvanta]");
        const QString curs = QStringLiteral("curs=binary:33,33,33,33,33,b3,3d,40");
        const QString val = QStringLiteral("val=string:\"руб.\"");
        for (const QString& line :
             {section, curs, QStringLiteral("rub=dword:00000000"), val, QStringLiteral("ctl=string:\"a\\x09b\"")})
            QVERIFY2(lines.contains(line), qPrintable(line));
        // The values follow their key in the order written.
        QVERIFY(lines.indexOf(section) < lines.indexOf(curs));
        QVERIFY(lines.indexOf(curs) < lines.indexOf(val));
    }

    void handWrittenFileIsRead()
    {
        QTemporaryDir dir;
        writeBytes(settingsFile(dir), QByteArray("\xEF\xBB\xBF; written by hand\r\n"
                                                 "[other]\r\n"
                                                 "rub=dword:5\r\n"
                                                 "\r\n"
                                                 "  [Software\\Microsoft\\Windows\\KORVANTA]  \r\n"
                                                 "  RUB = dword:1  \r\n"
                                                 "val=string:\"\xd0\xb3\xd1\x80\xd0\xbd.\"\r\n"
                                                 "\"nds\" = BINARY: 00,00,00,00,00,00,34,40\r\n"
                                                 "add=dword:hex:01\r\n"
                                                 "path=expand:\"%HOME%\\\\x\"\r\n"));
        auto key = makeFileSettingsStore(dir.path())->openKey(Key);
        // Keys and names are matched without regard to case; another key's values stay apart.
        QCOMPARE(readDWord(*key->read(QStringLiteral("rub"))), 1u);
        QCOMPARE(readString(*key->read(QStringLiteral("val"))), QStringLiteral("грн."));
        QCOMPARE(readDouble(*key->read(QStringLiteral("nds"))), 20.0);
        QCOMPARE(key->read(QStringLiteral("add"))->data, QByteArray("\1"));
        QCOMPARE(key->read(QStringLiteral("path"))->kind, ValueKind::ExpandString);
        QCOMPARE(readString(*key->read(QStringLiteral("path"))), QStringLiteral("%HOME%\\x"));
        auto other = makeFileSettingsStore(dir.path())->openKey(QStringLiteral("OTHER"));
        QCOMPARE(readDWord(*other->read(QStringLiteral("rub"))), 5u);
        QVERIFY(!other->read(QStringLiteral("val")));

        // Rewriting a value keeps the name as the file spells it and every other line as it stands.
        key->write(QStringLiteral("rub"), dword(0));
        const QByteArray after = readBytes(settingsFile(dir));
        QVERIFY(after.startsWith("\xEF\xBB\xBF; written by hand\r\n[other]\r\nrub=dword:5\r\n\r\n"));
        QVERIFY(after.contains("\nRUB=dword:00000000\n"));
        QVERIFY(after.contains("\n\"nds\" = BINARY: 00,00,00,00,00,00,34,40\r\n"));
        QCOMPARE(readDWord(*other->read(QStringLiteral("rub"))), 5u);
    }

    void openingCreatesFolderFileAndKey()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("deep/er/korvanta"));
        auto store = makeFileSettingsStore(folder);
        auto key = store->openKey(Key);
        QVERIFY(QFile::exists(folder + u'/' + SettingsFileName));
        QVERIFY(!key->read(QStringLiteral("curs")).has_value());

        // A second key is added without disturbing the first; opening an existing key writes nothing.
        key->write(QStringLiteral("curs"), binaryDouble(1.5));
        store->openKey(QStringLiteral("second"))->write(QStringLiteral("x"), dword(2));
        const QByteArray before = readBytes(folder + u'/' + SettingsFileName);
        makeFileSettingsStore(folder)->openKey(Key.toUpper());
        QCOMPARE(readBytes(folder + u'/' + SettingsFileName), before);
        QCOMPARE(readDouble(*key->read(QStringLiteral("curs"))), 1.5);
        QCOMPARE(QString::fromUtf8(before).split(u'\n').filter(QRegularExpression(QStringLiteral("^\\["))).size(), 2);
    }

    void failuresToOpenOrWriteThrow()
    {
        QTemporaryDir dir;
        // The folder's place is taken by a file.
        writeBytes(dir.filePath(QStringLiteral("taken")), "x");
        QVERIFY(throwsStoreError([&] { makeFileSettingsStore(dir.filePath(QStringLiteral("taken")))->openKey(Key); }));
        QVERIFY(
            throwsStoreError([&] { makeFileSettingsStore(dir.filePath(QStringLiteral("taken/sub")))->openKey(Key); }));
        // The settings file's place is taken by a folder.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("f/") + SettingsFileName));
        QVERIFY(throwsStoreError([&] { makeFileSettingsStore(dir.filePath(QStringLiteral("f")))->openKey(Key); }));
        QVERIFY(throwsStoreError([&] { makeFileSettingsStore(QString())->openKey(Key); }));

        // A key that was opened fails once its file can no longer be read or written.
        const QString folder = dir.filePath(QStringLiteral("g"));
        auto key = makeFileSettingsStore(folder)->openKey(Key);
        key->write(QStringLiteral("curs"), binaryDouble(2));
        QVERIFY(QFile::remove(folder + u'/' + SettingsFileName));
        QVERIFY(QDir(folder).mkdir(SettingsFileName));
        QVERIFY(throwsStoreError([&] { key->read(QStringLiteral("curs")); }));
        QVERIFY(throwsStoreError([&] { key->write(QStringLiteral("curs"), binaryDouble(3)); }));
        QVERIFY(QFileInfo(folder + u'/' + SettingsFileName).isDir());

        // A closed key is not used any more.
        auto closed = makeFileSettingsStore(dir.filePath(QStringLiteral("h")))->openKey(Key);
        closed->close();
        QVERIFY(throwsStoreError([&] { closed->write(QStringLiteral("x"), dword(1)); }));
        QVERIFY(throwsStoreError([&] { closed->read(QStringLiteral("x")); }));
    }

    void failedSaveLeavesTheOldFile()
    {
#ifdef Q_OS_LINUX
        // Files may not grow past a limit that holds for every user: the new file cannot be written whole.
        QTemporaryDir dir;
        auto key = makeFileSettingsStore(dir.path())->openKey(Key);
        key->write(QStringLiteral("curs"), binaryDouble(29.7));
        key->write(QStringLiteral("val"), string1251(QStringLiteral("руб.")));
        const QByteArray before = readBytes(settingsFile(dir));

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = rlim_t(before.size() + 16);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        // A small and a large new text: the disk refuses part of either.
        const bool smallFailed = throwsStoreError([&] {
            key->write(QStringLiteral("big"), {ValueKind::Binary, QByteArray(1000, 'x')});
        });
        const bool largeFailed = throwsStoreError([&] {
            key->write(QStringLiteral("big"), {ValueKind::Binary, QByteArray(40000, 'x')});
        });
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(smallFailed);
        QVERIFY(largeFailed);
        QCOMPARE(readBytes(settingsFile(dir)), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{SettingsFileName});
        QVERIFY(!key->read(QStringLiteral("big")).has_value());
        QCOMPARE(readDouble(*key->read(QStringLiteral("curs"))), 29.7);
#else
        QSKIP("needs a file size limit");
#endif
    }

    void garbageLinesAreUnreadableAndKept()
    {
        QTemporaryDir dir;
        const QByteArray garbage[] = {
            "stray=dword:1",                      // before any key
            "curs=binary:zz,01",                  // bad bytes
            "this line has no equals sign",       //
            "rub=dword:123456789",                // nine digits
            "val=string:\"unterminated",          //
            "cn=string:\"\xe4\xb8\xad\"",         // not in code page 1251
            "bad=\xff\xfe\x01 not utf-8",         //
            "kind=float:1.5",                     //
            "esc=string:\"\\q\"",                 //
            "nds=binary:00,00,00,00,00,00,34,40", // readable
            "nds=dword:00000001",                 // a repeated name: the first one counts
            "=dword:1",                           // no name
        };
        QByteArray file;
        file += garbage[0] + QByteArray("\n[") + Key.toUtf8() + "]\n";
        for (size_t i = 1; i < std::size(garbage); ++i)
            file += garbage[i] + (i % 2 ? "\r\n" : "\n");
        writeBytes(settingsFile(dir), file);

        auto key = makeFileSettingsStore(dir.path())->openKey(Key);
        for (const char* name : {"curs", "rub", "val", "cn", "kind", "esc"})
            QVERIFY2(throwsStoreError([&] { key->read(QString::fromLatin1(name)); }), name);
        QVERIFY(!key->read(QStringLiteral("stray")).has_value());
        QVERIFY(!key->read(QStringLiteral("bad")).has_value());
        QCOMPARE(readDouble(*key->read(QStringLiteral("nds"))), 20.0);

        // Writing another value keeps every line as it was; writing an unreadable one replaces it.
        key->write(QStringLiteral("ndse"), dword(1));
        QVERIFY(readBytes(settingsFile(dir)).startsWith(file));
        key->write(QStringLiteral("curs"), binaryDouble(31.5));
        QCOMPARE(readDouble(*key->read(QStringLiteral("curs"))), 31.5);
        const QByteArray after = readBytes(settingsFile(dir));
        QVERIFY(!after.contains(garbage[1]));
        for (size_t i = 2; i < std::size(garbage); ++i)
            QVERIFY2(after.contains(garbage[i]), garbage[i].constData());
        QCOMPARE(readDWord(*key->read(QStringLiteral("ndse"))), 1u);
    }

    void randomBytesDoNotCrash()
    {
        QTemporaryDir dir;
        QRandomGenerator random(20260107);
        for (int round = 0; round < 20; ++round) {
            QByteArray noise(2000, Qt::Uninitialized);
            for (char& c : noise)
                c = char(random.bounded(256));
            if (round % 2)
                noise = "[" + Key.toUtf8() + "]\n" + noise;
            writeBytes(settingsFile(dir), noise);
            auto key = makeFileSettingsStore(dir.path())->openKey(Key);
            try {
                key->read(QStringLiteral("curs"));
            } catch (const StoreError&) {
            }
            key->write(QStringLiteral("curs"), binaryDouble(round));
            QVERIFY(readBytes(settingsFile(dir)).startsWith(noise));
            QCOMPARE(readDouble(*makeFileSettingsStore(dir.path())->openKey(Key)->read(QStringLiteral("curs"))),
                     double(round));
        }
    }

    void defaultFolderIsTheUsersConfigurationFolder()
    {
        const QString folder = defaultSettingsDirectory();
        QVERIFY(folder.endsWith(QStringLiteral("/korvanta")));
        QCOMPARE(QDir::cleanPath(folder + QStringLiteral("/..")),
                 QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
    }
};

QTEST_APPLESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
