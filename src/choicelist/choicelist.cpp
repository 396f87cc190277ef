#include "choicelist/choicelist.h"

#include "base/error.h"
#include "text/cp1251.h"

namespace korvanta {

ChoiceItems::ChoiceItems(const QStringList& texts) : ChoiceItems(TextLines::fromStrings(texts), 0, 1, int(texts.size()))
{
}

ChoiceItems::ChoiceItems(const TextLines& lines, int first, int step, int count)
{
    if (count > 0) {
        m_runs.push_back(Run{lines, first, step, count});
        m_size = count;
    }
}

const ChoiceItems::Run& ChoiceItems::runOf(int& index) const
{
    if (index < 0 || index >= m_size)
        throw Error(QStringLiteral("List index out of bounds (%1)").arg(index));
    for (const Run& run : m_runs) {
        if (index < run.count)
            return run;
        index -= run.count;
    }
    Q_UNREACHABLE();
    return m_runs.front();
}

QString ChoiceItems::at(int index) const
{
    return cp1251::decode(bytesAt(index));
}

QByteArrayView ChoiceItems::bytesAt(int index) const
{
    const Run& run = runOf(index);
    return run.lines.bytesAt(run.first + index * run.step);
}

void ChoiceItems::append(const ChoiceItems& more)
{
    m_runs.insert(m_runs.end(), more.m_runs.begin(), more.m_runs.end());
    m_size += more.m_size;
}

QStringList ChoiceItems::toStringList() const
{
    QStringList out;
    out.reserve(m_size);
    for (int i = 0; i < m_size; ++i)
        out.append(at(i));
    return out;
}

bool operator==(const ChoiceItems& a, const ChoiceItems& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (a.bytesAt(i) != b.bytesAt(i))
            return false;
    return true;
}

QDebug operator<<(QDebug debug, const ChoiceItems& items)
{
    return debug << items.toStringList();
}

} // namespace korvanta
