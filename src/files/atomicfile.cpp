#include "files/atomicfile.h"

#include "files/filesystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace korvanta {

namespace {

// Being written: may be a part. Finished: whole, waiting to be swapped in.
const QString WritingMark = QStringLiteral(".korvanta-new-");
const QString FinishedMark = QStringLiteral(".korvanta-ready-");

// How long a rename refused for a file open elsewhere (an antivirus, a backup, a reader on another
// computer) is tried again.
constexpr std::chrono::milliseconds SharingRetry{6000};

// Short and uneven: against readers that open the file over and over, a rename goes through in a
// moment when none has it open.
void pauseBeforeRetry()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1 + QRandomGenerator::global()->bounded(8)));
}

// Whether the file itself may be written, asked without opening it for writing: on some shares an
// open for writing is refused or hangs where a rename works.
QString notWritableReason(const QString& path)
{
#ifdef Q_OS_UNIX
    // A share's client may fail to answer while another computer has the file open: asked again.
    const auto deadline = std::chrono::steady_clock::now() + SharingRetry;
    while (::access(QFile::encodeName(path).constData(), W_OK) != 0) {
        const int error = errno;
        if ((error != EIO && error != EBUSY) || std::chrono::steady_clock::now() >= deadline)
            return QString::fromLocal8Bit(std::strerror(error));
        pauseBeforeRetry();
    }
    return {};
#else
    return QFileInfo(path).isWritable() ? QString() : QStringLiteral("Access denied");
#endif
}

QString reasonOf(const std::error_code& error)
{
    return QString::fromLocal8Bit(error.message().c_str());
}

QStringList leftovers(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QStringList names =
        info.absoluteDir().entryList({info.fileName() + QStringLiteral(".korvanta-*")}, QDir::Files | QDir::Hidden);
    QStringList out;
    for (const QString& name : names)
        if (isLeftoverOf(fileName, name))
            out.append(info.absoluteDir().filePath(name));
    return out;
}

// Renames a temporary file of ours: a share's client may still hold it open for a moment after it
// was closed (and refuse the rename as a sharing violation).
std::error_code renameOwn(const QString& from, const QString& to)
{
    const auto deadline = std::chrono::steady_clock::now() + SharingRetry;
    for (;;) {
        const std::error_code error = fileSystem().rename(from, to);
        if (!error || !isSharingViolation(error) || std::chrono::steady_clock::now() >= deadline)
            return error;
        pauseBeforeRetry();
    }
}

// Swaps the finished file in. After a refused rename it looks at what is on the disk before it
// removes anything: where the client had already deleted the old file, the new one is the only
// content left and is never removed.
QString swapIn(const QString& finished, const QString& target)
{
    FileSystem& fs = fileSystem();
    const auto deadline = std::chrono::steady_clock::now() + SharingRetry;
    for (;;) {
        const std::error_code error = fs.rename(finished, target);
        if (!error)
            return {};
        const bool newThere = fs.exists(finished);
        const bool targetThere = fs.exists(target);
        if (!newThere)
            return targetThere ? QString() : reasonOf(error); // the rename went through after all
        // A client that does not replace (or thinks the name free, from a cached view) says the
        // file exists: the old file is removed first, as such clients do themselves; the whole
        // new one is beside it meanwhile.
        if (targetThere && error == std::errc::file_exists && fs.remove(target))
            continue;
        const bool retry = !targetThere || isSharingViolation(error) || error == std::errc::file_exists;
        if (retry && std::chrono::steady_clock::now() < deadline) {
            pauseBeforeRetry();
            continue;
        }
        if (targetThere)
            fs.remove(finished); // the old content is still in place: undo
        return reasonOf(error);
    }
}

} // namespace

bool syncToDisk(QFile& file)
{
#if defined(Q_OS_LINUX)
    return ::fdatasync(file.handle()) == 0; // the bytes and the length, not the times
#elif defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

QString replaceFile(const QString& fileName, const QByteArray& bytes)
{
    const QFileInfo info(fileName);
    if (info.isDir())
        return QStringLiteral("Is a directory");
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (info.exists()) {
        // The rename below would step over a file's own protection; only go on where the file
        // itself could be written in place.
        const QString refused = notWritableReason(info.absoluteFilePath());
        if (!refused.isEmpty())
            return refused;
        permissions = info.permissions();
    }
    QString written;
    // Some share clients answer "input/output error" to everything for a few seconds while their
    // connection recovers: the new content is written again, into a new temporary file.
    const auto deadline = std::chrono::steady_clock::now() + SharingRetry;
    for (;;) {
        QTemporaryFile temp(temporaryNameTemplate(fileName));
        const bool done = temp.open() && fileSystem().writeAt(temp, 0, bytes) && syncToDisk(temp);
        const int error = errno;
        if (done) {
            temp.setPermissions(permissions);
            temp.close(); // no handle stays open on a file being renamed: some shares refuse that
            temp.setAutoRemove(false);
            written = temp.fileName();
            break;
        }
        if (error != EIO || std::chrono::steady_clock::now() >= deadline)
            return temp.errorString().isEmpty() ? QString::fromLocal8Bit(std::strerror(error)) : temp.errorString();
        pauseBeforeRetry();
    }
    // Marked whole by its name, so that a swap cut short is finished only with a whole content.
    const QString finished = finishedName(written);
    if (const std::error_code error = renameOwn(written, finished)) {
        fileSystem().remove(written);
        return reasonOf(error);
    }
    return swapIn(finished, info.absoluteFilePath());
}

QString temporaryNameTemplate(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.absolutePath() + QLatin1Char('/') + info.fileName() + WritingMark + QStringLiteral("XXXXXX");
}

QString finishedName(const QString& temporaryName)
{
    QString name = temporaryName;
    const qsizetype at = name.lastIndexOf(WritingMark);
    return at < 0 ? name + FinishedMark : name.replace(at, WritingMark.size(), FinishedMark);
}

bool isLeftoverOf(const QString& fileName, const QString& candidate)
{
    static const QRegularExpression tail(QStringLiteral("^[A-Za-z0-9]{6}$"));
    const QString base = QFileInfo(fileName).fileName();
    for (const QString& mark : {WritingMark, FinishedMark}) {
        const QString prefix = base + mark;
        if (candidate.startsWith(prefix) && tail.match(candidate.mid(prefix.size())).hasMatch())
            return true;
    }
    return false;
}

bool hasUnfinishedSwap(const QString& fileName)
{
    const QStringList found = leftovers(fileName);
    return std::any_of(found.begin(), found.end(), [](const QString& path) { return path.contains(FinishedMark); });
}

void recoverReplace(const QString& fileName)
{
    FileSystem& fs = fileSystem();
    const QString target = QFileInfo(fileName).absoluteFilePath();
    QStringList found = leftovers(fileName);
    if (found.isEmpty())
        return;
    if (!fs.exists(target)) {
        // The old content is gone: the newest whole new one is what the interrupted copy wrote last.
        QString newest;
        QDateTime newestTime;
        for (const QString& path : found) {
            if (!path.contains(FinishedMark))
                continue;
            const QDateTime time = QFileInfo(path).lastModified();
            if (newest.isEmpty() || time > newestTime) {
                newest = path;
                newestTime = time;
            }
        }
        if (!newest.isEmpty() && !fs.rename(newest, target))
            found.removeOne(newest);
    }
    // While the file is still missing, no whole content of it is thrown away.
    const bool targetThere = fs.exists(target);
    for (const QString& path : found)
        if (targetThere || !path.contains(FinishedMark))
            fs.remove(path);
}

} // namespace korvanta
