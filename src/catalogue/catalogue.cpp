#include "catalogue.h"

#include <QDir>

namespace korvanta {

Catalogue::Catalogue(QString directory) : m_directory(std::move(directory)) {}

QString Catalogue::pathOf(const QString& fileName) const
{
    return m_directory.isEmpty() ? fileName : QDir(m_directory).filePath(fileName);
}

void Catalogue::load(Cat c, int list)
{
    m_lists[size_t(idx(c))][size_t(list)] = loadPriceList(pathOf(category(c).files.at(list)));
}

void Catalogue::forget(Cat c)
{
    for (PriceList& list : m_lists[size_t(idx(c))])
        list.clear();
}

int Catalogue::chosenList(Cat c) const
{
    if (category(c).variant != Variant::Platform)
        return 0;
    return procGroup == 0 || procGroup == 1 ? procGroup : -1;
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
        m_lists[size_t(idx(c))][size_t(which)] = std::move(content);
}

QString Catalogue::fileFor(Cat c) const
{
    const int which = chosenList(c);
    return which < 0 ? QString() : category(c).files.at(which);
}

} // namespace korvanta
