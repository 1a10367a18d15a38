#include "app/frmOptions.h"

#include "app/captions.h"
#include "app/port_probe.h"
#include "app/prompts.h"
#include "app/settings.h"
#include "app/strings.h"
#include "app/twips.h"
#include "link/comm_port.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "params/read_number.h"
#include "ui_frmOptions.h"

#include <QGuiApplication>

namespace kz {

frmOptions::frmOptions(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::frmOptions>())
{
    ui->setupUi(this);
    connect(ui->chkParametaShow, &QCheckBox::toggled, this, &frmOptions::chkParametaShow_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdApply, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load(owner);
}

frmOptions::~frmOptions() = default;

void frmOptions::Form_Load(QWidget *owner)
{
    PlaceOverOwner(this, owner);
    LoadFormCaptions(this);
    for (int page = 0; page < 3; ++page)
        ui->ssTab3->setTabText(page, Str(426 + page));

    ui->chkPortOccupy->setChecked(PortOccupy);
    if (PortNo >= kFirstPortNo && PortNo <= kLastPortNo)
        LoadPortNo();
    // Opening a port can take a moment (a USB adapter, a device that is slow to answer).
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ProbePorts();
    QGuiApplication::restoreOverrideCursor();
    FillPortList();
    ShowPermissionNote();
    portNoAtLoad_ = PortNo;

    if (ParametaShowFlag) {
        ui->chkParametaShow->setChecked(true);
        ui->chkHomeParaShow->setChecked(HomeParaShowFlag);
    }
}

void frmOptions::FillPortList()
{
    QComboBox *list = ui->comboPortNo;
    list->clear();
    int current = -1;
    for (int n = kFirstPortNo; n <= kLastPortNo; ++n) {
        if (!PortAvailable(n))
            continue;
        if (n == PortNo)
            current = list->count();
        list->addItem(PortListName(n), list->count());
    }
    list->setCurrentIndex(current);
    if (current < 0)
        list->clearEditText();
}

void frmOptions::ShowPermissionNote()
{
    const QString note = NoPermissionNote();
    ui->lblPortPermission->setText(note);
    ui->lblPortPermission->setToolTip(NoPermissionDetails());
    ui->lblPortPermission->setVisible(!note.isEmpty());
}

int frmOptions::GetChosenPort() const
{
    const QString text = ui->comboPortNo->currentText().trimmed();
    if (text.size() < 3)
        return -1;
    // The list shows "COM3 (/dev/ttyS2)"; the number is read from the fourth character on.
    const auto n = ReadNumber(text.mid(3), 32);
    if (!n || *n < kFirstPortNo || *n > kLastPortNo)
        return -1;
    return *n;
}

int frmOptions::ApplyChosenPort()
{
    const int n = GetChosenPort();
    if (n < kFirstPortNo || n > kLastPortNo)
        return 1;
    if (n != PortNo && PortAvailable(n)) {
        PortNo = n;
        SavePortNo();
    }
    return 0;
}

void frmOptions::cmdOK_Click()
{
    if (ApplyChosenPort() == 1) {
        MsgOk(Str(464));
    } else {
        const int n = GetChosenPort();
        if (PortNo != portNoAtLoad_ && Port().isOpen())
            ForceClosePort();
        PortNo = n;
    }

    PortOccupy = ui->chkPortOccupy->isChecked();
    SavePortOccupy();

    if (ui->chkParametaShow->isChecked()) {
        ParametaShowFlag = true;
        frmMain *main = frmMain::instance();
        if (ui->chkHomeParaShow->isChecked()) {
            HomeParaShowFlag = true;
            if (main)
                main->HomePara_Yuko();
        } else {
            HomeParaShowFlag = false;
            if (main)
                main->HomePara_Muko();
        }
    } else {
        ParametaShowFlag = false;
    }
    accept();
}

void frmOptions::chkParametaShow_Click()
{
    const bool on = ui->chkParametaShow->isChecked();
    if (!on && ui->chkHomeParaShow->isChecked())
        ui->chkHomeParaShow->setChecked(false);
    ui->chkHomeParaShow->setEnabled(on);
    ui->framParaShow->setEnabled(on);
}

void ShowOptions(QWidget *owner)
{
    frmOptions dialog(owner);
    dialog.exec();
}

}  // namespace kz
