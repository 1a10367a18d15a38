#include "app/frmAbout.h"

#include "core/captions.h"
#include "core/prompts.h"
#include "core/version.h"
#include "ui_frmAbout.h"

#include <QIcon>
#include <QProcess>
#include <QStandardPaths>

namespace kz {

frmAbout::frmAbout(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::frmAbout>())
{
    ui->setupUi(this);
    LoadFormCaptions(this);
    ui->lblVersion->setText(VersionText());
    ui->lblTitle->setText(QLatin1String(kProductTitle));
    ui->picIcon->setPixmap(QIcon(QStringLiteral(":/icon_write.svg")).pixmap(96, 96));
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cmdSysInfo, &QPushButton::clicked, this, [] { StartSysInfo(); });
}

frmAbout::~frmAbout() = default;

QStringList SystemInfoPrograms()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("msinfo32")};
#else
    return {QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"), QStringLiteral("gnome-system-monitor"),
            QStringLiteral("xfce4-taskmanager"), QStringLiteral("lxtask")};
#endif
}

bool StartSysInfo(const QStringList &candidates)
{
    for (const QString &name : candidates) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return true;
    }
    MsgOk(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"));
    return false;
}

}  // namespace kz
