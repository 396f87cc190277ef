#include "application.h"
#include "mainform.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVANTA"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/korvanta.svg")));

    korvanta::Application program(korvanta::Application::Options{});
    program.mainWindow().show();
    return app.exec();
}
