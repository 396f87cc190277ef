#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace korvanta {

// The 28 component categories, in the order of their pages and, within a page, loading order.
enum class Cat {
    Base,
    Nout,
    Proc,
    Mat,
    Fun,
    RAM,
    Fun1,
    Case,
    Vint,
    CD,
    Disk,
    Fdd,
    Video,
    Sound,
    Speak,
    Game,
    Net,
    Mod,
    Key,
    Mouse,
    Mon,
    Prn,
    Scan,
    UPS,
    OS,
    PO,
    Dop1,
    Dop2
};
constexpr int CategoryCount = 28;

// The ten category pages, in the order of their loaded flags.
enum class Page { Base, Proc, RAM, Disk, Video, Other, Mon, Prn, Dop, Nout };
constexpr int PageCount = 10;

inline int idx(Cat c)
{
    return static_cast<int>(c);
}
inline int idx(Page p)
{
    return static_cast<int>(p);
}

// How choosing an item of the category works.
enum class Variant { Plain, Platform, Quantity };

// The processor platform that picks the list of a Platform category. Intel and Amd are the
// positions of their files in the category's file list.
enum class ProcessorPlatform { None = -1, Intel = 0, Amd = 1 };

struct CategoryInfo {
    Cat cat;
    QString key;       // the category's short name: "Proc"
    QStringList files; // one file, or Intel and AMD files for Proc and Mat (see ProcessorPlatform)
    Page page;
    QString title; // the category's name: "Процессоры"
    Variant variant;
};

struct PageInfo {
    Page page;
    std::vector<Cat> categories; // loading order
};

const CategoryInfo& category(Cat c);
const PageInfo& page(Page p);
const std::array<Cat, CategoryCount>& allCategories();
const std::array<Page, PageCount>& allPages();

// The order in which the order text lists and ships categories (Disk before CD, Scan before Speak).
const std::array<Cat, CategoryCount>& summaryOrder();

// Finds a category by its key ("Proc"); returns false when there is none.
bool categoryByKey(const QString& key, Cat& out);

extern const QString NoneEntry; // "нет"

} // namespace korvanta
