#pragma once

#include "catalogue/categorytable.h"

#include <array>

namespace korvanta {

// How a category shows on its page.
struct CategoryLook {
    QString priceCaption; // "Цена процессора:"
    QString hint;         // the choice list's tooltip
    QString picture;      // shown in the page's frame on a choice; empty: the page's own stays
};

// How a page shows.
struct PageLook {
    QString caption; // the tab's text
    QString picture; // the page's own picture
    int helpContext;
};

const CategoryLook& categoryLook(Cat c);
const PageLook& pageLook(Page p);

extern const QString WarningText; // "ВНИМАНИЕ! На складе отсутствует!"

} // namespace korvanta
