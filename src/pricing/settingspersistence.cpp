#include "pricing/settingspersistence.h"

#include "settings/settingsstore.h"

namespace korvanta {

const QString SettingsKeyPath = QStringLiteral("software\\microsoft\\windows\\korvanta");
const QString SettingsErrorMessage =
    QStringLiteral("Ошибка записи в реестр! Запускайте программу из-под учетной записи \"Администратор\" или "
                   "\"Опытный пользователь\"!");

namespace {

constexpr double DefaultExchangeRate = 29.7;
constexpr double DefaultVatPercent = 20;
constexpr double DefaultMarkupPercent = 0;
const QString DefaultCurrencyName = QStringLiteral("руб.");

struct FieldAccess {
    SettingField field;
    const char* name;
    // Reads the stored value into the field; throws StoreError when it has another kind or size.
    void (*read)(const StoredValue&, PricingSettings&);
    void (*setDefault)(PricingSettings&);
    StoredValue (*stored)(const PricingSettings&);
};

// In load order.
const FieldAccess Fields[] = {
    {SettingField::ExchangeRate, "curs",
     [](const StoredValue& v, PricingSettings& s) { s.exchangeRate = readDouble(v); },
     [](PricingSettings& s) { s.exchangeRate = DefaultExchangeRate; },
     [](const PricingSettings& s) { return binaryDouble(s.exchangeRate); }},
    {SettingField::InLocalCurrency, "rub",
     [](const StoredValue& v, PricingSettings& s) { s.inLocalCurrency = readDWord(v) != 0; },
     [](PricingSettings& s) { s.inLocalCurrency = false; },
     [](const PricingSettings& s) { return dword(s.inLocalCurrency ? 1 : 0); }},
    {SettingField::CurrencyName, "val",
     [](const StoredValue& v, PricingSettings& s) { s.currencyName = readString(v); },
     [](PricingSettings& s) { s.currencyName = DefaultCurrencyName; },
     [](const PricingSettings& s) { return string1251(s.currencyName); }},
    {SettingField::VatCharged, "ndse",
     [](const StoredValue& v, PricingSettings& s) { s.vatCharged = readDWord(v) != 0; },
     [](PricingSettings& s) { s.vatCharged = false; },
     [](const PricingSettings& s) { return dword(s.vatCharged ? 1 : 0); }},
    {SettingField::VatPercent, "nds", [](const StoredValue& v, PricingSettings& s) { s.vatPercent = readDouble(v); },
     [](PricingSettings& s) { s.vatPercent = DefaultVatPercent; },
     [](const PricingSettings& s) { return binaryDouble(s.vatPercent); }},
    {SettingField::MarkupPercent, "add",
     [](const StoredValue& v, PricingSettings& s) { s.markupPercent = readDouble(v); },
     [](PricingSettings& s) { s.markupPercent = DefaultMarkupPercent; },
     [](const PricingSettings& s) { return binaryDouble(s.markupPercent); }},
};

const FieldAccess& access(SettingField field)
{
    for (const FieldAccess& f : Fields)
        if (f.field == field)
            return f;
    Q_UNREACHABLE();
}

// The key is closed after a failure too; a close that fails counts as a failure.
bool closeKey(SettingsKey& key)
{
    try {
        key.close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool loadPricingSettings(SettingsStore& store, PricingSettings& settings, SettingFlags& loaded)
{
    settings = PricingSettings{};
    loaded.fill(false);

    std::unique_ptr<SettingsKey> key;
    try {
        key = store.openKey(SettingsKeyPath);
    } catch (const std::exception&) {
    }
    if (!key) {
        // Without a key the first value is missing and writing its default fails.
        Fields[0].setDefault(settings);
        return false;
    }

    bool ok = true;
    try {
        for (const FieldAccess& f : Fields) {
            const QString name = QString::fromLatin1(f.name);
            if (const std::optional<StoredValue> stored = key->read(name)) {
                f.read(*stored, settings);
            } else {
                f.setDefault(settings);
                key->write(name, f.stored(settings));
            }
            loaded[size_t(f.field)] = true;
        }
    } catch (const std::exception&) {
        ok = false;
    }
    return closeKey(*key) && ok;
}

bool savePricingSettings(SettingsStore& store, const PricingSettings& settings, const SettingFlags& write)
{
    std::unique_ptr<SettingsKey> key;
    try {
        key = store.openKey(SettingsKeyPath);
    } catch (const std::exception&) {
    }
    if (!key)
        return false;

    bool ok = true;
    try {
        for (SettingField field :
             {SettingField::ExchangeRate, SettingField::VatPercent, SettingField::MarkupPercent,
              SettingField::InLocalCurrency, SettingField::VatCharged, SettingField::CurrencyName}) {
            if (!write[size_t(field)])
                continue;
            const FieldAccess& f = access(field);
            key->write(QString::fromLatin1(f.name), f.stored(settings));
        }
    } catch (const std::exception&) {
        ok = false;
    }
    return closeKey(*key) && ok;
}

} // namespace korvanta
