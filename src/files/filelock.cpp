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
// How long a lock file that cannot be made is tried again.
constexpr std::chrono::milliseconds RefusalRetry{1000};
// How long a lock file that cannot be removed is tried again.
constexpr std::chrono::milliseconds ReleaseRetry{2000};
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

struct Snapshot {
    bool exists = false;
    qint64 size = -1;
    qint64 modified = 0; // ms since the epoch, by the share's clock
    QByteArray content;

    bool operator==(const Snapshot& o) const
    {
        return exists == o.exists && size == o.size && modified == o.modified && content == o.content;
    }
};

// `known`: the lock as last seen. Its content is read again only when the file changed: on a share
// every open of the lock file makes its holder's removal fail meanwhile.
Snapshot snapshotOf(const QString& path, const Snapshot* known = nullptr)
{
    Snapshot s;
    const QFileInfo info(path);
    s.exists = info.exists();
    s.size = info.size();
    s.modified = info.lastModified().toMSecsSinceEpoch();
    if (!s.exists)
        return s;
    if (known && known->exists && known->size == s.size && known->modified == s.modified) {
        s.content = known->content;
        return s;
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        s.content = file.read(4096);
    return s;
}

// The file server's time, read once from a file touched in the lock's folder and carried on by the
// monotonic clock: a counter's own clock may be off by minutes.
class ShareClock {
public:
    explicit ShareClock(QString folder) : m_folder(std::move(folder)) {}
    qint64 now()
    {
        const auto steady = std::chrono::steady_clock::now();
        if (!m_start) {
            m_start = steady;
            m_base = readShare();
        }
        return m_base + std::chrono::duration_cast<std::chrono::milliseconds>(steady - *m_start).count();
    }

private:
    qint64 readShare() const
    {
        const QString path = QDir(m_folder).filePath(ClockFile);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("t") == 1 && file.flush()) {
            file.close();
            const QFileInfo info(path);
            if (info.exists())
                return info.lastModified().toMSecsSinceEpoch();
        }
        return QDateTime::currentMSecsSinceEpoch(); // a folder that takes no file takes no lock either
    }

    QString m_folder;
    std::optional<std::chrono::steady_clock::time_point> m_start;
    qint64 m_base = 0;
};

bool isStale(const Snapshot& lock, ShareClock& clock)
{
    const std::optional<Holder> holder = holderOf(lock.content);
    const Computer& here = thisComputer();
    // A cloned computer shares the machine id; the host name tells it apart.
    if (holder && holder->host == here.host && holder->machineId == here.machineId && !processAlive(holder->pid))
        return true;
    const qint64 age = clock.now() - lock.modified;
    return age > (holder ? StaleLockAge : EmptyLockAge).count();
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

} // namespace

QString FileLock::lockFileName(const QString& fileName)
{
    return QFileInfo(fileName).absoluteFilePath() + QStringLiteral(".lock");
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
    QString refusal;
    Snapshot seen;
    const auto attempt = [&]() -> Attempt {
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.write(m_content) != m_content.size() || !file.flush()) {
                refusal = file.errorString();
                file.close();
                fileSystem().remove(m_path);
                return Attempt::Refused;
            }
            file.close();
            return Attempt::Taken;
        }
        const Snapshot lock = snapshotOf(m_path, &seen);
        seen = lock;
        if (!lock.exists) {
            // Given back just now, or a folder that takes no file: the next try tells.
            refusal = file.errorString();
            return QFileInfo(m_path).absoluteDir().exists() && QFileInfo(QFileInfo(m_path).absolutePath()).isWritable()
                       ? Attempt::Busy
                       : Attempt::Refused;
        }
        // Taken over only as it was judged: a copy that took it meanwhile made a new one.
        if (isStale(lock, clock) && snapshotOf(m_path) == lock)
            fileSystem().remove(m_path);
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
    if (!now.exists || (now.size >= 0 && !now.content.isEmpty() && now.content != m_content))
        return;
    const auto deadline = std::chrono::steady_clock::now() + ReleaseRetry;
    for (;;) {
        if (fs.remove(m_path) || !fs.exists(m_path))
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(MaxPause);
    }
    // An empty lock is taken over after a few seconds rather than half a minute.
    QFile file(m_path);
    const bool emptied = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.close();
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
