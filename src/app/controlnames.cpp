#include "app/controlnames.h"

#include <array>

namespace korvanta {

CategoryControls categoryControls(Cat c)
{
    const QString key = category(c).key;
    CategoryControls names{key + QStringLiteral("Box"), QStringLiteral("Price") + key + QStringLiteral("Label"),
                           key + QStringLiteral("Label"), QString()};
    if (c == Cat::RAM) {
        names.itemLabel = QStringLiteral("RamLabel"); // the one label that does not follow its key
        names.quantityList = QStringLiteral("NumBox");
    } else if (c == Cat::Fun1) {
        names.quantityList = QStringLiteral("Num1Box");
    }
    return names;
}

const PageControls& pageControls(Page p)
{
    static const std::array<PageControls, PageCount> controls = {{
        {QStringLiteral("BaseSheet"), QStringLiteral("BaseL"), QStringLiteral("HelpButton1")},
        {QStringLiteral("ProcSheet"), QStringLiteral("ProcL"), QStringLiteral("HelpButton2")},
        {QStringLiteral("RAMSheet"), QStringLiteral("RamL"), QStringLiteral("HelpButton3")},
        {QStringLiteral("DiskSheet"), QStringLiteral("DiskL"), QStringLiteral("HelpButton4")},
        {QStringLiteral("VideoSheet"), QStringLiteral("VideoL"), QStringLiteral("BitBtn1")},
        {QStringLiteral("OtherSheet"), QStringLiteral("NetL"), QStringLiteral("HelpButton6")},
        {QStringLiteral("MonSheet"), QStringLiteral("MonL"), QStringLiteral("BitBtn2")},
        {QStringLiteral("PrnSheet"), QStringLiteral("PrnL"), QStringLiteral("HelpButton8")},
        {QStringLiteral("DopSheet"), QStringLiteral("DopL"), QStringLiteral("HelpButton9")},
        {QStringLiteral("NoutSheet"), QStringLiteral("NoutL"), QStringLiteral("HelpButton10")},
    }}; // in the order of the pages
    return controls[size_t(idx(p))];
}

} // namespace korvanta
