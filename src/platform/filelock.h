#pragma once

#include "error.h"

#include <QLockFile>
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
// clients.dat, the journal), held by a lock file beside it: "<name>.lock". The lock is held only
// for one read-modify-write, so a lock file older than a few seconds belongs to a copy that was
// killed; QLockFile takes such a lock over (on another computer of a shared folder, by its age).
class FileLock {
public:
    // Waits at most `wait`, trying again every few milliseconds; throws LockError naming the file
    // when the lock cannot be had.
    explicit FileLock(const QString& fileName, std::chrono::milliseconds wait = LockWait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    static QString lockFileName(const QString& fileName);

    // Called before a wait begins and after it ends (the window shows a busy cursor meanwhile).
    // Not called when the lock is free at once.
    static void setWaitObserver(std::function<void(bool waiting)> observer);

private:
    QLockFile m_lock;
};

// The whole locked update of a shared file: lock, then `update` (which reads the file as it is
// now, changes it and replaces it), then unlock. Leftover temporary files of the file from a
// killed copy are removed while the lock is held.
void withFileLock(const QString& fileName, const std::function<void()>& update,
                  std::chrono::milliseconds wait = LockWait);

} // namespace korvanta
