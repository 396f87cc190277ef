#pragma once

#include <QByteArray>
#include <QString>

#include <system_error>

class QFile;

namespace korvanta {

// The few file operations whose outcome depends on the file system under the shop folder: a
// network share's client may carry out a rename over a file as "delete, then rename", refuse it
// while the file is open elsewhere, drop a write or show a file as missing while another computer
// swaps it. The atomic replace, the journal's append and the readers go through here, so tests can
// play such a share.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Renames `from` to `to`, replacing `to` where the system can.
    virtual std::error_code rename(const QString& from, const QString& to);
    // Makes the folder `path`; fails with EEXIST when anything is there under that name. File
    // servers decide this themselves, so it is exclusive where a share's client does not keep the
    // creation of a new file so.
    virtual std::error_code makeDirectory(const QString& path);
    // True when the file (or empty folder) is gone afterwards (also when it was not there).
    virtual bool remove(const QString& path);
    virtual bool exists(const QString& path);
    // True only when the system says nothing is there: a share's client that fails to answer for a
    // while (some say "input/output error" for seconds) has not shown the file gone.
    virtual bool surelyMissing(const QString& path);
    // Opens `file` for reading; false (with the file's error) when it cannot.
    virtual bool openForReading(QFile& file);
    // Writes `bytes` at `offset` of the open file and flushes them; false when refused.
    virtual bool writeAt(QFile& file, qint64 offset, const QByteArray& bytes);
    // The file's length as the system reports it now, not from a cache; -1 when unknown.
    virtual qint64 sizeOnDisk(const QString& path);
};

// The file system in use: the real one unless a test installed another.
FileSystem& fileSystem();
// Installs `system` (nullptr: the real one again). For tests; the caller keeps it alive.
void setFileSystem(FileSystem* system);

// The system's errors that mean "another program has the file open just now": worth a retry. Some
// share clients (smbnetfs over SMB3) say "input/output error" for it.
bool isSharingViolation(const std::error_code& error);

} // namespace korvanta
