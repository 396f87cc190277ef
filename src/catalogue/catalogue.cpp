#include "catalogue.h"

#include <QDir>

namespace korvanta {

ChoiceItems recordNames(const PriceList& list)
{
    return ChoiceItems(list, NameLine, RecordLines, recordCount(list));
}

void fillChoiceList(const PriceList& list, ChoiceList& box)
{
    ChoiceItems items = box.items;
    items.append(recordNames(list));
    box.setItems(std::move(items));
}

Catalogue::Catalogue(QString directory) : m_directory(std::move(directory))
{
    for (Page p : allPages())
        pageView(p).picture = page(p).picture;
    const QStringList counts = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};
    numBox.setItems(counts);
    num1Box.setItems(counts);
    numBox.choose(0);
    num1Box.choose(0);
}

QString Catalogue::pathOf(const QString& fileName) const
{
    return m_directory.isEmpty() ? fileName : QDir(m_directory).filePath(fileName);
}

void Catalogue::load(Cat c, int list)
{
    view(c).hidden[size_t(list)] = loadPriceList(pathOf(category(c).files.at(list)));
}

void Catalogue::fill(Cat c, int list)
{
    fillChoiceList(view(c).hidden[size_t(list)], view(c).box);
}

void Catalogue::enterPage(Page p)
{
    PageView& pv = pageView(p);
    if (pv.loaded)
        return;
    const PageInfo& info = page(p);
    for (Cat c : info.categories)
        for (PriceList& list : view(c).hidden)
            list.clear();
    for (Cat c : info.categories)
        view(c).box.clear();
    for (Cat c : info.categories)
        view(c).box.editText = category(c).placeholder;
    for (Cat c : info.categories) {
        view(c).priceLabel.clear();
        view(c).itemLabel.clear();
    }
    if (p == Page::Proc) {
        // All four platform files are read before any list is filled.
        load(Cat::Proc, 0);
        load(Cat::Proc, 1);
        load(Cat::Mat, 0);
        load(Cat::Mat, 1);
        if (procGroup == 0 || procGroup == 1) {
            fill(Cat::Proc, procGroup);
            fill(Cat::Mat, procGroup);
        }
        load(Cat::Fun, 0);
        fill(Cat::Fun, 0);
    } else {
        for (Cat c : info.categories) {
            load(c, 0);
            fill(c, 0);
        }
    }
    pv.loaded = true;
}

void Catalogue::relistPlatform()
{
    for (Cat c : {Cat::Proc, Cat::Mat}) {
        view(c).box.clear();
        view(c).box.editText = category(c).placeholder;
        view(c).itemLabel.clear();
        view(c).priceLabel.clear();
    }
    if (procGroup == 0 || procGroup == 1) {
        fill(Cat::Proc, procGroup);
        fill(Cat::Mat, procGroup);
    }
}

void Catalogue::replaceRecords(Cat c, PriceList content)
{
    PriceList* list = records(c);
    if (!list)
        return;
    *list = std::move(content);
    // The choice list shows the new names; a chosen position the new list lacks is no longer chosen.
    ChoiceList& box = view(c).box;
    box.setItems(recordNames(*list));
    if (box.index >= box.items.size())
        box.index = -1;
}

void Catalogue::clearLoadedFlags()
{
    for (PageView& pv : m_pages)
        pv.loaded = false;
}

bool Catalogue::anyPageLoaded() const
{
    for (const PageView& pv : m_pages)
        if (pv.loaded)
            return true;
    return false;
}

const PriceList* Catalogue::records(Cat c) const
{
    if (category(c).variant != Variant::Platform)
        return &view(c).hidden[0];
    if (procGroup == 0 || procGroup == 1)
        return &view(c).hidden[size_t(procGroup)];
    return nullptr;
}

PriceList* Catalogue::records(Cat c)
{
    return const_cast<PriceList*>(static_cast<const Catalogue*>(this)->records(c));
}

QString Catalogue::fileFor(Cat c) const
{
    const CategoryInfo& info = category(c);
    if (info.variant != Variant::Platform)
        return info.files.at(0);
    if (procGroup == 0 || procGroup == 1)
        return info.files.at(procGroup);
    return QString();
}

} // namespace korvanta
