#include "files/filesystem.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace korvanta {

namespace {

FileSystem*& installed()
{
    static FileSystem* system = nullptr;
    return system;
}

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

std::error_code FileSystem::rename(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(nativePath(from), nativePath(to), ec);
    return ec;
}

std::error_code FileSystem::makeDirectory(const QString& path)
{
    std::error_code ec;
    if (!std::filesystem::create_directory(nativePath(path), ec) && !ec)
        ec = std::make_error_code(std::errc::file_exists);
    return ec;
}

bool FileSystem::remove(const QString& path)
{
    std::error_code ec;
    std::filesystem::remove(nativePath(path), ec);
    return !ec;
}

bool FileSystem::exists(const QString& path)
{
    std::error_code ec;
    return std::filesystem::exists(nativePath(path), ec);
}

bool FileSystem::surelyMissing(const QString& path)
{
    std::error_code ec;
    return std::filesystem::status(nativePath(path), ec).type() == std::filesystem::file_type::not_found;
}

bool FileSystem::openForReading(QFile& file)
{
    return file.open(QIODevice::ReadOnly);
}

bool FileSystem::writeAt(QFile& file, qint64 offset, const QByteArray& bytes)
{
    return file.seek(offset) && file.write(bytes) == bytes.size() && file.flush();
}

qint64 FileSystem::sizeOnDisk(const QString& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(nativePath(path), ec);
    return ec ? -1 : qint64(size);
}

FileSystem& fileSystem()
{
    static FileSystem real;
    return installed() ? *installed() : real;
}

void setFileSystem(FileSystem* system)
{
    installed() = system;
}

bool isSharingViolation(const std::error_code& error)
{
    return error == std::errc::device_or_resource_busy || error == std::errc::permission_denied ||
           error == std::errc::text_file_busy || error == std::errc::io_error;
}

} // namespace korvanta
