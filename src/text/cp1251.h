#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Windows-1251 text: every byte value maps to one character and back, so texts read from the
// shop's files are written back byte for byte.
namespace korvanta::cp1251 {

QString decode(QByteArrayView bytes);
QByteArray encode(const QString& text);
// True when every character of the text has a byte in code page 1251.
bool canEncode(const QString& text);
// The first character that code page 1251 cannot hold, or -1.
int firstUnencodable(const QString& text);

} // namespace korvanta::cp1251
