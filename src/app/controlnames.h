#pragma once

#include "catalogue/categorytable.h"

namespace korvanta {

// The object names of a category's controls on its page.
struct CategoryControls {
    QString choiceList;   // "ProcBox"
    QString priceLabel;   // "PriceProcLabel"
    QString itemLabel;    // "ProcLabel"
    QString quantityList; // "NumBox" for RAM, "Num1Box" for Fun1, else empty
};

// The object names of a page's own controls.
struct PageControls {
    QString sheet;   // "ProcSheet"
    QString warning; // the out-of-stock label: "ProcL"
    QString helpButton;
};

CategoryControls categoryControls(Cat c);
const PageControls& pageControls(Page p);

} // namespace korvanta
