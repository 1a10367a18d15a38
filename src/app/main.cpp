#include "app/startup.h"
#include "main_window/frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KZPC-Software"));
    QApplication::setOrganizationName(QStringLiteral("KZPC-Software"));
    const auto window = kz::Main();
    return app.exec();
}
