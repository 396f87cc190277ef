#include "ownerwindow.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVANTA — склад"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/owner/korvanta-sklad.svg")));

    // The shop folder: where the program is started, like the seller's program.
    const QString shopFolder = QDir::currentPath();

    korvanta::OwnerWindow window(shopFolder);
    window.show();
    return app.exec();
}
