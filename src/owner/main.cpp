#include "owner/ownerwindow.h"
#include "widgets/shopstart.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVANTA — склад"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/owner/korvanta-sklad.svg")));

    korvanta::installQtTranslations();
    // The same shop folder as the seller's program: named, the working one, remembered or chosen.
    if (!korvanta::startInShopFolder(QApplication::arguments()))
        return 1;
    const QString shopFolder = QDir::currentPath();

    korvanta::OwnerWindow window(shopFolder);
    window.show();
    return app.exec();
}
