#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

// A per-user settings store on the registry's model: keys by path, named values of three kinds.
namespace korvanta {

enum class ValueKind {
    Binary,       // raw bytes (a double is 8 bytes, least significant first)
    DWord,        // 32-bit integer, 4 bytes little-endian
    String,       // text, stored with its terminating NUL, in code page 1251
    ExpandString, // text read without expansion
};

struct StoredValue {
    ValueKind kind = ValueKind::Binary;
    QByteArray data; // the bytes exactly as stored
};

// An open key. Reading and writing throw StoreError.
class SettingsKey {
public:
    virtual ~SettingsKey() = default;
    // Missing is not a failure.
    virtual std::optional<StoredValue> read(const QString& name) = 0;
    virtual void write(const QString& name, const StoredValue& value) = 0;
    virtual void close() = 0;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Opens the key, creating it when missing; throws StoreError when that cannot be done.
    virtual std::unique_ptr<SettingsKey> openKey(const QString& path) = 0;
};

class StoreError : public std::exception {
public:
    explicit StoreError(QString reason) : m_reason(std::move(reason)) {}
    const QString& reason() const { return m_reason; }
    const char* what() const noexcept override { return "settings store failure"; }

private:
    QString m_reason;
};

// Helpers for the three kinds; reading a value of another kind or length throws StoreError.
StoredValue binaryDouble(double value);
StoredValue dword(quint32 value);
StoredValue string1251(const QString& text);
double readDouble(const StoredValue& value);
quint32 readDWord(const StoredValue& value);
QString readString(const StoredValue& value);

// The name of the store's file inside its folder.
extern const QString SettingsFileName; // "korvanta.reg"

// The store as one text file (UTF-8) in `configDirectory`: a "[key path]" line per key and a
// "name=kind:data" line per value. Every operation reads the file afresh; every write saves it whole
// and atomically. Lines that cannot be understood are kept as they are; a value whose line cannot be
// understood exists but cannot be read.
std::unique_ptr<SettingsStore> makeFileSettingsStore(const QString& configDirectory);
// The user's configuration folder (QStandardPaths) where the program keeps its store.
QString defaultSettingsDirectory();

} // namespace korvanta
