#include "settings/settingsstore.h"

#include "files/atomicfile.h"
#include "text/conversions.h"
#include "text/cp1251.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QtEndian>
#include <cstring>

namespace korvanta {

const QString SettingsFileName = QStringLiteral("korvanta.reg");

// ---- the three kinds ----

StoredValue binaryDouble(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray data(8, Qt::Uninitialized);
    qToLittleEndian(bits, data.data());
    return {ValueKind::Binary, data};
}

StoredValue dword(quint32 value)
{
    QByteArray data(4, Qt::Uninitialized);
    qToLittleEndian(value, data.data());
    return {ValueKind::DWord, data};
}

StoredValue string1251(const QString& text)
{
    QByteArray data = cp1251::encode(text);
    data.append('\0');
    return {ValueKind::String, data};
}

double readDouble(const StoredValue& value)
{
    if (value.kind != ValueKind::Binary || value.data.size() != 8)
        throw StoreError(QStringLiteral("not a binary value of 8 bytes"));
    const quint64 bits = qFromLittleEndian<quint64>(value.data.constData());
    double result = 0;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

quint32 readDWord(const StoredValue& value)
{
    if (value.kind != ValueKind::DWord || value.data.size() != 4)
        throw StoreError(QStringLiteral("not a 32-bit integer value"));
    return qFromLittleEndian<quint32>(value.data.constData());
}

QString readString(const StoredValue& value)
{
    if (value.kind != ValueKind::String && value.kind != ValueKind::ExpandString)
        throw StoreError(QStringLiteral("not a string value"));
    const qsizetype end = value.data.indexOf('\0');
    return cp1251::decode(QByteArrayView(value.data).first(end < 0 ? value.data.size() : end));
}

// ---- the file ----

namespace {

// One line of a key's section. Lines that are not values (comments, blanks, lines that cannot be
// understood, repeated names) are kept only as their bytes.
struct Entry {
    QByteArray raw; // the line as it is written in the file, without its line feed
    bool isValue = false;
    QString name;
    std::optional<StoredValue> value; // empty: the line names a value whose data cannot be read
};

struct Section {
    QString path;
    QByteArray header;
    QList<Entry> entries;
};

struct Document {
    QList<QByteArray> preamble; // lines before the first key
    QList<Section> sections;
};

const char* const NewFileComment[] = {
    "; KORVANTA settings. One [key] per section, one value per line:",
    ";   name=binary:<bytes in hex>   name=dword:<number in hex>   name=string:\"<text>\"   name=expand:\"<text>\"",
    ";   In texts \\\" \\\\ and \\xHH (a byte of code page 1251) are escapes; kind:hex:<bytes> holds any bytes.",
};

bool samePath(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
}

QString hexByte(uchar b)
{
    return QStringLiteral("%1").arg(uint(b), 2, 16, QLatin1Char('0'));
}

// Reads the quoted text that starts at text[pos]: plain characters go to onChar, \xHH escapes to
// onByte. Returns the position after the closing quote, or -1 when the text is not well formed.
template <typename OnChar, typename OnByte>
qsizetype parseQuoted(QStringView text, qsizetype pos, OnChar onChar, OnByte onByte)
{
    if (pos >= text.size() || text[pos] != u'"')
        return -1;
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == u'"')
            return pos + 1;
        if (c != u'\\') {
            if (!onChar(c))
                return -1;
            continue;
        }
        if (++pos >= text.size())
            return -1;
        const QChar e = text[pos];
        if (e == u'\\' || e == u'"') {
            if (!onChar(e))
                return -1;
        } else if (e == u'x' && pos + 2 < text.size() && hexDigitValue(text[pos + 1]) >= 0 &&
                   hexDigitValue(text[pos + 2]) >= 0) {
            onByte(uchar(hexDigitValue(text[pos + 1]) * 16 + hexDigitValue(text[pos + 2])));
            pos += 2;
        } else {
            return -1;
        }
    }
    return -1;
}

std::optional<QByteArray> parseHexBytes(const QString& text)
{
    QByteArray out;
    if (text.trimmed().isEmpty())
        return out;
    for (const QString& item : text.split(u',')) {
        const QString t = item.trimmed();
        if (t.size() != 2 || hexDigitValue(t[0]) < 0 || hexDigitValue(t[1]) < 0)
            return std::nullopt;
        out.append(char(hexDigitValue(t[0]) * 16 + hexDigitValue(t[1])));
    }
    return out;
}

QString formatHexBytes(const QByteArray& bytes)
{
    QStringList items;
    for (char b : bytes)
        items.append(hexByte(uchar(b)));
    return items.join(u',');
}

// A string's text (its bytes without the terminating NUL) in quotes, readable where the byte is a
// printable character of code page 1251 and escaped where it is not.
QString quoteBytes(QByteArrayView bytes)
{
    QString out(1, u'"');
    for (char ch : bytes) {
        const uchar b = uchar(ch);
        const QChar c = cp1251::decode(QByteArrayView(&ch, 1)).at(0);
        if (b == '"' || b == '\\')
            out += u'\\', out += c;
        else if (b < 0x20 || !c.isPrint() || (c.isSpace() && c != u' '))
            out += QStringLiteral("\\x") + hexByte(b);
        else
            out += c;
    }
    out += u'"';
    return out;
}

std::optional<QByteArray> parseQuotedBytes(const QString& text)
{
    QByteArray out;
    const auto onChar = [&](QChar c) {
        const QString one(c);
        if (c.isSurrogate() || !cp1251::canEncode(one))
            return false;
        out.append(cp1251::encode(one));
        return true;
    };
    const auto onByte = [&](uchar b) { out.append(char(b)); };
    if (parseQuoted(text, 0, onChar, onByte) != text.size())
        return std::nullopt;
    return out;
}

bool isBareName(const QString& name)
{
    if (name.isEmpty() || name.trimmed() != name)
        return false;
    if (name.startsWith(u'"') || name.startsWith(u'[') || name.startsWith(u';') || name.startsWith(u'#'))
        return false;
    for (QChar c : name)
        if (c == u'=' || isControl(c) || c.isSurrogate())
            return false;
    return true;
}

QString formatName(const QString& name)
{
    if (isBareName(name))
        return name;
    QString out(1, u'"');
    for (QChar c : name) {
        if (c == u'"' || c == u'\\')
            out += u'\\', out += c;
        else if (c.unicode() <= 0xff && isControl(c))
            out += QStringLiteral("\\x") + hexByte(uchar(c.unicode()));
        else
            out += c;
    }
    out += u'"';
    return out;
}

QString kindName(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Binary:
        return QStringLiteral("binary");
    case ValueKind::DWord:
        return QStringLiteral("dword");
    case ValueKind::String:
        return QStringLiteral("string");
    case ValueKind::ExpandString:
        return QStringLiteral("expand");
    }
    throw StoreError(QStringLiteral("unknown value kind"));
}

