#pragma once

#include "categorytable.h"
#include "choicelist.h"
#include "pricelist.h"

#include <array>

namespace korvanta {

// What one category shows on its page, and its price lists (two for Proc and Mat: Intel, AMD).
struct CategoryView {
    ChoiceList box;
    std::array<PriceList, 2> hidden;
    QString priceLabel;
    QString itemLabel;
};

struct PageView {
    bool loaded = false;          // the page's loaded flag
    bool warningVisible = false;  // "ВНИМАНИЕ! На складе отсутствует!"
    QString picture;              // name of the picture in the page's frame
    bool tabVisible = false;
};

// The category pages of the main window: price lists loaded lazily, page by page, into the
// pages' choice lists.
class Catalogue {
public:
    // Files are read from `directory`; an empty one is the working directory.
    explicit Catalogue(QString directory = QString());

    CategoryView& view(Cat c) { return m_views[size_t(idx(c))]; }
    const CategoryView& view(Cat c) const { return m_views[size_t(idx(c))]; }
    PageView& pageView(Page p) { return m_pages[size_t(idx(p))]; }
    const PageView& pageView(Page p) const { return m_pages[size_t(idx(p))]; }

    // ProcGroup: -1 none, 0 Intel, 1 AMD.
    int procGroup = -1;
    // The quantity lists of the memory page, items "1" to "4".
    ChoiceList numBox;
    ChoiceList num1Box;

    // The entry of a page: loads its price lists and fills its choice lists, unless the page is
    // loaded already. A file that cannot be read ends the load there with its Error; what was
    // done before stays, and the flag stays clear so that the next entry loads afresh.
    void enterPage(Page p);

    // Relists processors and motherboards from memory for the platform now chosen.
    void relistPlatform();

    // Puts a price list read anew in place of the one a choice of the category reads (see
    // records), and lists its names in the category's choice list, keeping the chosen position.
    void replaceRecords(Cat c, PriceList content);

    void clearLoadedFlags();
    bool anyPageLoaded() const;

    // The price list a choice of the category reads: the platform's for Proc and Mat, null
    // when no platform is chosen.
    const PriceList* records(Cat c) const;
    PriceList* records(Cat c);
    // The file of that list, or empty when there is none.
    QString fileFor(Cat c) const;
    QString pathOf(const QString& fileName) const;
    const QString& directory() const { return m_directory; }

private:
    void fill(Cat c, int list);
    void load(Cat c, int list);

    QString m_directory;
    std::array<CategoryView, CategoryCount> m_views;
    std::array<PageView, PageCount> m_pages;
};

// The name of every record of the list, in record order, shared with the list.
ChoiceItems recordNames(const PriceList& list);
// Appends the name of every record of the list to the choice list, in record order.
void fillChoiceList(const PriceList& list, ChoiceList& box);

} // namespace korvanta
