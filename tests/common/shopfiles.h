#pragma once

#include "text/cp1251.h"

#include <QDir>
#include <QFile>
#include <QStringList>

// Writes small price-list files for tests, in cp1251.
namespace korvanta::testing {

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// One record: name, price, two reserved lines, stock, description, reserved.
inline QStringList record(const QString& name, const QString& price, const QString& stock,
                          const QString& description = QString())
{
    return {name,
            price,
            QStringLiteral("r2"),
            QStringLiteral("r3"),
            stock,
            description.isEmpty() ? name + QStringLiteral(" описание") : description,
            QStringLiteral("r6")};
}

inline QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += cp1251::encode(l) + "\r\n";
    return out;
}

inline void writeList(const QDir& dir, const QString& name, const QList<QStringList>& records)
{
    QStringList lines;
    for (const QStringList& r : records)
        lines += r;
    writeBytes(dir.filePath(name), crlf(lines));
}

} // namespace korvanta::testing
