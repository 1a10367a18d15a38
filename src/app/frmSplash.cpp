#include "app/frmSplash.h"

#include "core/version.h"
#include "ui_frmSplash.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace kz {

frmSplash::frmSplash() : ui(std::make_unique<Ui::frmSplash>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->lblVersion->setText(VersionText());
    ui->lblProductName->setText(QLatin1String(kProductTitle));
    ui->picLogo->setPixmap(QIcon(QStringLiteral(":/icon_write.svg")).pixmap(192, 192));
    ui->Image1->setPixmap(QIcon(QStringLiteral(":/lamp_green.svg")).pixmap(40, 40));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    timerSplash.setInterval(2000);
    timerSplash.setSingleShot(true);
}

frmSplash::~frmSplash() = default;

}  // namespace kz
