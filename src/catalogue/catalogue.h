#pragma once

#include "catalogue/categorytable.h"
#include "catalogue/pricelist.h"
#include "files/shopwatcher.h"

#include <array>
#include <optional>

namespace korvanta {

// The shop's price lists as this copy read them, one or two per category (Intel and AMD for
// processors and motherboards), and the platform that picks between those two.
class Catalogue {
public:
    // Files are read from `directory`; an empty one is the working directory.
    explicit Catalogue(QString directory = QString());

    ProcessorPlatform platform = ProcessorPlatform::None;

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

    // True when file `list` of the category was read and not forgotten since.
    bool isRead(Cat c, int list) const { return m_read[size_t(idx(c))][size_t(list)]; }
    // The file of a list read before, as it is now, when it differs from memory: judged by the
    // file's stamp, or with `compareContent` by reading it and comparing its bytes. Empty when the
    // list is as read (or was never read).
    std::optional<PriceList> changedOnDisk(Cat c, int list, bool compareContent = false);
    // Puts the file's present content in place of that list.
    void replaceList(Cat c, int list, PriceList content);
    // How many times a price-list file was read: what following the shop costs.
    int reads() const { return m_reads; }

    // The file of that list, or empty when there is none.
    QString fileFor(Cat c) const;
    QString pathOf(const QString& fileName) const;
    const QString& directory() const { return m_directory; }

private:
    // Which of the category's lists a choice reads: 0 or 1, or -1 without a platform.
    int chosenList(Cat c) const;

    QString m_directory;
    std::array<std::array<PriceList, 2>, CategoryCount> m_lists;
    // The stamp of each list's file when it was read, taken before reading so that a change made
    // meanwhile is seen at the next look.
    std::array<std::array<FileStamp, 2>, CategoryCount> m_stamps{};
    std::array<std::array<bool, 2>, CategoryCount> m_read{};
    int m_reads = 0;
};

} // namespace korvanta
