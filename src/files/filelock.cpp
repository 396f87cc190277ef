#include "files/filelock.h"

#include "base/error.h"
#include "files/atomicfile.h"
#include "files/filesystem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <QSysInfo>

#include <algorithm>
#include <optional>
#include <thread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace korvanta {

namespace {

std::function<void(bool)>& waitObserver()
{
    static std::function<void(bool)> observer;
    return observer;
}

// The longest pause between two tries while waiting: short, since a lock is held for milliseconds.
constexpr std::chrono::milliseconds MaxPause{20};
// How often a lock that stays is looked at, to tell whether it is left behind.
constexpr std::chrono::milliseconds LookInterval{250};
// How long a lock file that cannot be made is tried again.
constexpr std::chrono::milliseconds RefusalRetry{1000};
// How long a lock that cannot be removed is tried again: a share's client may fail for seconds.
constexpr std::chrono::milliseconds ReleaseRetry{5000};
// Touched to read the share's clock: its modification time is set by the file server.
const QString ClockFile = QStringLiteral(".korvanta.clock");

struct Computer {
    QString host = QSysInfo::machineHostName();
    QByteArray machineId = QSysInfo::machineUniqueId();
};

Computer& thisComputer()
{
    static Computer computer;
    return computer;
}

// The locks this process holds, so that a reader inside an update does not wait for its own lock.
QMutex heldMutex;
QSet<QString>& heldHere()
{
    static QSet<QString> held;
    return held;
}

struct Holder {
    qint64 pid = 0;
    QString host;
    QByteArray machineId;
};

// "<pid>\n<program>\n<host>\n<machine id>\n<token>\n"; nothing when the file names nobody (empty,
// cut short by a kill, not ours).
std::optional<Holder> holderOf(const QByteArray& content)
{
    const QList<QByteArray> lines = content.split('\n');
    if (lines.size() < 6 || !content.endsWith('\n'))
        return std::nullopt;
    Holder holder;
    bool ok = false;
    holder.pid = lines.at(0).toLongLong(&ok);
    holder.host = QString::fromUtf8(lines.at(2));
    holder.machineId = lines.at(3);
    if (!ok || holder.pid <= 0 || holder.host.isEmpty() || lines.at(4).isEmpty())
        return std::nullopt;
    return holder;
}

bool processAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true;
#endif
}

// Where a lock names its holder: a file inside the lock's folder.
const QString HolderFile = QStringLiteral("holder");

QString holderPath(const QString& lockPath)
{
    return lockPath + QLatin1Char('/') + HolderFile;
}

struct Snapshot {
    bool exists = false;
    bool folder = false; // a file is a lock as older copies made it
    qint64 size = -1;
    qint64 modified = 0; // ms since the epoch, by the share's clock
    QByteArray content;

    bool operator==(const Snapshot& o) const
    {
        return exists == o.exists && folder == o.folder && size == o.size && modified == o.modified &&
               content == o.content;
    }
};

// `known`: the lock as last seen. Its content is read again only when it changed: on a share every
// open of the holder's file makes its holder's removal fail meanwhile. A lock folder without its
// holder's file dates from the folder's making.
Snapshot snapshotOf(const QString& path, const Snapshot* known = nullptr)
{
    Snapshot s;
    const QFileInfo lock(path);
    s.exists = lock.exists();
    if (!s.exists)
        return s;
    s.folder = lock.isDir();
    const QFileInfo info(s.folder ? holderPath(path) : path);
    const QFileInfo& dated = info.exists() ? info : lock;
    s.size = info.exists() ? info.size() : -1;
    s.modified = dated.lastModified().toMSecsSinceEpoch();
    if (s.size <= 0)
        return s;
    if (known && known->exists && known->folder == s.folder && known->size == s.size && known->modified == s.modified) {
        s.content = known->content;
        return s;
    }
    QFile file(info.filePath());
    if (file.open(QIODevice::ReadOnly))
        s.content = file.read(4096);
    return s;
}

// Removes a lock, its holder's file first: a lock folder left empty names nobody and is taken
// over after EmptyLockAge.
bool removeLock(const QString& path)
{
    FileSystem& fs = fileSystem();
    if (QFileInfo(path).isDir() && !fs.remove(holderPath(path)))
        return false;
    return fs.remove(path);
}

