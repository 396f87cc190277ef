#include "selection.h"

namespace korvanta {

bool isChosenItem(const QString& item)
{
    return !item.isEmpty() && item != NoneEntry;
}

} // namespace korvanta
