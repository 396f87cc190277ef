#include "pricing/settingspersistence.h"

#include "common/fakes.h"
#include "presentation/mainstate.h"
#include "settings/settingsstore.h"

#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace korvanta;
using namespace korvanta::testing;

namespace {

const QString ExpectedMessage = QStringLiteral("Ошибка записи в реестр! Запускайте программу из-под учетной записи "
                                               "\"Администратор\" или \"Опытный пользователь\"!");

constexpr SettingFlags AllFlags{true, true, true, true, true, true};
constexpr SettingFlags NoFlags{};

// A store in memory that logs every operation and fails the one it is told to.
class LoggingStore : public SettingsStore {
public:
    QMap<QString, StoredValue> values;
    QStringList log; // "open", "read curs", "write curs", "close"
    QString failing; // an entry of the log that throws instead

    std::unique_ptr<SettingsKey> openKey(const QString& path) override
    {
        step(QStringLiteral("open"));
        if (path != QStringLiteral("software\\microsoft\\windows\\korvanta"))
            throw StoreError(QStringLiteral("wrong key"));
        struct Key : SettingsKey {
            LoggingStore* store;
            std::optional<StoredValue> read(const QString& name) override
            {
                store->step(QStringLiteral("read ") + name);
                if (!store->values.contains(name))
                    return std::nullopt;
                return store->values.value(name);
            }
            void write(const QString& name, const StoredValue& value) override
            {
                store->step(QStringLiteral("write ") + name);
                store->values[name] = value;
            }
            void close() override { store->step(QStringLiteral("close")); }
        };
        auto key = std::make_unique<Key>();
        key->store = this;
        return key;
    }

    void step(const QString& what)
    {
        log.append(what);
        if (what == failing)
            throw StoreError(what);
    }
};

using Values = QList<QPair<QString, StoredValue>>;

void storeValues(SettingsStore& store, const Values& values)
{
    auto key = store.openKey(SettingsKeyPath);
    for (const auto& [name, value] : values)
        key->write(name, value);
    key->close();
}

StoredValue storedValue(const QString& directory, const QString& name)
{
    const auto value = makeFileSettingsStore(directory)->openKey(SettingsKeyPath)->read(name);
    return value.value_or(StoredValue{ValueKind::Binary, QByteArray("missing")});
}

bool same(const StoredValue& a, const StoredValue& b)
{
    return a.kind == b.kind && a.data == b.data;
}

// The six values, named in load order.
Values named(const QList<StoredValue>& values)
{
    static const QStringList names = {"curs", "rub", "val", "ndse", "nds", "add"};
    Values out;
    for (int i = 0; i < values.size(); ++i)
        out.append({names.at(i), values.at(i)});
    return out;
}

// The names of the values the folder's store does not hold as given.
QStringList notStored(const QString& directory, const Values& values)
{
    QStringList out;
    for (const auto& [name, value] : values)
        if (!same(storedValue(directory, name), value))
            out.append(name);
    return out;
}

// The settings in one line, to compare them at once: curs; rub; val; ndse; nds; add.
QString fields(const PricingSettings& s)
{
    const auto number = [](double d) { return QString::number(d, 'g', 15); };
    return QStringList({number(s.exchangeRate), QString::number(s.inLocalCurrency), s.currencyName,
                        QString::number(s.vatCharged), number(s.vatPercent), number(s.markupPercent)})
        .join(QStringLiteral("; "));
}

// Every value stored correctly, except "curs", which holds a string.
Values stringKindCurs()
{
    return named({string1251(QStringLiteral("29,7")), dword(1), string1251(QStringLiteral("грн.")), dword(1),
                  binaryDouble(18), binaryDouble(5)});
}

// The main window's state on a store of its own in a temporary folder, started as on 7.12.2026.
struct Window {
    QTemporaryDir dir;
    QString place;
    std::unique_ptr<SettingsStore> store;
    Fakes fakes;
    MainState state{fakes.facilities(), QChar(','), dir.path()};