// The file server's time, read from a file touched in the lock's folder and carried on by the
// monotonic clock: a counter's own clock may be off by minutes. Unknown while the share refuses the
// touch (another computer may be touching it just now); it is read again at the next look.
class ShareClock {
public:
    explicit ShareClock(QString folder) : m_folder(std::move(folder)) {}
    std::optional<qint64> now()
    {
        const auto steady = std::chrono::steady_clock::now();
        if (!m_base) {
            m_base = readShare();
            m_start = steady;
        }
        if (!m_base)
            return std::nullopt;
        return *m_base + std::chrono::duration_cast<std::chrono::milliseconds>(steady - m_start).count();
    }

private:
    std::optional<qint64> readShare() const
    {
        const QString path = QDir(m_folder).filePath(ClockFile);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("t") == 1 && file.flush()) {
            file.close();
            const QFileInfo info(path);
            if (info.exists())
                return info.lastModified().toMSecsSinceEpoch();
        }
        return std::nullopt;
    }

    QString m_folder;
    std::chrono::steady_clock::time_point m_start;
    std::optional<qint64> m_base;
};

// Without the share's time only a lock of this very computer whose process is gone is stale: the
// counter's own clock might take a live lock of another computer for an old one.
bool isStale(const Snapshot& lock, ShareClock& clock)
{
    const std::optional<Holder> holder = holderOf(lock.content);
    const Computer& here = thisComputer();
    // A cloned computer shares the machine id; the host name tells it apart.
    if (holder && holder->host == here.host && holder->machineId == here.machineId && !processAlive(holder->pid))
        return true;
    const std::optional<qint64> now = clock.now();
    return now && *now - lock.modified > (holder ? StaleLockAge : EmptyLockAge).count();
}

QByteArray ownContent()
{
    const Computer& here = thisComputer();
    QByteArray content = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    content += QCoreApplication::applicationName().toUtf8().replace('\n', ' ') + '\n';
    content += here.host.toUtf8().replace('\n', ' ') + '\n';
    content += QByteArray(here.machineId).replace('\n', ' ') + '\n';
    content += QByteArray::number(QRandomGenerator::global()->generate64(), 16) + '\n';
    return content;
}

enum class Attempt { Taken, Busy, Refused };

// The errors of making a lock that say the folder takes none (rather than "taken just now"): tried
// again for a moment, then reported.
bool refusesLocks(const std::error_code& error)
{
    for (const std::errc refusal :
         {std::errc::permission_denied, std::errc::operation_not_permitted, std::errc::read_only_file_system,
          std::errc::no_such_file_or_directory, std::errc::not_a_directory, std::errc::no_space_on_device})
        if (error == refusal)
            return true;
    return false;
}

} // namespace

QString FileLock::lockFileName(const QString& fileName)
{
    return QFileInfo(fileName).absoluteFilePath() + QStringLiteral(".lock");
}

QString FileLock::holderFileName(const QString& fileName)
{
    return holderPath(lockFileName(fileName));
}

void FileLock::setWaitObserver(std::function<void(bool)> observer)
{
    waitObserver() = std::move(observer);
}

void FileLock::setComputer(const QString& hostName, const QByteArray& machineId)
{
    thisComputer() = Computer{hostName, machineId};
}

bool holdsLock(const QString& fileName)
{
    QMutexLocker locker(&heldMutex);
    return heldHere().contains(FileLock::lockFileName(fileName));
}

