#pragma once

#include "files/filesystem.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <functional>

// A file system that plays a network share's client: a rename over a file carried out as "delete
// the target, then rename", renames refused for a while, writes that never arrive, a file missing
// for a moment. Everything else reaches the real disk. Installed for its own lifetime.
namespace korvanta::testing {

// Thrown where the copy is "killed": nothing after it runs.
struct Killed {};

struct FakeFileSystem : FileSystem {
    bool deleteThenRename = false; // a rename over an existing file first deletes the target
    bool killAfterDelete = false;  // ... and the copy dies right after the delete
    bool noReplace = false;        // a rename over an existing file fails with EEXIST
    int refusedRenames = 0;        // the next that many swaps into a file's own name fail; -1: all
    std::error_code refusal = std::make_error_code(std::errc::device_or_resource_busy);
    QString missingName;             // opens of this file's name fail as "missing" ...
    int missingOpens = 0;            // ... that many times; -1: always
    bool shownWhileMissing = false;  // ... while the file is still shown (held open elsewhere)
    qint64 arrivingBytes = -1;       // >= 0: a write says it wrote all but only that many bytes arrive
    int failedWrites = 0;            // the next that many writes fail with EIO; -1: all
    QString refusedRemovalSuffix;    // removals of names ending so fail
    std::function<void()> afterEach; // called after every rename, to look at the disk meanwhile

    FakeFileSystem() { setFileSystem(this); }
    ~FakeFileSystem() override { setFileSystem(nullptr); }

    std::error_code rename(const QString& from, const QString& to) override
    {
        const bool over = QFileInfo::exists(to);
        if (over && noReplace)
            return std::make_error_code(std::errc::file_exists);
        if (over && deleteThenRename) {
            QFile::remove(to);
            if (afterEach)
                afterEach();
            if (killAfterDelete)
                throw Killed{};
        }
        std::error_code result;
        if (!to.contains(QStringLiteral(".korvanta-")) && refusedRenames != 0) {
            if (refusedRenames > 0)
                --refusedRenames;
            result = refusal;
        } else {
            result = FileSystem::rename(from, to);
        }
        if (afterEach)
            afterEach();
        return result;
    }
    bool remove(const QString& path) override
    {
        if (!refusedRemovalSuffix.isEmpty() && path.endsWith(refusedRemovalSuffix))
            return false;
        return FileSystem::remove(path);
    }
    bool surelyMissing(const QString& path) override
    {
        return (missingNow(path) && !shownWhileMissing) || FileSystem::surelyMissing(path);
    }
    bool exists(const QString& path) override
    {
        return (shownWhileMissing || !missingNow(path)) && FileSystem::exists(path);
    }
    bool openForReading(QFile& file) override
    {
        if (missingNow(file.fileName())) {
            if (missingOpens > 0)
                --missingOpens;
            QFile absent(file.fileName() + QStringLiteral(".absent"));
            return absent.open(QIODevice::ReadOnly);
        }
        return FileSystem::openForReading(file);
    }
    bool writeAt(QFile& file, qint64 offset, const QByteArray& bytes) override
    {
        if (failedWrites != 0) {
            if (failedWrites > 0)
                --failedWrites;
            errno = EIO;
            return false;
        }
        if (arrivingBytes < 0)
            return FileSystem::writeAt(file, offset, bytes);
        FileSystem::writeAt(file, offset, bytes.left(arrivingBytes));
        return true;
    }

private:
    bool missingNow(const QString& path) const
    {
        return missingOpens != 0 && QFileInfo(path).fileName() == missingName;
    }
};

} // namespace korvanta::testing
