#pragma once

#include "categorytable.h"
#include "pricelist.h"

#include <array>

namespace korvanta {

// The shop's price lists as this copy read them, one or two per category (Intel and AMD for
// processors and motherboards), and the platform that picks between those two.
class Catalogue {
public:
    // Files are read from `directory`; an empty one is the working directory.
    explicit Catalogue(QString directory = QString());

    // ProcGroup: -1 none, 0 Intel, 1 AMD.
    int procGroup = -1;

    // Reads file `list` of the category (0, or 1 for the AMD file) into memory; a file that
    // cannot be read throws its Error and leaves that list as it was.
    void load(Cat c, int list);
    // Forgets what was read for the category.
    void forget(Cat c);
    const PriceList& list(Cat c, int list) const { return m_lists[size_t(idx(c))][size_t(list)]; }

    // The price list a choice of the category reads: the platform's for Proc and Mat, null
    // when no platform is chosen.
    const PriceList* records(Cat c) const;
    // Puts a price list read anew in place of that list; nothing when there is none.
    void replaceRecords(Cat c, PriceList content);

    // The file of that list, or empty when there is none.
    QString fileFor(Cat c) const;
    QString pathOf(const QString& fileName) const;
    const QString& directory() const { return m_directory; }

private:
    // Which of the category's lists a choice reads: 0 or 1, or -1 without a platform.
    int chosenList(Cat c) const;

    QString m_directory;
    std::array<std::array<PriceList, 2>, CategoryCount> m_lists;
};

} // namespace korvanta
