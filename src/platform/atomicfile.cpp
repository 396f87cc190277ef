#include "atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace korvanta {

namespace {

const QString LeftoverMark = QStringLiteral(".korvanta-new-");

} // namespace

bool syncToDisk(QFile& file)
{
#if defined(Q_OS_LINUX)
    return ::fdatasync(file.handle()) == 0; // the bytes and the length, not the times
#elif defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

QString replaceFile(const QString& fileName, const QByteArray& bytes)
{
    const QFileInfo info(fileName);
    if (info.isDir())
        return QStringLiteral("Is a directory");
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (info.exists()) {
        // The rename below would step over a file's own protection; only go on where the file
        // itself could be written in place.
        QFile probe(fileName);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
            return probe.errorString();
        probe.close();
        permissions = info.permissions();
    }
    QTemporaryFile temp(temporaryNameTemplate(fileName));
    if (!temp.open())
        return temp.errorString();
    // The flush is checked on its own: a write the disk refused in part shows only there.
    if (temp.write(bytes) != bytes.size() || !temp.flush() || !syncToDisk(temp))
        return temp.errorString();
    temp.setPermissions(permissions);
    temp.close();
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temp.fileName().toStdU16String()),
                            std::filesystem::path(info.absoluteFilePath().toStdU16String()), ec);
    if (ec)
        return QString::fromLocal8Bit(ec.message().c_str());
    temp.setAutoRemove(false);
    return {};
}

QString temporaryNameTemplate(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.absolutePath() + QLatin1Char('/') + info.fileName() + LeftoverMark + QStringLiteral("XXXXXX");
}

bool isLeftoverOf(const QString& fileName, const QString& candidate)
{
    static const QRegularExpression tail(QStringLiteral("^[A-Za-z0-9]{6}$"));
    const QString prefix = QFileInfo(fileName).fileName() + LeftoverMark;
    return candidate.startsWith(prefix) && tail.match(candidate.mid(prefix.size())).hasMatch();
}

void removeLeftovers(const QString& fileName)
{
    const QFileInfo info(fileName);
    QDir dir = info.absoluteDir();
    const QStringList names =
        dir.entryList({info.fileName() + LeftoverMark + QStringLiteral("*")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        if (isLeftoverOf(fileName, name))
            dir.remove(name);
}

} // namespace korvanta
