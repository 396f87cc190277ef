#include "widgets/windowparts.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>

namespace korvanta {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QString& glyph,
                        const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    if (!glyph.isEmpty())
        button->setIcon(QIcon(QStringLiteral(":/glyphs/%1.svg").arg(glyph)));
    if (geometry.isValid())
        button->setGeometry(geometry);
    return button;
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = window->screen()) {
        const QRect available = screen->availableGeometry();
        const QRect frame = window->frameGeometry();
        window->move(available.center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

BusyCursor::BusyCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace korvanta
