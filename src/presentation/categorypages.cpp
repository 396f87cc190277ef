#include "presentation/categorypages.h"

#include "presentation/pagetable.h"

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

CategoryPages::CategoryPages()
{
    for (Page p : allPages())
        pageView(p).picture = pageLook(p).picture;
    const QStringList counts = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};
    memoryCounts.setItems(counts);
    fanCounts.setItems(counts);
    memoryCounts.choose(0);
    fanCounts.choose(0);
}

void CategoryPages::fill(Cat c, const PriceList& list)
{
    fillChoiceList(list, view(c).box);
}

void CategoryPages::enterPage(Page p, Catalogue& catalogue)
{
    PageView& pv = pageView(p);
    if (pv.loaded)
        return;
    const PageInfo& info = page(p);
    for (Cat c : info.categories)
        catalogue.forget(c);
    for (Cat c : info.categories)
        view(c).box.clear();
    for (Cat c : info.categories)
        view(c).box.editText = category(c).title;
    for (Cat c : info.categories) {
        view(c).priceLabel.clear();
        view(c).itemLabel.clear();
    }
    if (p == Page::Proc) {
        // All four platform files are read before any list is filled.
        catalogue.load(Cat::Proc, 0);
        catalogue.load(Cat::Proc, 1);
        catalogue.load(Cat::Mat, 0);
        catalogue.load(Cat::Mat, 1);
        if (const PriceList* procs = catalogue.records(Cat::Proc)) {
            fill(Cat::Proc, *procs);
            fill(Cat::Mat, *catalogue.records(Cat::Mat));
        }
        catalogue.load(Cat::Fun, 0);
        fill(Cat::Fun, catalogue.list(Cat::Fun, 0));
    } else {
        for (Cat c : info.categories) {
            catalogue.load(c, 0);
            fill(c, catalogue.list(c, 0));
        }
    }
    pv.loaded = true;
}

void CategoryPages::relistPlatform(const Catalogue& catalogue)
{
    for (Cat c : {Cat::Proc, Cat::Mat}) {
        view(c).box.clear();
        view(c).box.editText = category(c).title;
        view(c).itemLabel.clear();
        view(c).priceLabel.clear();
    }
    if (const PriceList* procs = catalogue.records(Cat::Proc)) {
        fill(Cat::Proc, *procs);
        fill(Cat::Mat, *catalogue.records(Cat::Mat));
    }
}

void CategoryPages::relist(Cat c, const Catalogue& catalogue)
{
    const PriceList* list = catalogue.records(c);
    if (!list)
        return;
    // A chosen position the new list lacks is no longer chosen.
    ChoiceList& box = view(c).box;
    box.setItems(recordNames(*list));
    if (box.index >= box.items.size())
        box.index = -1;
}

void CategoryPages::clearLoadedFlags()
{
    for (PageView& pv : m_pages)
        pv.loaded = false;
}

bool CategoryPages::anyPageLoaded() const
{
    for (const PageView& pv : m_pages)
        if (pv.loaded)
            return true;
    return false;
}

} // namespace korvanta
