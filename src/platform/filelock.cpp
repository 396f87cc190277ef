#include "filelock.h"

#include "atomicfile.h"
#include "error.h"

#include <QFileInfo>

#include <algorithm>
#include <thread>

namespace korvanta {

namespace {

std::function<void(bool)>& waitObserver()
{
    static std::function<void(bool)> observer;
    return observer;
}

// A lock is held for one update of one file, milliseconds; one this old was left by a dead copy.
constexpr int StaleLockMs = 30000;
// The longest pause between two tries while waiting: short, since a lock is held for milliseconds.
constexpr std::chrono::milliseconds MaxPause{20};

} // namespace

QString FileLock::lockFileName(const QString& fileName)
{
    return QFileInfo(fileName).absoluteFilePath() + QStringLiteral(".lock");
}

void FileLock::setWaitObserver(std::function<void(bool)> observer)
{
    waitObserver() = std::move(observer);
}

FileLock::FileLock(const QString& fileName, std::chrono::milliseconds wait) : m_lock(lockFileName(fileName))
{
    m_lock.setStaleLockTime(StaleLockMs);
    if (m_lock.tryLock(0))
        return;
    if (waitObserver())
        waitObserver()(true);
    // QLockFile's own wait sleeps ever longer between tries (a tenth of a second, then doubling), so
    // a copy could miss a lock that is free again after a few milliseconds, over and over: try often.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    bool locked = false;
    while (!(locked = m_lock.tryLock(0)) && m_lock.error() == QLockFile::LockFailedError) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, MaxPause);
    }
    if (waitObserver())
        waitObserver()(false);
    if (!locked) {
        const QString name = QFileInfo(fileName).fileName();
        if (m_lock.error() == QLockFile::LockFailedError)
            throw LockError(QStringLiteral("Файл \"%1\" занят другой копией программы.").arg(name));
        throw LockError(QStringLiteral("Нет доступа к файлу блокировки \"%1\".").arg(lockFileName(fileName)));
    }
}

FileLock::~FileLock() = default;

void withFileLock(const QString& fileName, const std::function<void()>& update, std::chrono::milliseconds wait)
{
    FileLock lock(fileName, wait);
    removeLeftovers(fileName);
    update();
}

} // namespace korvanta