QByteArray formatValueLine(const QString& name, const StoredValue& value)
{
    QString data;
    const qsizetype size = value.data.size();
    switch (value.kind) {
    case ValueKind::Binary:
        data = formatHexBytes(value.data);
        break;
    case ValueKind::DWord:
        data = size == 4 ? QStringLiteral("%1").arg(readDWord(value), 8, 16, QLatin1Char('0'))
                         : QStringLiteral("hex:") + formatHexBytes(value.data);
        break;
    case ValueKind::String:
    case ValueKind::ExpandString:
        // The terminating NUL is implied by the quoted form; anything else is written as bytes.
        data = size > 0 && value.data.back() == '\0' ? quoteBytes(QByteArrayView(value.data).first(size - 1))
                                                     : QStringLiteral("hex:") + formatHexBytes(value.data);
        break;
    }
    return (formatName(name) + u'=' + kindName(value.kind) + u':' + data).toUtf8();
}

std::optional<StoredValue> parseValue(const QString& text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const QString kindText = text.left(colon).trimmed().toLower();
    const QString data = text.mid(colon + 1).trimmed();
    const bool asBytes = kindText != QLatin1String("binary") && data.startsWith(QLatin1String("hex:"));
    const QString bytesText = asBytes ? data.mid(4) : data;

    StoredValue v;
    if (kindText == QLatin1String("binary"))
        v.kind = ValueKind::Binary;
    else if (kindText == QLatin1String("dword"))
        v.kind = ValueKind::DWord;
    else if (kindText == QLatin1String("string"))
        v.kind = ValueKind::String;
    else if (kindText == QLatin1String("expand"))
        v.kind = ValueKind::ExpandString;
    else
        return std::nullopt;

    if (v.kind == ValueKind::Binary || asBytes) {
        const auto bytes = parseHexBytes(bytesText);
        if (!bytes)
            return std::nullopt;
        v.data = *bytes;
    } else if (v.kind == ValueKind::DWord) {
        if (data.isEmpty() || data.size() > 8)
            return std::nullopt;
        quint32 number = 0;
        for (QChar c : data) {
            if (hexDigitValue(c) < 0)
                return std::nullopt;
            number = number * 16 + quint32(hexDigitValue(c));
        }
        v.data = dword(number).data;
    } else {
        const auto bytes = parseQuotedBytes(data);
        if (!bytes)
            return std::nullopt;
        v.data = *bytes;
        v.data.append('\0');
    }
    return v;
}

