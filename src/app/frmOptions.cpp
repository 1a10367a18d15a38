#include "app/frmOptions.h"

#include "core/captions.h"
#include "app/port_probe.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "link/port_settings.h"
#include "core/strings.h"
#include "core/twips.h"
#include "link/comm_port.h"
#include "link/port.h"
#include "link/serial_devices.h"
#include "main_window/frmMain.h"
#include "core/read_number.h"
#include "ui_frmOptions.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTreeWidget>

namespace kz {

frmOptions::frmOptions(PortChoice &choice, QWidget *owner)
    : QDialog(owner), ui(std::make_unique<Ui::frmOptions>()), choice_(choice)
{
    ui->setupUi(this);
    connect(ui->chkParametaShow, &QCheckBox::toggled, this, &frmOptions::chkParametaShow_Click);
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdApply, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->cmdAssign, &QPushButton::clicked, this, &frmOptions::cmdAssign_Click);
    connect(ui->cmdRemove, &QPushButton::clicked, this, &frmOptions::cmdRemove_Click);
    connect(ui->lstSerialDevices, &QTreeWidget::itemSelectionChanged, this,
            &frmOptions::lstSerialDevices_SelectionChanged);
    loadForm(owner);
}

frmOptions::~frmOptions() = default;

void frmOptions::loadForm(QWidget *owner)
{
    PlaceOverOwner(this, owner);
    LoadFormCaptions(this);
    for (int page = 0; page < 3; ++page)
        ui->ssTab3->setTabText(page, Str(426 + page));

    ui->chkPortOccupy->setChecked(choice_.keepOpen);
    if (choice_.number >= kFirstPortNo && choice_.number <= kLastPortNo)
        LoadPortNo(choice_);
    // Opening a port can take a moment (a USB adapter, a device that is slow to answer).
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ProbePorts();
    QGuiApplication::restoreOverrideCursor();
    FillPortList();
    ShowPermissionNote();
    FillDeviceList();
#ifdef Q_OS_WIN
    // COM numbers are the system's own there; nothing to assign.
    for (QWidget *w : {static_cast<QWidget *>(ui->lblAssignPortNo), static_cast<QWidget *>(ui->spinAssignPortNo),
                       static_cast<QWidget *>(ui->cmdAssign), static_cast<QWidget *>(ui->cmdRemove)})
        w->hide();
#endif
    portNoAtLoad_ = choice_.number;

    if (ShowParametersOption) {
        ui->chkParametaShow->setChecked(true);
        ui->chkHomeParaShow->setChecked(HomingParametersOption);
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
        if (n == choice_.number)
            current = list->count();
        list->addItem(PortListName(n), list->count());
    }
    list->setCurrentIndex(current);
    if (current < 0)
        list->clearEditText();
}

void frmOptions::FillDeviceList()
{
    QTreeWidget *list = ui->lstSerialDevices;
    list->setHeaderLabels({Str(3121), Str(3122), Str(3123), Str(3124), Str(3125), Str(3126)});
    list->clear();
    devices_ = SerialDevices().devices();
    rows_ = PortAssignments(devices_);
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        const PortRow &row = rows_[i];
        const SerialDevice &d = row.device;
        auto *item = new QTreeWidgetItem(list);
        item->setText(0, row.portNo ? QStringLiteral("COM%1").arg(row.portNo) : Str(3104));
        item->setText(1, d.location);
        item->setText(2, row.network ? Str(3134) : row.connected ? d.description : Str(3130));
        item->setText(3, d.manufacturer);
        item->setText(4, d.serialNumber);
        item->setText(5, d.vidPid());
        if (!d.stablePath.isEmpty())
            item->setToolTip(1, d.stablePath);
        item->setData(0, Qt::UserRole, int(i));
    }
    for (int column = 0; column < list->columnCount(); ++column)
        list->resizeColumnToContents(column);
    lstSerialDevices_SelectionChanged();
}

