#pragma once

#include "catalogue/categorytable.h"
#include "catalogue/pricelist.h"
#include "common/shopfiles.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <functional>

// The one shop folder of the tests: a temporary folder holding a price list for every file of the
// category table (or a copy of the sample shop, or nothing), with helpers to rewrite, age and
// compare its files.
namespace korvanta::testing {

struct TestShop {
    using Records = std::function<QList<QStringList>(const QString& file)>;
    enum class Files { Every, Sample, None };

    // The first part of a file's name: "Proc_int" for "Proc_int.dat".
    static QString stem(const QString& file) { return file.section(QLatin1Char('.'), 0, 0); }

    // The none entry, "<stem> A" at 10 with 5 in stock and "<stem> B" at 20 out of stock.
    static QList<QStringList> smallRecords(const QString& file)
    {
        return {record(QStringLiteral("нет"), QStringLiteral("0"), QStringLiteral("0")),
                record(stem(file) + QStringLiteral(" A"), QStringLiteral("10"), QStringLiteral("5")),
                record(stem(file) + QStringLiteral(" B"), QStringLiteral("20"), QStringLiteral("0"))};
    }

    QTemporaryDir tmp;
    QDir dir{tmp.path()};
    QString folder = tmp.path();
    QStringList watched; // name filters of snapshot(); empty: every file

    // `records` gives the records of every file, with Files::Every.
    explicit TestShop(Files files = Files::Every, const Records& records = smallRecords)
    {
        // Never the current folder instead (an unwritable TMPDIR, a share that failed).
        if (!tmp.isValid())
            qFatal("cannot make the shop's temporary folder: %s", qPrintable(tmp.errorString()));
        if (files == Files::Every) {
            for (Cat c : allCategories())
                for (const QString& file : category(c).files)
                    write(file, records(file));
        } else if (files == Files::Sample) {
            const QDir sample(qEnvironmentVariable("KORVANTA_SOURCE_DIR") + QStringLiteral("/data/sample-shop"));
            for (const QString& name : sample.entryList({QStringLiteral("*.dat")}))
                QFile::copy(sample.filePath(name), path(name));
        }
    }

    QString path(const QString& file) const { return dir.filePath(file); }
    QByteArray bytes(const QString& file) const { return readBytes(path(file)); }
    PriceList list(const QString& file) const { return loadPriceList(path(file)); }
    void write(const QString& file, const QList<QStringList>& records) const { writeList(dir, file, records); }
    void writeLines(const QString& file, const QStringList& lines) const { writeBytes(path(file), crlf(lines)); }
    void remove(const QString& file)
    {
        if (!dir.remove(file))
            qFatal("cannot remove %s", qPrintable(file));
    }

    // Dated long ago, so that a rewrite shows in the file's time.
    void age(const QString& file) const
    {
        QFile f(path(file));
        if (!f.open(QIODevice::ReadWrite) ||
            !f.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime))
            qFatal("cannot age %s", qPrintable(file));
    }
    void ageAll() const
    {
        for (const QString& name : dir.entryList(QDir::Files))
            age(name);
    }

    struct FileState {
        QByteArray bytes;
        QDateTime modified;
        bool operator==(const FileState& o) const { return bytes == o.bytes && modified == o.modified; }
    };
    using Snapshot = QMap<QString, FileState>;
    Snapshot snapshot() const
    {
        Snapshot out;
        for (const QString& name : dir.entryList(watched, QDir::Files))
            out.insert(name, {bytes(name), QFileInfo(path(name)).lastModified()});
        return out;
    }
    // Files whose bytes or time differ from the snapshot, and files that came or went.
    QStringList changedSince(const Snapshot& before) const
    {
        const Snapshot now = snapshot();
        QStringList changed;
        for (auto it = now.begin(); it != now.end(); ++it)
            if (!before.contains(it.key()) || !(before.value(it.key()) == it.value()))
                changed << it.key();
        for (const QString& name : before.keys())
            if (!now.contains(name))
                changed << name;
        changed.sort();
        return changed;
    }
};

} // namespace korvanta::testing
