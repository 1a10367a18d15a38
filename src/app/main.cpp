#include "app/language.h"
#include "app/settings.h"
#include "app/strings.h"
#include "app/version.h"
#include "link/port.h"

#include <QApplication>
#include <QLabel>

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

    QLabel placeholder(QStringLiteral("KZ PC-Software Ver%1").arg(QLatin1String(kz::kVersion)));
    placeholder.setWindowTitle(QStringLiteral("KZ PC-Software Ver%1").arg(QLatin1String(kz::kVersion)));
    placeholder.setMinimumSize(480, 200);
    placeholder.setAlignment(Qt::AlignCenter);
    placeholder.show();
    return app.exec();
}