const PortRow *frmOptions::ChosenRow() const
{
    const QList<QTreeWidgetItem *> chosen = ui->lstSerialDevices->selectedItems();
    if (chosen.isEmpty())
        return nullptr;
    const int i = chosen.first()->data(0, Qt::UserRole).toInt();
    return i >= 0 && i < rows_.size() ? &rows_[i] : nullptr;
}

void frmOptions::lstSerialDevices_SelectionChanged()
{
    const PortRow *row = ChosenRow();
    const bool unassigned = row && row->portNo == 0;
    ui->cmdAssign->setEnabled(unassigned);
    ui->spinAssignPortNo->setEnabled(unassigned);
    ui->cmdRemove->setEnabled(row && row->linked);
    if (unassigned) {
        // A number is free when nothing answers to it: no link, no UART of the system, no port the
        // probe could open.
        const int free = LowestFreePortNo(devices_, [](int n) { return PortAvailable(n); });
        if (free)
            ui->spinAssignPortNo->setValue(free);
    }
}

void frmOptions::cmdAssign_Click()
{
    const PortRow *row = ChosenRow();
    if (!row || row->portNo != 0)
        return;
    const int n = ui->spinAssignPortNo->value();
    QString error;
    if (PortNoLinked(n)) {
        MsgOk(Str(3131).arg(n).arg(QFileInfo(PortLinkPath(n)).symLinkTarget()));
        return;
    }
    if (!AssignPort(n, row->device, &error)) {
        MsgOk(Str(3132).arg(n).arg(error));
        return;
    }
    Reprobe(n);
}

void frmOptions::cmdRemove_Click()
{
    const PortRow *row = ChosenRow();
    if (!row || !row->linked)
        return;
    const int n = row->portNo;
    QString error;
    if (!RemovePortAssignment(n, &error)) {
        MsgOk(Str(3133).arg(n).arg(error));
        return;
    }
    Reprobe(0);
}

void frmOptions::Reprobe(int portNo)
{
    const QString text = ui->comboPortNo->currentText();
    ProbePorts();
    FillPortList();
    ShowPermissionNote();
    FillDeviceList();
    const int index = ui->comboPortNo->findText(PortListName(portNo));
    if (portNo && PortAvailable(portNo) && index >= 0)
        ui->comboPortNo->setCurrentIndex(index);
    else
        ui->comboPortNo->setEditText(text);  // the user's choice so far stays
    // Keep the newly numbered device chosen, so that its row shows what happened.
    for (int i = 0; i < ui->lstSerialDevices->topLevelItemCount() && portNo; ++i) {
        QTreeWidgetItem *item = ui->lstSerialDevices->topLevelItem(i);
        if (item->text(0) == QStringLiteral("COM%1").arg(portNo))
            item->setSelected(true);
    }
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
    if (n != choice_.number && PortAvailable(n)) {
        choice_.number = n;
        SavePortNo(choice_);
    }
    return 0;
}

void frmOptions::cmdOK_Click()
{
    if (ApplyChosenPort() == 1) {
        MsgOk(Str(464));
    } else {
        const int n = GetChosenPort();
        if (choice_.number != portNoAtLoad_ && Port().isOpen())
            ForceClosePort();
        choice_.number = n;
    }

    choice_.keepOpen = ui->chkPortOccupy->isChecked();
    SavePortOccupy(choice_);

    if (ui->chkParametaShow->isChecked()) {
        ShowParametersOption = true;
        frmMain *main = frmMain::instance();
        if (ui->chkHomeParaShow->isChecked()) {
            HomingParametersOption = true;
            if (main)
                main->enableHomingParameters();
        } else {
            HomingParametersOption = false;
            if (main)
                main->disableHomingParameters();
        }
    } else {
        ShowParametersOption = false;
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

void ShowOptions(QWidget *owner, PortChoice &choice)
{
    frmOptions dialog(choice, owner);
    dialog.exec();
}

}  // namespace kz