    explicit Window(const QString& storeIn = QString())
        : place(storeIn.isEmpty() ? dir.path() : dir.filePath(storeIn)), store(makeFileSettingsStore(place))
    {
    }
    void start(const Values& stored = {})
    {
        if (!stored.isEmpty())
            storeValues(*store, stored);
        state.start(*store, 7, 12, 2026, 1);
    }
};

} // namespace

class TestSettingsPersistence : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void keyAndMessage()
    {
        QCOMPARE(SettingsKeyPath, QStringLiteral("software\\microsoft\\windows\\korvanta"));
        QCOMPARE(SettingsKeyPath.count(u'\\'), 3);
        QCOMPARE(SettingsErrorMessage, ExpectedMessage);
    }

    void firstRunWritesEveryDefaultAtOnce()
    {
        QTemporaryDir dir;
        auto store = makeFileSettingsStore(dir.path());
        PricingSettings s;
        SettingFlags loaded{};
        QVERIFY(loadPricingSettings(*store, s, loaded));
        QCOMPARE(fields(s), QStringLiteral("29.7; 0; руб.; 0; 20; 0"));
        QCOMPARE(loaded, AllFlags);

        // Read back by a store of its own, as the next run will.
        QCOMPARE(notStored(dir.path(), named({binaryDouble(29.7),
                                              dword(0),
                                              {ValueKind::String, QByteArray("\xf0\xf3\xe1.\0", 5)},
                                              dword(0),
                                              binaryDouble(20),
                                              binaryDouble(0)})),
                 QStringList());

        // Each missing value is written as soon as it is found missing, in load order.
        LoggingStore logging;
        QVERIFY(loadPricingSettings(logging, s, loaded));
        QCOMPARE(logging.log,
                 QStringList({"open", "read curs", "write curs", "read rub", "write rub", "read val", "write val",
                              "read ndse", "write ndse", "read nds", "write nds", "read add", "write add", "close"}));
        logging.log.clear();
        QVERIFY(loadPricingSettings(logging, s, loaded));
        QCOMPARE(logging.log, QStringList({"open", "read curs", "read rub", "read val", "read ndse", "read nds",
                                           "read add", "close"}));
    }

    void storedValuesAreLoaded()
    {
        LoggingStore store;
        store.values = {{QStringLiteral("curs"), binaryDouble(31.25)},
                        {QStringLiteral("rub"), dword(7)},
                        {QStringLiteral("val"), {ValueKind::ExpandString, QByteArray("%VAL%\0junk", 10)}},
                        {QStringLiteral("ndse"), dword(0)},
                        {QStringLiteral("nds"), binaryDouble(-3)},
                        {QStringLiteral("add"), binaryDouble(12.5)}};
        PricingSettings s;
        SettingFlags loaded{};
        QVERIFY(loadPricingSettings(store, s, loaded));
        QCOMPARE(fields(s), QStringLiteral("31.25; 1; %VAL%; 0; -3; 12.5")); // any non-zero number is on
        QCOMPARE(loaded, AllFlags);
        QVERIFY(!store.log.contains(QStringLiteral("write curs")));

        store.values[QStringLiteral("rub")] = dword(0);
        store.values[QStringLiteral("ndse")] = dword(0xffffffff);
        QVERIFY(loadPricingSettings(store, s, loaded));
        QCOMPARE(s.inLocalCurrency, false);
        QCOMPARE(s.vatCharged, true);
    }

    void unreadableValueEndsTheLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("failing");
        QTest::newRow("curs as string") << "curs" << int(SettingField::ExchangeRate);
        QTest::newRow("rub as binary") << "rub" << int(SettingField::InLocalCurrency);
        QTest::newRow("val as dword") << "val" << int(SettingField::CurrencyName);
        QTest::newRow("ndse too long") << "ndse" << int(SettingField::VatCharged);
        QTest::newRow("nds of 4 bytes") << "nds" << int(SettingField::VatPercent);
        QTest::newRow("add as dword") << "add" << int(SettingField::MarkupPercent);
    }

    void unreadableValueEndsTheLoad()
    {
        QFETCH(QString, name);
        QFETCH(int, failing);
        const QMap<QString, StoredValue> bad = {{"curs", string1251(QStringLiteral("29,7"))},
                                                {"rub", {ValueKind::Binary, QByteArray(4, '\1')}},
                                                {"val", dword(5)},
                                                {"ndse", {ValueKind::DWord, QByteArray(8, '\1')}},
                                                {"nds", {ValueKind::Binary, QByteArray(4, '\0')}},
                                                {"add", dword(0)}};
        LoggingStore store;
        for (const auto& [n, v] : stringKindCurs())
            store.values[n] = v;
        store.values[QStringLiteral("curs")] = binaryDouble(30);
        store.values[name] = bad.value(name);
        const auto before = store.values;

        PricingSettings s;
        SettingFlags loaded{};
        QVERIFY(!loadPricingSettings(store, s, loaded));
        // The fields before the bad one are loaded; it and those after it stay zero, off and empty.
        for (int f = 0; f < 6; ++f)
            QCOMPARE(loaded[size_t(f)], f < failing);
        const QStringList full{"30", "1", "грн.", "1", "18", "5"};
        const QStringList none{"0", "0", "", "0", "0", "0"};
        QCOMPARE(fields(s), (full.mid(0, failing) + none.mid(failing)).join(QStringLiteral("; ")));
        // Nothing more is read, nothing is written, and the key is closed.
        QCOMPARE(store.log.last(), QStringLiteral("close"));
        QCOMPARE(store.log.at(store.log.size() - 2), QStringLiteral("read ") + name);
        QVERIFY(store.log.filter(QStringLiteral("write")).isEmpty());
        QCOMPARE(store.values.keys(), before.keys());
    }

    void failedDefaultWriteKeepsTheDefault()
    {
        LoggingStore store;
        store.values[QStringLiteral("curs")] = binaryDouble(30);
        store.values[QStringLiteral("rub")] = dword(1);
        store.failing = QStringLiteral("write val");
        PricingSettings s;
        SettingFlags loaded{};
        QVERIFY(!loadPricingSettings(store, s, loaded));
        QCOMPARE(fields(s), QStringLiteral("30; 1; руб.; 0; 0; 0"));
        QCOMPARE(loaded, SettingFlags({true, true, false, false, false, false}));
        QCOMPARE(store.log.last(), QStringLiteral("close"));
        QVERIFY(!store.log.contains(QStringLiteral("read ndse")));
    }

    void keyThatCannotBeOpened()
    {
        // The folder's place is taken by a file: the key can be neither opened nor created.
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("korvanta")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto store = makeFileSettingsStore(blocker.fileName());

        PricingSettings s;
        SettingFlags loaded = AllFlags;
        QVERIFY(!loadPricingSettings(*store, s, loaded));
        // "curs" is missing, and writing its default is the write that fails.
        QCOMPARE(fields(s), QStringLiteral("29.7; 0; ; 0; 0; 0"));
        QCOMPARE(loaded, NoFlags);
        QVERIFY(!savePricingSettings(*store, s, AllFlags));
        QVERIFY(QFileInfo(blocker.fileName()).isFile());

        LoggingStore failing;
        failing.failing = QStringLiteral("open");
        QVERIFY(!loadPricingSettings(failing, s, loaded));
        QVERIFY(!savePricingSettings(failing, s, AllFlags));
    }

    void saveWritesEveryValueInItsOrder()
    {
        LoggingStore store;
        const PricingSettings s{31.5, true, QStringLiteral("грн."), true, 18, -2};
        QVERIFY(savePricingSettings(store, s, AllFlags));
        QCOMPARE(store.log, QStringList({"open", "write curs", "write nds", "write add", "write rub", "write ndse",
                                         "write val", "close"}));
        QVERIFY(same(store.values.value("curs"), binaryDouble(31.5)));
        QVERIFY(same(store.values.value("nds"), binaryDouble(18)));
        QVERIFY(same(store.values.value("add"), binaryDouble(-2)));
        QVERIFY(same(store.values.value("rub"), dword(1)));
        QVERIFY(same(store.values.value("ndse"), dword(1)));
        QVERIFY(same(store.values.value("val"), string1251(QStringLiteral("грн."))));

        // Unchanged values are written again; values not marked are left alone.
        store.log.clear();
        QVERIFY(savePricingSettings(store, PricingSettings{}, SettingFlags({false, false, false, true, true, false})));
        QCOMPARE(store.log, QStringList({"open", "write nds", "write ndse", "close"}));
        QVERIFY(same(store.values.value("ndse"), dword(0)));
        QVERIFY(same(store.values.value("curs"), binaryDouble(31.5)));
    }

    void failedSaveStopsAndCloses()
    {
        LoggingStore store;
        store.failing = QStringLiteral("write add");
        QVERIFY(!savePricingSettings(store, PricingSettings{1, true, "x", true, 2, 3}, AllFlags));
        QCOMPARE(store.log, QStringList({"open", "write curs", "write nds", "write add", "close"}));
        QCOMPARE(store.values.keys(), QStringList({"curs", "nds"}));

        store.failing = QStringLiteral("close");
        QVERIFY(!savePricingSettings(store, PricingSettings{}, AllFlags));
    }

    void nothingStoredIsLostAfterAFailedLoad()
    {
        QTemporaryDir dir;
        auto store = makeFileSettingsStore(dir.path());
        storeValues(*store, stringKindCurs());

        PricingSettings s;
        SettingFlags loaded{};
        QVERIFY(!loadPricingSettings(*store, s, loaded));
        QCOMPARE(fields(s), QStringLiteral("0; 0; ; 0; 0; 0"));

        // Closing with nothing set by the user writes nothing over what could not be read.
        QVERIFY(savePricingSettings(*store, s, loaded));
        QCOMPARE(notStored(dir.path(), stringKindCurs()), QStringList());
    }

    // The main window's state, with the store, as at start-up and close.

    void firstRunShowsTheDefaults()
    {
        Window w(QStringLiteral("config"));
        w.start();
        const GeneralPage& general = w.state.general;
        QCOMPARE(general.exchangeRate.text, QStringLiteral("29,7"));
        QCOMPARE(general.vatPercent.text, QStringLiteral("20"));
        QCOMPARE(general.pricesInLocalCurrency, false);
        QCOMPARE(general.vatCharged, false);
        QCOMPARE(general.exchangeRate.enabled, false);
        QCOMPARE(general.currencyName.enabled, false);
        QCOMPARE(general.vatPercent.enabled, false);
        QCOMPARE(general.currencyName.text, QStringLiteral("руб."));
        QCOMPARE(w.state.order.settings.exchangeRate, 29.7);
        QVERIFY(w.fakes.messageBox.shown.isEmpty());
        QVERIFY(same(storedValue(w.place, QStringLiteral("nds")), binaryDouble(20)));
    }

    void stringKindCursShowsTheMessageAndZeros()
    {
        Window w;
        w.start(stringKindCurs());
        const GeneralPage& general = w.state.general;
        QCOMPARE(w.fakes.messageBox.shown, QStringList{ExpectedMessage});
        QCOMPARE(general.exchangeRate.text, QStringLiteral("0"));
        QCOMPARE(general.vatPercent.text, QStringLiteral("0"));
        QCOMPARE(general.pricesInLocalCurrency, false);
        QCOMPARE(general.vatCharged, false);
        QCOMPARE(general.currencyName.text, QString());
        QCOMPARE(w.state.order.settings.exchangeRate, 0.0);

        // Closing without touching anything leaves every stored value as it is.
        w.state.saveSettings(*w.store);
        QCOMPARE(w.fakes.messageBox.shown.size(), 1);
        QCOMPARE(notStored(w.place, stringKindCurs()), QStringList());
    }

    void newRateAfterAFailedLoadReplacesOnlyTheRate()
    {
        Window w;
        w.start(stringKindCurs());
        w.state.setExchangeRateText(QStringLiteral("31,5"));
        w.state.saveSettings(*w.store);

        QCOMPARE(w.fakes.messageBox.shown.size(), 1);
        QCOMPARE(notStored(w.place, Values{{"curs", binaryDouble(31.5)}} + stringKindCurs().mid(1)), QStringList());

        // The next run loads everything.
        Fakes next;
        MainState again(next.facilities(), QChar(','), w.dir.path());
        again.start(*makeFileSettingsStore(w.place), 8, 12, 2026, 2);
        QVERIFY(next.messageBox.shown.isEmpty());
        QCOMPARE(again.general.exchangeRate.text, QStringLiteral("31,5"));
        QCOMPARE(again.general.pricesInLocalCurrency, true);
        QCOMPARE(again.general.currencyName.text, QStringLiteral("грн."));
        QCOMPARE(again.general.vatPercent.text, QStringLiteral("18"));
        QCOMPARE(again.order.settings.markupPercent, 5.0);
    }

    void storedRubStartsChecked_data()
    {
        QTest::addColumn<quint32>("rub");
        QTest::newRow("1") << 1u;
        QTest::newRow("7") << 7u;
    }

    void storedRubStartsChecked()
    {
        QFETCH(quint32, rub);
        Window w;
        w.start({{QStringLiteral("rub"), dword(rub)}});
        QCOMPARE(w.state.general.pricesInLocalCurrency, true);
        QCOMPARE(w.state.general.exchangeRate.enabled, true);
        QCOMPARE(w.state.general.currencyName.enabled, true);
        QCOMPARE(w.state.general.vatPercent.enabled, false);
        QVERIFY(w.fakes.messageBox.shown.isEmpty());

        // Written back as 1 at close.
        w.state.saveSettings(*w.store);
        QVERIFY(same(storedValue(w.place, QStringLiteral("rub")), dword(1)));
    }

    void closeWritesTheValues()
    {
        Window w;
        w.start();
        w.state.showMarkup();

        // Unchanged values are written too: the store emptied during the run is filled again.
        QVERIFY(QFile::remove(w.dir.filePath(SettingsFileName)));
        w.state.saveSettings(*w.store);
        QCOMPARE(notStored(w.place, named({binaryDouble(29.7), dword(0), string1251(QStringLiteral("руб.")), dword(0),
                                           binaryDouble(20), binaryDouble(0)})),
                 QStringList());

        w.state.setPricesInLocalCurrency(true);
        w.state.setExchangeRateText(QStringLiteral("30,25"));
        w.state.setCurrencyName(QStringLiteral("грн."));
        w.state.setVatCharged(true);
        w.state.setVatPercentText(QStringLiteral("18,5"));
        w.state.setMarkupPercentText(QStringLiteral("-3"));
        w.state.saveSettings(*w.store);
        QCOMPARE(notStored(w.place, named({binaryDouble(30.25), dword(1), string1251(QStringLiteral("грн.")), dword(1),
                                           binaryDouble(18.5), binaryDouble(-3)})),
                 QStringList());
        QVERIFY(w.fakes.messageBox.shown.isEmpty());
    }

    void storeThatCannotBeOpenedThroughTheWindow()
    {
        Window w(QStringLiteral("taken"));
        QFile blocker(w.place);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w.start();
        QCOMPARE(w.fakes.messageBox.shown, QStringList{ExpectedMessage});
        QCOMPARE(w.state.general.exchangeRate.text, QStringLiteral("29,7"));
        QCOMPARE(w.state.general.vatPercent.text, QStringLiteral("0"));
        w.state.setExchangeRateText(QStringLiteral("30"));
        w.state.saveSettings(*w.store);
        QCOMPARE(w.fakes.messageBox.shown, QStringList({ExpectedMessage, ExpectedMessage}));
    }
};

QTEST_APPLESS_MAIN(TestSettingsPersistence)
#include "tst_settingspersistence.moc"
