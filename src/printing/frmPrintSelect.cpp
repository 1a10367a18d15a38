#include "printing/frmPrintSelect.h"

#include "core/captions.h"
#include "core/prompts.h"
#include "core/strings.h"
#include "core/twips.h"
#include "ui_frmPrintSelect.h"

namespace kz {

frmPrintSelect::frmPrintSelect(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::frmPrintSelect>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    LoadFormCaptions(this);
    PlaceOverOwner(this, owner);
    PrintCancelled = false;
    PrintFilePath.clear();

    connect(ui->optPrintPosi_0, &QAbstractButton::toggled, this, &frmPrintSelect::optPrintPosi_Click);
    connect(ui->optPrintPosi_1, &QAbstractButton::toggled, this, &frmPrintSelect::optPrintPosi_Click);
    connect(ui->cmdSelectPosiFile, &QAbstractButton::clicked, this, &frmPrintSelect::cmdSelectPosiFile_Click);
    connect(ui->cmdPrintSet, &QAbstractButton::clicked, this, &frmPrintSelect::cmdPrintSet_Click);
    connect(ui->cmdPrintCancel, &QAbstractButton::clicked, this, &frmPrintSelect::cmdPrintCancel_Click);
}

frmPrintSelect::~frmPrintSelect() = default;

bool frmPrintSelect::fileOptionSelected() const
{
    return ui->optPrintPosi_1->isChecked();
}

void frmPrintSelect::optPrintPosi_Click()
{
    const bool file = !ui->optPrintPosi_0->isChecked();
    ui->lblPrintPosiName->setEnabled(file);
    ui->cmdSelectPosiFile->setEnabled(file);
}

void frmPrintSelect::cmdSelectPosiFile_Click()
{
    FileDialogRequest request;
    request.filter = Str(236);
    request.mustExist = true;
    const FileDialogResult chosen = prompts().openFile(request);
    if (!chosen.accepted || chosen.fullPath.isEmpty())
        return;
    PrintFileTitle = chosen.bareName;
    ui->lblPrintPosiName->setText(chosen.bareName);
    PrintFilePath = chosen.fullPath;
}

void frmPrintSelect::cmdPrintSet_Click()
{
    PrintScreenData = false;
    PrintFileData = false;
    if (ui->optPrintPosi_0->isChecked())
        PrintScreenData = true;
    if (fileOptionSelected()) {
        const QString shown = ui->lblPrintPosiName->text();
        if (PrintFilePath.isEmpty() || shown == Str(445) || shown.isEmpty()) {
            MsgOk(StrLines({447, 448}));
            return;
        }
        PrintFileData = true;
    }
    accept();
}

void frmPrintSelect::cmdPrintCancel_Click()
{
    PrintCancelled = true;
    QDialog::reject();
}

void frmPrintSelect::reject()
{
    cmdPrintCancel_Click();
}

}  // namespace kz
