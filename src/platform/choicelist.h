#pragma once

#include <QString>
#include <QStringList>

namespace korvanta {

// An editable drop-down list as the logic sees it: its items, the chosen position (-1 when none)
// and the text in its edit field.
struct ChoiceList {
    QStringList items;
    int index = -1;
    QString editText;
    // Bumped whenever the items change, so a view can skip refilling an unchanged list.
    quint64 revision = 0;

    void clear()
    {
        items.clear();
        index = -1;
        editText.clear();
        ++revision;
    }
    void setItems(QStringList newItems)
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
