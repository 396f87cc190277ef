#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

class QFileSystemWatcher;

namespace korvanta {

// What the disk says about a file without reading it: a replaced or rewritten file shows a new
// size, time or identity.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    qint64 modified = 0;  // nanoseconds where the system keeps them
    quint64 identity = 0; // the inode where there is one: a file swapped in has a new one
    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && size == o.size && modified == o.modified && identity == o.identity;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
FileStamp fileStamp(const QString& path);

// Tells when followed files of the shop folder are changed or replaced by anyone. The system's
// notices (which lose a file swapped in unless it is added again, and are silent on many network
// shares) only prompt a look at the stamps; a look is also taken every `pollMs` milliseconds.
// Reading the files is left to whoever follows them.
class ShopWatcher : public QObject {
    Q_OBJECT
public:
    // `directory` empty: the working folder.
    explicit ShopWatcher(const QString& directory, int pollMs = 1000, QObject* parent = nullptr);

    // Follows the file (a bare name in the folder) from its stamp now on.
    void follow(const QString& fileName);
    // Compares every followed file's stamp with the last one seen, emitting changed() for each
    // that differs. Returns how many did.
    int check();

signals:
    void changed(const QString& fileName);

private:
    void watchPaths();

    QString m_directory;
    QFileSystemWatcher* m_watcher;
    QTimer m_settle; // notices come in bursts: one look after them
    QTimer m_poll;
    QHash<QString, FileStamp> m_stamps;
};

} // namespace korvanta
