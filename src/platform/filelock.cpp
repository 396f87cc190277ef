#include "filelock.h"

#include "atomicfile.h"
#include "error.h"

#include <QFileInfo>

namespace korvanta {

namespace {

std::function<void(bool)>& waitObserver()
{
    static std::function<void(bool)> observer;
    return observer;
}

// A lock is held for one update of one file, milliseconds; one this old was left by a dead copy.
constexpr int StaleLockMs = 30000;

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
    const bool locked = m_lock.tryLock(int(wait.count()));
    if (waitObserver())
        waitObserver()(false);
    if (!locked) {
        const QString name = QFileInfo(fileName).fileName();
        if (m_lock.error() == QLockFile::LockFailedError)
            throw Error(QStringLiteral("Файл \"%1\" занят другой копией программы. Повторите позже.").arg(name));
        throw Error(QStringLiteral("Нет доступа к файлу блокировки \"%1\".").arg(lockFileName(fileName)));
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
