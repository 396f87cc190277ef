#pragma once

#include "base/error.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

namespace korvanta {

// The lock of a shared file could not be had; the message names the file.
class LockError : public Error {
public:
    using Error::Error;
};

// How long a copy waits for another copy's lock of a shared file before it gives up.
constexpr std::chrono::milliseconds LockWait{10000};

// An exclusive lock of a file that several copies of the programs change (a price list,
// clients.dat, the journal), held by a lock folder beside it: "<name>.lock". Making a folder is
// decided by the file server itself, where some share clients do not keep the creation of a new
// file exclusive between two computers. The file "holder" inside names the program, the computer
// and the process that hold it. The lock is held only for one read-modify-write, so a lock that
// stays is one a killed copy left: it is taken over at once when its process is gone from this very
// computer (same machine id and same host name), after StaleLockAge by the share's own clock when
// it comes from another computer, and after EmptyLockAge when it names nobody (a copy killed
// between making it and naming itself). Ages are judged by the modification time of a file just
// touched in the same folder, so a counter whose clock is off does not take a live lock. A lock
// file as older copies made it ("<name>.lock" holding the same text) is respected and taken over
// alike.
class FileLock {
public:
    // Waits at most `wait`, trying again every few milliseconds; throws LockError naming the file
    // when the lock cannot be had.
    explicit FileLock(const QString& fileName, std::chrono::milliseconds wait = LockWait);
    // Gives the lock back when release() was not called; a failure is only logged here.
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Gives the lock back, trying again for a moment when the lock file cannot be removed; throws
    // LockError when it still cannot (the lock then names nobody where possible, so that other
    // copies take it over after EmptyLockAge instead of StaleLockAge).
    void release();

    static QString lockFileName(const QString& fileName);
    // The file inside the lock that names its holder.
    static QString holderFileName(const QString& fileName);

    // Called before a wait begins and after it ends (the window shows a busy cursor meanwhile).
    // Not called when the lock is free at once.
    static void setWaitObserver(std::function<void(bool waiting)> observer);

    // Who this copy says it is in its lock files. Tests play another computer with it.
    static void setComputer(const QString& hostName, const QByteArray& machineId);

private:
    QString m_path;
    QByteArray m_content;
    bool m_held = false;
};

// A lock file naming its holder this long ago by the share's clock belongs to a dead copy.
constexpr std::chrono::milliseconds StaleLockAge{30000};
// A lock file naming nobody this long ago is not being written any more.
constexpr std::chrono::milliseconds EmptyLockAge{2000};

// True while this process holds the lock of `fileName`.
bool holdsLock(const QString& fileName);

// The whole locked update of a shared file: lock, then `update` (which reads the file as it is
// now, changes it and replaces it), then unlock. A swap of the file that a killed copy or a failing
// share cut short is finished or undone first, while the lock is held. A lock that cannot be given
// back after a successful update is reported (LockError).
void withFileLock(const QString& fileName, const std::function<void()>& update,
                  std::chrono::milliseconds wait = LockWait);

} // namespace korvanta
