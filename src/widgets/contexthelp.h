#pragma once

class QWidget;

namespace korvanta {

class Help;

// Context help numbers: each window, page or control may carry one; F1 asks the focused control and
// then its enclosing controls outward for the first non-zero number.
void setHelpContext(QWidget* widget, int context);
int helpContextFor(QWidget* widget);
void installContextHelp(QWidget* window, Help* help);

} // namespace korvanta
