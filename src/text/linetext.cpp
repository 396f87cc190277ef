#include "text/linetext.h"

#include "text/cp1251.h"

namespace korvanta {

namespace {

bool breaksLine(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0);
}

} // namespace

int firstUnstorable(const QString& text)
{
    const int unencodable = cp1251::firstUnencodable(text);
    const int end = unencodable < 0 ? int(text.size()) : unencodable;
    for (int i = 0; i < end; ++i) {
        if (breaksLine(text.at(i)))
            return i;
    }
    return unencodable;
}

QString unstorableCharacter(const QString& text, int pos)
{
    const QChar c = text.at(pos);
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
        return QStringLiteral("Перевод строки");
    if (c == QChar(0))
        return QStringLiteral("Нулевой символ");
    const int length = c.isHighSurrogate() && pos + 1 < text.size() && text.at(pos + 1).isLowSurrogate() ? 2 : 1;
    return QStringLiteral("Символ «%1»").arg(text.mid(pos, length));
}

} // namespace korvanta
