#pragma once

#include <QString>

class QLineEdit;

namespace korvanta {

// A limit on what the user types into an edit. A text the program shows is shown whole, however
// long: a stored value must never look different from the value in force. Typing cannot make the
// text longer than the limit, nor, while a longer text stands, longer than it is.
void setTypingLimit(QLineEdit* edit, int limit);
// The edit's typing limit, 0 when it has none.
int typingLimit(const QLineEdit* edit);
// Shows a text of the program's, whole.
void showWhole(QLineEdit* edit, const QString& text);

} // namespace korvanta
