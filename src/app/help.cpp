#include "app/help.h"

#include "core/prompts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kz {

QString HelpFilePath;

void InitHelpPath()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    HelpFilePath = folder + QLatin1String(kHelpFileName);
}

void ShowHelp(QWidget * /*owner*/, const QString &message)
{
    if (HelpFilePath.isEmpty() || !QFileInfo(HelpFilePath).isFile()) {
        prompts().message(message, MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFilePath));
}

}  // namespace kz
