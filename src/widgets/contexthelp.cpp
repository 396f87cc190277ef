#include "widgets/contexthelp.h"

#include "base/facilities.h"

#include <QApplication>
#include <QShortcut>
#include <QVariant>
#include <QWidget>

namespace korvanta {

void setHelpContext(QWidget* widget, int context)
{
    widget->setProperty("helpContext", context);
}

int helpContextFor(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        const int context = w->property("helpContext").toInt();
        if (context != 0)
            return context;
        if (w->isWindow())
            break;
    }
    return 0;
}

void installContextHelp(QWidget* window, Help* help)
{
    // A second F1 shortcut in the same window would make the key ambiguous, so installing again
    // replaces the first.
    const QString name = QStringLiteral("ContextHelpShortcut");
    delete window->findChild<QShortcut*>(name, Qt::FindDirectChildrenOnly);
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
    shortcut->setObjectName(name);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [window, help] {
        QWidget* focus = QApplication::focusWidget();
        const int context = helpContextFor(focus ? focus : window);
        if (context != 0 && help)
            help->showTopic(context);
    });
}

} // namespace korvanta
