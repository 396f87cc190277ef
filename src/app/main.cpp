#include "app/application.h"
#include "app/mainwindow.h"
#include "widgets/shopstart.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVANTA"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/korvanta.svg")));
    korvanta::installQtTranslations();
    // The price lists and the client file are read by bare name from the working folder.
    if (!korvanta::startInShopFolder(QApplication::arguments()))
        return 1;

    korvanta::Application program(korvanta::Application::Options{});
    program.mainWindow().show();
    return app.exec();
}