FileLock::FileLock(const QString& fileName, std::chrono::milliseconds wait)
    : m_path(lockFileName(fileName)), m_content(ownContent())
{
    ShareClock clock(QFileInfo(m_path).absolutePath());
    Snapshot seen;
    std::optional<std::chrono::steady_clock::time_point> lastLook;
    const auto attempt = [&]() -> Attempt {
        FileSystem& fs = fileSystem();
        const std::error_code made = fs.makeDirectory(m_path);
        if (!made) {
            QFile holder(holderPath(m_path));
            const bool named =
                holder.open(QIODevice::WriteOnly | QIODevice::NewOnly) && fs.writeAt(holder, 0, m_content);
            holder.close();
            if (named)
                return Attempt::Taken;
            removeLock(m_path);
            return Attempt::Refused;
        }
        // A folder that takes no lock is told by a look at what is there.
        if (refusesLocks(made)) {
            seen = snapshotOf(m_path, &seen);
            lastLook = std::chrono::steady_clock::now();
            if (!seen.exists)
                return Attempt::Refused;
        }
        // Anything else is a lock of another copy, or one given back just now (some share clients
        // say "input/output error" while the server still removes it). It is looked at only now
        // and then: on a share every look at it may hold up its holder's removal.
        const auto now = std::chrono::steady_clock::now();
        if (lastLook && now < *lastLook + LookInterval)
            return Attempt::Busy;
        lastLook = now;
        const Snapshot lock = snapshotOf(m_path, &seen);
        seen = lock;
        if (!lock.exists)
            return Attempt::Busy;
        // Taken over only as it was judged: a copy that took it meanwhile made a new one.
        if (isStale(lock, clock) && snapshotOf(m_path) == lock)
            removeLock(m_path);
        return Attempt::Busy;
    };

    Attempt result = attempt();
    if (result != Attempt::Taken) {
        if (waitObserver())
            waitObserver()(true);
        // Tries often: a lock is free again after a few milliseconds. A refusal is tried again for
        // a moment: a share's client may refuse a file another computer has open just now.
        auto refusedSince = std::chrono::steady_clock::now();
        const auto deadline = refusedSince + wait;
        auto pause = std::chrono::milliseconds(1);
        for (;;) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline || (result == Attempt::Refused && now >= refusedSince + RefusalRetry))
                break;
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
            pause = std::min(pause * 2, MaxPause);
            const Attempt previous = result;
            if ((result = attempt()) == Attempt::Taken)
                break;
            if (result == Attempt::Refused && previous != Attempt::Refused)
                refusedSince = std::chrono::steady_clock::now();
        }
        if (waitObserver())
            waitObserver()(false);
    }
    if (result == Attempt::Busy)
        throw LockError(
            QStringLiteral("Файл \"%1\" занят другой копией программы.").arg(QFileInfo(fileName).fileName()));
    if (result == Attempt::Refused)
        throw LockError(QStringLiteral("Нет доступа к файлу блокировки \"%1\".").arg(m_path));
    m_held = true;
    QMutexLocker locker(&heldMutex);
    heldHere().insert(m_path);
}

FileLock::~FileLock()
{
    try {
        release();
    } catch (const Error& e) {
        qWarning("%s", e.what());
    }
}

void FileLock::release()
{
    if (!m_held)
        return;
    m_held = false;
    {
        QMutexLocker locker(&heldMutex);
        heldHere().remove(m_path);
    }
    FileSystem& fs = fileSystem();
    // Only our own lock goes: one that another copy took over (ours judged dead) stays its own.
    const Snapshot now = snapshotOf(m_path);
    if (!now.exists || (now.size > 0 && !now.content.isEmpty() && now.content != m_content))
        return;
    const auto deadline = std::chrono::steady_clock::now() + ReleaseRetry;
    for (;;) {
        if (removeLock(m_path) || fs.surelyMissing(m_path))
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(MaxPause);
    }
    // A lock naming nobody is taken over after a few seconds rather than half a minute.
    const bool folder = QFileInfo(m_path).isDir();
    bool emptied = folder && !fs.exists(holderPath(m_path));
    if (!emptied) {
        QFile file(folder ? holderPath(m_path) : m_path);
        emptied = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    throw LockError(QStringLiteral("Не удалось удалить файл блокировки \"%1\". Другие копии программы смогут "
                                   "работать с этим файлом через %2.")
                        .arg(m_path, emptied ? QStringLiteral("несколько секунд") : QStringLiteral("полминуты")));
}

void withFileLock(const QString& fileName, const std::function<void()>& update, std::chrono::milliseconds wait)
{
    FileLock lock(fileName, wait);
    recoverReplace(fileName);
    update();
    lock.release();
}

} // namespace korvanta
