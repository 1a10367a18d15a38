#include "app/language.h"
#include "app/settings.h"
#include "app/strings.h"
#include "link/port.h"
#include "main_window/frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KZPC-Software"));
    QApplication::setOrganizationName(QStringLiteral("KZPC-Software"));

    kz::BaudIndex = 0;
    kz::LoadLanguage();
    kz::InstallQtTranslator();
    kz::LoadPortNo();
    kz::LoadPortOccupy();

    kz::frmMain window;
    window.show();
    return app.exec();
}
