#pragma once

#include "catalogue/catalogue.h"
#include "choicelist/choicelist.h"

#include <array>

namespace korvanta {

// What one category shows on its page.
struct CategoryView {
    ChoiceList box;
    QString priceLabel;
    QString itemLabel;
};

struct PageView {
    bool loaded = false;         // the page's loaded flag
    bool warningVisible = false; // "ВНИМАНИЕ! На складе отсутствует!"
    QString picture;             // name of the picture in the page's frame
    bool tabVisible = false;
};

// The category pages of the main window: the price lists of a page are read when it is first
// entered, into the pages' choice lists.
class CategoryPages {
public:
    CategoryPages();

    CategoryView& view(Cat c) { return m_views[size_t(idx(c))]; }
    const CategoryView& view(Cat c) const { return m_views[size_t(idx(c))]; }
    PageView& pageView(Page p) { return m_pages[size_t(idx(p))]; }
    const PageView& pageView(Page p) const { return m_pages[size_t(idx(p))]; }

    // The quantity lists of the memory page, items "1" to "4".
    ChoiceList memoryCounts;
    ChoiceList fanCounts;

    // The entry of a page: reads its price lists into `catalogue` and fills its choice lists,
    // unless the page is loaded already. A file that cannot be read ends the load there with its
    // Error; what was done before stays, and the flag stays clear so that the next entry loads
    // afresh.
    void enterPage(Page p, Catalogue& catalogue);
    // Relists processors and motherboards from memory for the platform now chosen.
    void relistPlatform(const Catalogue& catalogue);
    // Lists the names of the category's list anew after it was replaced, keeping the chosen
    // position while the list still has it.
    void relist(Cat c, const Catalogue& catalogue);

    void clearLoadedFlags();
    bool anyPageLoaded() const;

private:
    void fill(Cat c, const PriceList& list);

    std::array<CategoryView, CategoryCount> m_views;
    std::array<PageView, PageCount> m_pages;
};

// The name of every record of the list, in record order, shared with the list.
ChoiceItems recordNames(const PriceList& list);
// Appends the name of every record of the list to the choice list, in record order.
void fillChoiceList(const PriceList& list, ChoiceList& box);

} // namespace korvanta