// A value line: `name=kind:data` or `"name"=kind:data`. False when the line names no value.
bool parseValueLine(const QString& line, Entry& entry)
{
    QString name;
    qsizetype equals = -1;
    if (line.startsWith(u'"')) {
        const auto onChar = [&](QChar c) {
            name += c;
            return true;
        };
        const auto onByte = [&](uchar b) { name += QChar(char16_t(b)); };
        qsizetype pos = parseQuoted(line, 0, onChar, onByte);
        if (pos < 0)
            return false;
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != u'=')
            return false;
        equals = pos;
    } else {
        equals = line.indexOf(u'=');
        if (equals < 0)
            return false;
        name = line.left(equals).trimmed();
        if (name.isEmpty())
            return false;
    }
    entry.isValue = true;
    entry.name = name;
    entry.value = parseValue(line.mid(equals + 1));
    return true;
}

Document parseDocument(const QByteArray& bytes)
{
    Document doc;
    QHash<QString, QSet<QString>> seen; // value names per key, folded, to keep the first of repeated names
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& raw = lines[i];
        QByteArrayView view(raw);
        if (i == 0 && view.startsWith("\xEF\xBB\xBF"))
            view = view.sliced(3);
        if (view.endsWith('\r'))
            view.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = QString(utf8(view)).trimmed();
        Entry entry;
        entry.raw = raw;
        if (utf8.hasError() || text.isEmpty() || text.startsWith(u';') || text.startsWith(u'#')) {
            // kept as it stands
        } else if (text.startsWith(u'[') && text.endsWith(u']') && text.size() >= 2) {
            doc.sections.append(Section{text.mid(1, text.size() - 2), raw, {}});
            continue;
        } else if (!doc.sections.isEmpty() && parseValueLine(text, entry)) {
            QSet<QString>& names = seen[doc.sections.last().path.toCaseFolded()];
            const QString folded = entry.name.toCaseFolded();
            if (names.contains(folded))
                entry = Entry{raw, false, QString(), std::nullopt};
            else
                names.insert(folded);
        }
        if (doc.sections.isEmpty())
            doc.preamble.append(raw);
        else
            doc.sections.last().entries.append(entry);
    }
    return doc;
}

QByteArray serialize(const Document& doc)
{
    QByteArray out;
    for (const QByteArray& line : doc.preamble)
        out += line + '\n';
    for (const Section& s : doc.sections) {
        out += s.header + '\n';
        for (const Entry& e : s.entries)
            out += e.raw + '\n';
    }
    return out;
}

Section* findSection(Document& doc, const QString& path)
{
    for (Section& s : doc.sections)
        if (samePath(s.path, path))
            return &s;
    return nullptr;
}

Entry* findValue(Document& doc, const QString& path, const QString& name)
{
    for (Section& s : doc.sections) {
        if (!samePath(s.path, path))
            continue;
        for (Entry& e : s.entries)
            if (e.isValue && samePath(e.name, name))
                return &e;
    }
    return nullptr;
}

