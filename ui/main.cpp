#include <QApplication>

#include "ui/gif_edit_app.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("korvanta"));
    QGuiApplication::setDesktopFileName(QStringLiteral("korvanta"));
    korvanta::CGifEditApp app;
    if (!app.InitInstance(QCoreApplication::arguments()))
        return 1;
    return QApplication::exec();
}
