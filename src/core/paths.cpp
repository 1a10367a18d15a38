#include "core/paths.h"

#include <QDir>
#include <QStandardPaths>

namespace kz {

namespace {
QString &Override()
{
    static QString dir;
    return dir;
}
}  // namespace

QString ConfigDir()
{
    if (!Override().isEmpty())
        return Override();
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(QStringLiteral("KZPC-Software"));
}

void SetConfigDirOverride(const QString &dir)
{
    Override() = dir;
}

QString SettingsFilePath()
{
    return QDir(ConfigDir()).filePath(QStringLiteral("KZPC-Software.conf"));
}

QString PortLinkDir()
{
    return QDir(ConfigDir()).filePath(QStringLiteral("ports"));
}

}  // namespace kz
