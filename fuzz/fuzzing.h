#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: a property that must hold, and a scratch folder for the readers that
// take a file.
namespace korvanta::fuzzing {

// A broken property is a finding: it stops the run and keeps the input.
inline void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// One folder for the whole run, removed at exit; in memory where the system offers it, since every
// replace of a file waits for the disk.
inline const QTemporaryDir& scratch()
{
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/korvanta-fuzz-XXXXXX")
                                       : QDir::temp().filePath(QStringLiteral("korvanta-fuzz-XXXXXX")));
    require(dir.isValid(), "a scratch folder");
    return dir;
}

inline QString writeScratchFile(const QString& name, const QByteArray& bytes)
{
    const QString path = scratch().filePath(name);
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
            "writing the scratch file");
    return path;
}

inline QByteArray readScratchFile(const QString& name)
{
    QFile file(scratch().filePath(name));
    require(file.open(QIODevice::ReadOnly), "reading the scratch file");
    return file.readAll();
}

} // namespace korvanta::fuzzing
