#pragma once

// Item names for type-to-find: Russian and Latin words in every letter case, numbers and exact
// duplicates, and the plain search that type-to-find must agree with.
#include <QRandomGenerator>
#include <QStringList>
#include <vector>

namespace korvanta::testing {

inline QStringList generatedNames(int count)
{
    static const QStringList words = {
        QStringLiteral("Монитор"), QStringLiteral("МОНИТОР"), QStringLiteral("монитор"), QStringLiteral("Ёмкость"),
        QStringLiteral("ёМКОСТЬ"), QStringLiteral("Емкость"), QStringLiteral("Samsung"), QStringLiteral("SAMSUNG"),
        QStringLiteral("lg"),      QStringLiteral("IPS"),     QStringLiteral("Жёсткий"), QStringLiteral("ДИСК"),
        QStringLiteral("µ-блок"),  QStringLiteral("27\""),    QStringLiteral("нет"),     QStringLiteral("Їжак")};
    QRandomGenerator random(1251);
    QStringList out;
    for (int i = 0; i < count; ++i) {
        if (i % 7 == 6) {
            out.append(out.at(int(random.bounded(i)))); // a name listed twice
            continue;
        }
        out.append(words.at(int(random.bounded(words.size()))) + QLatin1Char(' ') +
                   words.at(int(random.bounded(words.size()))) + QLatin1Char(' ') +
                   QString::number(random.bounded(1000)));
    }
    return out;
}

inline std::vector<int> plainSearch(const QStringList& names, const QString& text)
{
    std::vector<int> out;
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).contains(text, Qt::CaseInsensitive))
            out.push_back(i);
    return out;
}

} // namespace korvanta::testing
