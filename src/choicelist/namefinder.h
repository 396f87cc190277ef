#pragma once

#include "choicelist/choicelist.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace korvanta {

// Type-to-find over the entries of a choice list: the positions of the entries whose text contains
// the typed text, letter case aside, exactly as QString::contains(text, Qt::CaseInsensitive) finds
// them. It searches the cp1251 bytes of the names, case-folded once into one block, so a key costs
// a pass over that block at most; a text that only grows narrows the previous result, and the
// results of the last few texts are kept, so deleting what was typed costs nothing.
class NameFinder {
public:
    NameFinder() = default;
    explicit NameFinder(ChoiceItems items) : m_items(std::move(items)) {}

    const ChoiceItems& items() const { return m_items; }

    // Positions in increasing order; an empty text finds every entry.
    const std::vector<int>& find(const QString& text);
    // The first position whose text equals `text`, letter case aside (or exactly, when
    // `caseSensitive`); -1 when none.
    int findEqual(const QString& text, bool caseSensitive = false);

private:
    void buildIndex();
    // The text's case-folded cp1251 bytes; false when some character can be in no name.
    static bool foldText(const QString& text, QByteArray& out);
    struct Result {
        QByteArray needle;
        std::vector<int> positions;
        std::vector<quint32> hits; // where the text first stands in each name, in m_folded
    };
    Result search(const QByteArray& needle, const Result* within) const;

    ChoiceItems m_items;
    bool m_indexed = false;
    QByteArray m_folded;          // every name case-folded, each followed by a line feed
    std::vector<quint32> m_start; // where name k starts in m_folded; one more for the end
    std::vector<Result> m_recent; // the latest last
    std::vector<int> m_none;
};

} // namespace korvanta
