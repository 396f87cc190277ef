#include "files/textlines.h"

#include "base/error.h"
#include "files/atomicfile.h"
#include "files/filelock.h"
#include "files/filesystem.h"
#include "text/cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace korvanta {

namespace {

// The first `c` in [from, end), or end.
const char* findByte(const char* from, const char* end, char c)
{
    const void* found = std::memchr(from, c, size_t(end - from));
    return found ? static_cast<const char*>(found) : end;
}

} // namespace

TextLines TextLines::fromBytes(QByteArray bytes)
{
    if (bytes.size() > MaxBytes)
        throw Error(QStringLiteral("File too large"));
    TextLines lines;
    Data& d = *lines.d;
    const char* const data = bytes.constData();
    const char* end = data + bytes.size();
    if (const void* nul = std::memchr(data, '\0', size_t(bytes.size())))
        end = static_cast<const char*>(nul);
    // Price-list lines run to about twenty bytes; reserving for eight spares regrowing the starts,
    // and what is reserved but never written takes no memory.
    d.starts.reserve(size_t((end - data) / 8 + 1));
    // The next CR and the next LF, each looked for again only once the split has passed it.
    const char* cr = findByte(data, end, '\r');
    const char* lf = findByte(data, end, '\n');
    const char* start = data;
    while (start < end) {
        if (cr < start)
            cr = findByte(start, end, '\r');
        if (lf < start)
            lf = findByte(start, end, '\n');
        const char* stop = std::min(cr, lf);
        d.starts.push_back(quint32(start - data));
        if (stop == end)
            break;
        start = stop == cr && stop + 1 < end && stop[1] == '\n' ? stop + 2 : stop + 1;
    }
    d.textEnd = end - data;
    d.bytes = std::move(bytes);
    return lines;
}

TextLines TextLines::fromStrings(const QStringList& strings)
{
    TextLines lines;
    for (const QString& s : strings)
        lines.append(s);
    return lines;
}

void TextLines::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        throw Error(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TextLines::at(int index) const
{
    return cp1251::decode(bytesAt(index));
}

QByteArrayView TextLines::bytesAt(int index) const
{
    checkIndex(index);
    const quint32 start = d->starts[size_t(index)];
    if (start & Changed)
        return d->changed[start & ~Changed];
    const char* const from = d->bytes.constData() + start;
    const char* const end = d->bytes.constData() + d->textEnd;
    const char* stop = from;
    while (stop < end && *stop != '\r' && *stop != '\n')
        ++stop;
    return QByteArrayView(from, stop - from);
}

void TextLines::replace(int index, const QString& text)
{
    checkIndex(index);
    Data& data = *d;
    quint32& start = data.starts[size_t(index)];
    if (start & Changed) {
        data.changed[start & ~Changed] = cp1251::encode(text);
        return;
    }
    data.changed.push_back(cp1251::encode(text));
    start = Changed | quint32(data.changed.size() - 1);
}

void TextLines::append(const QString& text)
{
    Data& data = *d;
    data.changed.push_back(cp1251::encode(text));
    data.starts.push_back(Changed | quint32(data.changed.size() - 1));
}

void TextLines::clear()
{
    d = new Data;
}

QByteArray TextLines::toFileBytes() const
{
    qsizetype total = 0;
    for (int i = 0; i < count(); ++i)
        total += bytesAt(i).size() + 2;
    QByteArray out;
    out.reserve(total);
    for (int i = 0; i < count(); ++i) {
        const QByteArrayView line = bytesAt(i);
        out.append(line.data(), line.size());
        out.append("\r\n", 2);
    }
    return out;
}

QStringList TextLines::toStringList() const
{
    QStringList out;
    out.reserve(count());
    for (int i = 0; i < count(); ++i)
        out.append(at(i));
    return out;
}

namespace {

// How long a reader waits for a list that another copy is swapping just now: while its whole new
// content lies beside it, else a moment (a share's client may not show that file yet either). A list
// that is there but cannot be opened or read is held open elsewhere (some share clients refuse it
// then, or say "input/output error", smbnetfs over SMB3 for seconds): it is tried again longer.
constexpr std::chrono::milliseconds SwapWait{1500};
constexpr std::chrono::milliseconds MissingWait{300};
constexpr std::chrono::milliseconds BusyWait{6000};
constexpr std::chrono::milliseconds SwapPause{10};

// On a share whose client renames as "delete, then rename", a list being swapped is missing for a
// moment: wait for the swap rather than report the list missing. A swap that a killed copy left
// undone is finished under the list's lock.
bool openDuringSwap(QFile& file)
{
    FileSystem& fs = fileSystem();
    const QString path = file.fileName();
    const auto start = std::chrono::steady_clock::now();
    bool swapping = false;
    bool busy = false;
    for (;;) {
        if (fs.openForReading(file))
            return true;
        // Not asked whether the file exists to give up: some share clients still show a file the
        // server no longer has, or not yet one it has.
        swapping = swapping || hasUnfinishedSwap(path);
        busy = busy || !fs.surelyMissing(path);
        if (std::chrono::steady_clock::now() >= start + (busy ? BusyWait : swapping ? SwapWait : MissingWait))
            break;
        std::this_thread::sleep_for(SwapPause);
    }
    if (!swapping || holdsLock(path))
        return false;
    withFileLock(path, [] {});
    return fs.openForReading(file);
}

} // namespace

TextLines loadTextFile(const QString& fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (QFileInfo(fileName).isDir())
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, QStringLiteral("Is a directory")));
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        QFile file(fileName);
        if (!openDuringSwap(file))
            throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
        if (file.size() > TextLines::MaxBytes)
            throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, QStringLiteral("File too large")));
        QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return TextLines::fromBytes(std::move(bytes));
        // Some share clients lose an open file when another computer swaps it in the middle of the
        // read, or refuse the read while another computer has it open: the list is read anew, as it
        // now is.
        if (std::chrono::steady_clock::now() >= start + BusyWait)
            throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
        std::this_thread::sleep_for(SwapPause);
    }
}

void saveTextFile(const QString& fileName, const TextLines& lines)
{
    const QString reason = replaceFile(fileName, lines.toFileBytes());
    if (!reason.isEmpty())
        throw Error(
            QStringLiteral("Cannot create file \"%1\". %2").arg(QFileInfo(fileName).absoluteFilePath(), reason));
}

} // namespace korvanta
