#pragma once

#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

// What the windows build alike.
namespace korvanta {

// A named push button with a glyph from the resources (":/glyphs/<glyph>.svg"; none when empty),
// placed at `geometry` when one is given.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QString& glyph = QString(),
                        const QRect& geometry = QRect());

// Moves the window, frame included, to the middle of the available area of its screen.
void centreOnScreen(QWidget* window);

// Shows the busy cursor for as long as it lives, so that a failure midway gives the cursor back.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace korvanta
