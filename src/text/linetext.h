#pragma once

#include <QString>

// Texts that go into one line of a cp1251 file (a price-list field, a client's cell).
namespace korvanta {

// The position of the first character that cannot go into such a line as it stands: one that
// code page 1251 lacks, or a CR, LF or NUL that would break the file's lines; -1 when none.
int firstUnstorable(const QString& text);

// What a message calls the character at `pos`: "Перевод строки", "Нулевой символ" or
// "Символ «…»" (a surrogate pair shown whole).
QString unstorableCharacter(const QString& text, int pos);

} // namespace korvanta
