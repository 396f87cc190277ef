// The settings file as the store reads it at start, and as it rewrites it when a value is set: a
// value written reads back, and every other value reads as it did.
#include "fuzzing.h"
#include "settings/settingsstore.h"

using namespace korvanta;
using fuzzing::require;

namespace {

const QString KeyPath = QStringLiteral("software\\microsoft\\windows\\korvanta");
const QStringList Names = {QStringLiteral("curs"), QStringLiteral("rub"), QStringLiteral("val"),
                           QStringLiteral("ndse"), QStringLiteral("nds"), QStringLiteral("add")};

// What a read gives: the value, nothing, or a failure (an empty kind-less value stands for it).
struct Reading {
    bool failed = false;
    std::optional<StoredValue> value;
    bool operator==(const Reading& o) const
    {
        return failed == o.failed && value.has_value() == o.value.has_value() &&
               (!value || (value->kind == o.value->kind && value->data == o.value->data));
    }
};

Reading readValue(SettingsKey& key, const QString& name)
{
    Reading r;
    try {
        r.value = key.read(name);
    } catch (const StoreError&) {
        r.failed = true;
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    fuzzing::writeScratchFile(SettingsFileName, bytes);
    auto store = makeFileSettingsStore(fuzzing::scratch().path());
    auto key = store->openKey(KeyPath);

    QList<Reading> before;
    for (const QString& name : Names) {
        before.append(readValue(*key, name));
        if (before.last().value) {
            const StoredValue& v = *before.last().value;
            try {
                if (v.kind == ValueKind::Binary)
                    readDouble(v);
                else if (v.kind == ValueKind::DWord)
                    readDWord(v);
                else
                    readString(v);
            } catch (const StoreError&) {
                // a value of the wrong length: the settings loading reports it
            }
        }
    }

    // Set one value, chosen and made from the input, as the program does when it closes.
    const int which = size > 0 ? data[0] % Names.size() : 0;
    const StoredValue written =
        which == 2 ? string1251(QString::fromLatin1(bytes.left(40)).remove(QChar(0))) : binaryDouble(double(size) / 7);
    key->write(Names[which], written);
    for (int i = 0; i < Names.size(); ++i) {
        const Reading after = readValue(*key, Names[i]);
        if (i == which)
            require(after == Reading{false, written}, "a value written reads back");
        else
            require(after == before[i], "the other values read as before");
    }
    key->close();
    return 0;
}
