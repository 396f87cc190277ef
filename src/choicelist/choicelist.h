#pragma once

#include "files/textlines.h"

#include <QDebug>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <vector>

namespace korvanta {

// The entries of a choice list. Names listed from a price list stay the price list's own cp1251
// bytes, shared with it, and are decoded only when an entry is asked for: listing 100,000 records
// builds no strings.
class ChoiceItems {
public:
    ChoiceItems() = default;
    ChoiceItems(const QStringList& texts);
    ChoiceItems(std::initializer_list<QString> texts) : ChoiceItems(QStringList(texts)) {}
    // Lines first, first + step, first + 2 × step, ... of `lines`, `count` of them.
    ChoiceItems(const TextLines& lines, int first, int step, int count);

    int size() const { return m_size; }
    int count() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // Throws Error("List index out of bounds (<index>)") for an entry the list does not have.
    QString at(int index) const;
    QByteArrayView bytesAt(int index) const;

    void append(const ChoiceItems& more);
    QStringList toStringList() const;

    friend bool operator==(const ChoiceItems& a, const ChoiceItems& b);
    friend bool operator!=(const ChoiceItems& a, const ChoiceItems& b) { return !(a == b); }
    friend bool operator==(const ChoiceItems& a, const QStringList& b) { return a.toStringList() == b; }
    friend bool operator!=(const ChoiceItems& a, const QStringList& b) { return !(a == b); }
    friend bool operator==(const QStringList& a, const ChoiceItems& b) { return b == a; }
    friend bool operator!=(const QStringList& a, const ChoiceItems& b) { return !(b == a); }

private:
    // `count` entries taken from `lines`, every `step`-th line from `first`.
    struct Run {
        TextLines lines;
        int first = 0;
        int step = 1;
        int count = 0;
    };
    const Run& runOf(int& index) const;

    std::vector<Run> m_runs;
    int m_size = 0;
};

QDebug operator<<(QDebug debug, const ChoiceItems& items);

// An editable drop-down list as the logic sees it: its items, the chosen position (-1 when none)
// and the text in its edit field.
struct ChoiceList {
    ChoiceItems items;
    int index = -1;
    QString editText;
    // Bumped whenever the items change, so a view can skip refilling an unchanged list.
    quint64 revision = 0;

    void clear()
    {
        items = ChoiceItems();
        index = -1;
        editText.clear();
        ++revision;
    }
    void setItems(ChoiceItems newItems)
    {
        items = std::move(newItems);
        ++revision;
    }
    // Chooses position i (or none for -1); the edit text follows the chosen item.
    void choose(int i)
    {
        index = (i >= 0 && i < items.size()) ? i : -1;
        if (index >= 0)
            editText = items.at(index);
    }
    QString currentText() const { return index >= 0 ? items.at(index) : editText; }
};

} // namespace korvanta
