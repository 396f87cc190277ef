// Finding the shop's folder: the working folder, a folder named on the command line, the
// remembered folder, or the one the user chooses.
#include "catalogue/shopfolder.h"

#include "common/fakes.h"
#include "common/memorystore.h"
#include "common/shopfiles.h"
#include "settings/settingsstore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

// Folders by name: "shop" and "shop2" hold price lists, "empty" holds other files only, "home"
// nothing, "missing" is not there.
struct Folders {
    QTemporaryDir dir;
    QDir root{dir.path()};

    Folders()
    {
        for (const char* name : {"home", "shop", "shop2", "empty", "empty/Base.dat"})
            root.mkpath(QString::fromLatin1(name));
        writeList(QDir(path("shop")), QStringLiteral("Base.dat"), {record(QStringLiteral("Офис"), "100", "1")});
        writeList(QDir(path("shop2")), QStringLiteral("Nout.dat"), {record(QStringLiteral("Ноутбук"), "900", "2")});
        writeBytes(path("empty") + QStringLiteral("/clients.dat"), "Иванов\r\n");
    }
    QString path(const QString& name) const { return name.isEmpty() ? QString() : root.filePath(name); }
    QString path(const char* name) const { return path(QString::fromLatin1(name)); }
};

// One case: the folder names are those of Folders; an empty name is no folder.
void row(const char* name, const char* argument, const char* working, const char* remembered, bool storeFails,
         const QStringList& answers, const char* found, const char* rememberedAfter, int messages,
         const QStringList& dialogStarts)
{
    QTest::newRow(name) << QString::fromUtf8(argument) << QString::fromUtf8(working) << QString::fromUtf8(remembered)
                        << storeFails << answers << QString::fromUtf8(found) << QString::fromUtf8(rememberedAfter)
                        << messages << dialogStarts;
}

} // namespace

class TestShopFolder : public QObject {
    Q_OBJECT

private slots:
    void findsTheShop_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("working");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<bool>("storeFails");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("rememberedAfter");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QStringList>("dialogStarts");

        // Started in the shop, as before: no question, nothing remembered.
        row("working folder", "", "shop", "", false, {}, "shop", "", 0, {});
        row("working folder before remembered", "", "shop", "shop2", false, {}, "shop", "shop2", 0, {});
        row("remembered from home", "", "home", "shop2", false, {}, "shop2", "shop2", 0, {});
        row("first start asks once", "", "home", "", false, {"shop"}, "shop", "shop", 0, {"home"});
        row("cancel remembers nothing", "", "home", "", false, {}, "", "", 0, {"home"});
        row("folder without price lists asks again", "", "home", "", false, {"empty", "shop"}, "shop", "shop", 1,
            {"home", "empty"});
        row("remembered folder lost its lists", "", "home", "empty", false, {"shop2"}, "shop2", "shop2", 1, {"empty"});
        row("remembered folder gone, cancel keeps it", "", "home", "missing", false, {}, "", "missing", 1, {"home"});
        row("argument not remembered", "../shop2", "home", "shop", false, {}, "shop2", "shop", 0, {});
        row("argument before working folder", "../shop2", "shop", "", false, {}, "shop2", "", 0, {});
        row("absolute argument without lists", "/", "home", "", false, {"shop"}, "shop", "shop", 1, {"/"});
        // A folder named on purpose is not silently swapped for the remembered one.
        row("argument without lists asks", "../empty", "home", "shop", false, {"shop2"}, "shop2", "shop2", 1,
            {"empty"});
        row("store fails: works there and says so", "", "home", "", true, {"shop"}, "shop", "", 1, {"home"});
    }

    void findsTheShop()
    {
        QFETCH(QString, argument);
        QFETCH(QString, working);
        QFETCH(QString, remembered);
        QFETCH(bool, storeFails);
        QFETCH(QStringList, answers);
        QFETCH(QString, found);
        QFETCH(QString, rememberedAfter);
        QFETCH(int, messages);
        QFETCH(QStringList, dialogStarts);

        Folders folders;
        MemoryStore store;
        if (!remembered.isEmpty())
            QVERIFY(rememberShopFolder(store, folders.path(remembered)));
        store.failOpen = storeFails;
        FakeFolderDialog dialog;
        for (const QString& answer : answers)
            dialog.answers.append(folders.path(answer));
        FakeMessageBox box;

        QCOMPARE(findShopFolder(argument, folders.path(working), store, dialog, box), folders.path(found));

        store.failOpen = false;
        QCOMPARE(rememberedShopFolder(store), folders.path(rememberedAfter));
        QCOMPARE(box.shown.size(), messages);
        QStringList expectedStarts;
        for (const QString& start : dialogStarts)
            expectedStarts.append(folders.path(start));
        QCOMPARE(dialog.starts, expectedStarts);
        // The pricing settings' key is never touched.
        QVERIFY(!store.keys.contains(QStringLiteral("software\\microsoft\\windows\\korvanta")));
    }

    void remembersAnyFolderName_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("asText");

        QTest::newRow("russian") << QStringLiteral("/home/продавец/Магазин №1") << true;
        QTest::newRow("beyond code page 1251") << QStringLiteral("/home/josé/店") << false;
    }

    void remembersAnyFolderName()
    {
        QFETCH(QString, folder);
        QFETCH(bool, asText);

        QTemporaryDir config;
        const std::unique_ptr<SettingsStore> store = makeFileSettingsStore(config.path());
        QVERIFY(rememberShopFolder(*store, folder));

        const std::unique_ptr<SettingsStore> reopened = makeFileSettingsStore(config.path());
        QCOMPARE(rememberedShopFolder(*reopened), folder);
        const std::optional<StoredValue> stored = reopened->openKey(ShopKeyPath)->read(ShopFolderValue);
        QVERIFY(stored);
        QCOMPARE(stored->kind == ValueKind::String, asText);
    }

    void entersTheFolderFound()
    {
        Folders folders;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folders.path("home")));
        MemoryStore store;
        FakeFolderDialog dialog;
        FakeMessageBox box;

        QVERIFY(!enterShopFolder(QString(), store, dialog, box));
        QCOMPARE(QDir::currentPath(), folders.path("home"));

        dialog.answers = {folders.path("shop")};
        const bool entered = enterShopFolder(QString(), store, dialog, box);
        const QString now = QDir::currentPath();
        QDir::setCurrent(before);
        QVERIFY(entered);
        QCOMPARE(now, folders.path("shop"));
    }
};

QTEST_GUILESS_MAIN(TestShopFolder)
#include "tst_shopfolder.moc"
