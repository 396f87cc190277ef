#include "catalogue/catalogue.h"

#include "catalogue/shopfolder.h"

#include <QDir>

namespace korvanta {

namespace {

bool sameLines(const PriceList& a, const PriceList& b)
{
    if (a.count() != b.count())
        return false;
    for (int i = 0; i < a.count(); ++i)
        if (a.bytesAt(i) != b.bytesAt(i))
            return false;
    return true;
}

} // namespace

Catalogue::Catalogue(QString directory) : m_directory(std::move(directory)) {}

QString Catalogue::pathOf(const QString& fileName) const
{
    return shopFilePath(m_directory, fileName);
}

void Catalogue::load(Cat c, int list)
{
    const QString path = pathOf(category(c).files.at(list));
    const FileStamp stamp = fileStamp(path);
    ++m_reads;
    m_lists[size_t(idx(c))][size_t(list)] = loadPriceList(path);
    m_stamps[size_t(idx(c))][size_t(list)] = stamp;
    m_read[size_t(idx(c))][size_t(list)] = true;
}

void Catalogue::forget(Cat c)
{
    for (PriceList& list : m_lists[size_t(idx(c))])
        list.clear();
    m_read[size_t(idx(c))] = {};
}

std::optional<PriceList> Catalogue::changedOnDisk(Cat c, int list, bool compareContent)
{
    if (!isRead(c, list))
        return std::nullopt;
    const QString path = pathOf(category(c).files.at(list));
    FileStamp& known = m_stamps[size_t(idx(c))][size_t(list)];
    const FileStamp now = fileStamp(path);
    if (!compareContent && now == known)
        return std::nullopt;
    ++m_reads;
    PriceList content = loadPriceList(path);
    if (sameLines(content, this->list(c, list))) {
        known = now;
        return std::nullopt;
    }
    return content;
}

void Catalogue::replaceList(Cat c, int list, PriceList content)
{
    m_stamps[size_t(idx(c))][size_t(list)] = fileStamp(pathOf(category(c).files.at(list)));
    m_lists[size_t(idx(c))][size_t(list)] = std::move(content);
    m_read[size_t(idx(c))][size_t(list)] = true;
}

int Catalogue::chosenList(Cat c) const
{
    if (category(c).variant != Variant::Platform)
        return 0;
    return platform == ProcessorPlatform::Intel || platform == ProcessorPlatform::Amd ? int(platform) : -1;
}

const PriceList* Catalogue::records(Cat c) const
{
    const int which = chosenList(c);
    return which < 0 ? nullptr : &list(c, which);
}

void Catalogue::replaceRecords(Cat c, PriceList content)
{
    const int which = chosenList(c);
    if (which >= 0)
        replaceList(c, which, std::move(content));
}

QString Catalogue::fileFor(Cat c) const
{
    const int which = chosenList(c);
    return which < 0 ? QString() : category(c).files.at(which);
}

} // namespace korvanta
