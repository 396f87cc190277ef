#include "files/shopwatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace korvanta {

FileStamp fileStamp(const QString& path)
{
    FileStamp s;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.size = qint64(st.st_size);
    s.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
    s.identity = quint64(st.st_ino);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return s;
    s.exists = true;
    s.size = info.size();
    s.modified = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return s;
}

ShopWatcher::ShopWatcher(const QString& directory, int pollMs, QObject* parent)
    : QObject(parent), m_directory(QDir(directory.isEmpty() ? QDir::currentPath() : directory).absolutePath()),
      m_watcher(new QFileSystemWatcher(this))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(50);
    connect(&m_settle, &QTimer::timeout, this, &ShopWatcher::check);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    if (pollMs > 0) {
        m_poll.setInterval(pollMs);
        connect(&m_poll, &QTimer::timeout, this, &ShopWatcher::check);
        m_poll.start();
    }
    // A file swapped in by rename shows in its folder.
    m_watcher->addPath(m_directory);
}

void ShopWatcher::follow(const QString& fileName)
{
    m_stamps.insert(fileName, fileStamp(QDir(m_directory).filePath(fileName)));
    watchPaths();
}

void ShopWatcher::watchPaths()
{
    const QStringList watched = m_watcher->files();
    for (auto it = m_stamps.cbegin(); it != m_stamps.cend(); ++it) {
        const QString path = QDir(m_directory).filePath(it.key());
        // The system drops a file that was replaced: it is added again while it exists.
        if (it.value().exists && !watched.contains(path))
            m_watcher->addPath(path);
    }
}

int ShopWatcher::check()
{
    QStringList changedFiles;
    for (auto it = m_stamps.begin(); it != m_stamps.end(); ++it) {
        const FileStamp now = fileStamp(QDir(m_directory).filePath(it.key()));
        if (now != it.value()) {
            it.value() = now;
            changedFiles << it.key();
        }
    }
    if (!changedFiles.isEmpty())
        watchPaths();
    changedFiles.sort();
    for (const QString& name : changedFiles)
        emit changed(name);
    return int(changedFiles.size());
}

} // namespace korvanta