Section& addSection(Document& doc, const QString& path)
{
    if (doc.preamble.isEmpty() && doc.sections.isEmpty())
        for (const char* line : NewFileComment)
            doc.preamble.append(QByteArray(line));
    // A blank line before the new key, unless there is one already.
    if (doc.sections.isEmpty()) {
        if (!doc.preamble.last().trimmed().isEmpty())
            doc.preamble.append(QByteArray());
    } else {
        QList<Entry>& last = doc.sections.last().entries;
        if (last.isEmpty() || last.last().isValue || !last.last().raw.trimmed().isEmpty())
            last.append(Entry{});
    }
    doc.sections.append(Section{path, (u'[' + path + u']').toUtf8(), {}});
    return doc.sections.last();
}

// Where the store lives. Keys keep their own copy, so a key stays usable after its store is gone.
class SettingsFile {
public:
    explicit SettingsFile(QString directory) : m_directory(std::move(directory)) {}

    QString fileName() const { return QDir(m_directory).filePath(SettingsFileName); }

    // The file as it is now; a missing file is an empty store, a file that cannot be read a failure.
    Document load() const
    {
        if (m_directory.isEmpty())
            throw StoreError(QStringLiteral("no folder for the settings"));
        QFile file(fileName());
        if (!file.exists())
            return {};
        if (!file.open(QIODevice::ReadOnly))
            throw StoreError(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw StoreError(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        return parseDocument(bytes);
    }

    // The whole file is replaced at once: it holds either the old or the new text, never a part.
    void save(const Document& doc) const
    {
        if (!QDir().mkpath(m_directory))
            throw StoreError(QStringLiteral("cannot create the folder %1").arg(m_directory));
        const QString reason = replaceFile(fileName(), serialize(doc));
        if (!reason.isEmpty())
            throw StoreError(QStringLiteral("cannot write %1: %2").arg(fileName(), reason));
    }

private:
    QString m_directory;
};

class FileKey final : public SettingsKey {
public:
    FileKey(SettingsFile file, QString path) : m_file(std::move(file)), m_path(std::move(path)) {}
    std::optional<StoredValue> read(const QString& name) override;
    void write(const QString& name, const StoredValue& value) override;
    void close() override { m_open = false; }

private:
    void checkOpen() const
    {
        if (!m_open)
            throw StoreError(QStringLiteral("the key is closed"));
    }

    SettingsFile m_file;
    QString m_path;
    bool m_open = true;
};

class FileStore final : public SettingsStore {
public:
    explicit FileStore(QString directory) : m_file(std::move(directory)) {}

    std::unique_ptr<SettingsKey> openKey(const QString& path) override
    {
        for (QChar c : path)
            if (c.unicode() < 0x20)
                throw StoreError(QStringLiteral("invalid key path"));
        Document doc = m_file.load();
        if (!findSection(doc, path)) {
            addSection(doc, path);
            m_file.save(doc);
        }
        return std::make_unique<FileKey>(m_file, path);
    }

private:
    SettingsFile m_file;
};

std::optional<StoredValue> FileKey::read(const QString& name)
{
    checkOpen();
    Document doc = m_file.load();
    const Entry* entry = findValue(doc, m_path, name);
    if (!entry)
        return std::nullopt;
    if (!entry->value)
        throw StoreError(QStringLiteral("the value \"%1\" cannot be read").arg(name));
    return entry->value;
}

void FileKey::write(const QString& name, const StoredValue& value)
{
    checkOpen();
    Document doc = m_file.load();
    if (Entry* entry = findValue(doc, m_path, name)) {
        entry->raw = formatValueLine(entry->name, value);
        entry->value = value;
    } else {
        Section* section = findSection(doc, m_path);
        if (!section)
            section = &addSection(doc, m_path);
        // After the key's last line that is not blank, so that blank separators stay at the end.
        qsizetype at = section->entries.size();
        while (at > 0 && !section->entries[at - 1].isValue && section->entries[at - 1].raw.trimmed().isEmpty())
            --at;
        section->entries.insert(at, Entry{formatValueLine(name, value), true, name, value});
    }
    m_file.save(doc);
}

} // namespace

std::unique_ptr<SettingsStore> makeFileSettingsStore(const QString& configDirectory)
{
    return std::make_unique<FileStore>(configDirectory);
}

QString defaultSettingsDirectory()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/korvanta");
}

} // namespace korvanta
