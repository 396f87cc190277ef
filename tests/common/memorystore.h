#pragma once

#include "settings/settingsstore.h"

#include <QMap>

// A settings store held in memory, for tests that need one but are not about it.
namespace korvanta::testing {

class MemoryStore : public SettingsStore {
public:
    QMap<QString, QMap<QString, StoredValue>> keys;
    bool failOpen = false;
    int writes = 0;

    std::unique_ptr<SettingsKey> openKey(const QString& path) override
    {
        if (failOpen)
            throw StoreError(QStringLiteral("cannot open"));
        struct Key : SettingsKey {
            MemoryStore* store;
            QString path;
            std::optional<StoredValue> read(const QString& name) override
            {
                const auto& values = store->keys[path];
                if (!values.contains(name))
                    return std::nullopt;
                return values.value(name);
            }
            void write(const QString& name, const StoredValue& value) override
            {
                store->keys[path][name] = value;
                ++store->writes;
            }
            void close() override {}
        };
        auto key = std::make_unique<Key>();
        key->store = this;
        key->path = path;
        keys[path];
        return key;
    }
};

} // namespace korvanta::testing
