// The main window's data-file operations: Open, Save, Save As and New data.

#include "app/prompts.h"
#include "app/strings.h"
#include "files/data_file.h"
#include "files/data_state.h"
#include "main_window/bracket.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QFileInfo>

namespace kz {

QString frmMain::DataNameOf(const QString &fileName)
{
    const QString bare = QFileInfo(fileName).fileName();
    // A name no longer than its extension keeps all of it, so the next Save never writes a
    // nameless ".kzd".
    return bare.size() > 4 ? bare.chopped(4) : bare;
}

FileDialogResult frmMain::showFileDialog(bool save)
{
    if (CommonDialog1.initialDir.isEmpty())
        CommonDialog1.initialDir = workingFolder_;
    FileDialogResult result = save ? prompts().saveFile(CommonDialog1) : prompts().openFile(CommonDialog1);
    CommonDialog1.initialDir.clear();
    if (result.accepted && !result.fullPath.isEmpty())
        workingFolder_ = QFileInfo(result.fullPath).absolutePath();
    return result;
}

int frmMain::TakeScreen()
{
    const bool groups = ParameterGroupsActive();
    const ScreenTexts screen = screenTexts();
    if (Check_DataUmu(screen, groups) == 1)
        return 1;
    if (Torikomi_Data(screen, groups) == 1)
        return 1;
    if (Check_DataRange(groups) == 1)
        return 1;
    return 0;
}

int frmMain::SaveFileAs(const QString &target)
{
    const QString bare = QFileInfo(target).fileName();
    if (bare.isEmpty() || bare.compare(QLatin1String(".kzd"), Qt::CaseInsensitive) == 0)
        return 1;  // no name to keep the data under
    const QString path = QFileInfo(target).isAbsolute() || workingFolder_.isEmpty()
                             ? target
                             : QDir(workingFolder_).filePath(target);
    if (!WriteDataFile(path, Hensu))
        return 1;
    DataName = DataNameOf(bare);
    ShowDataName();
    DataChanged = false;
    return 0;
}

void frmMain::cmdFileOpen_Click()
{
    Bracket bracket(this);
    CommonDialog1.title = Str(209);
    CommonDialog1.initialDir.clear();
    CommonDialog1.defaultExt = Str(204);
    CommonDialog1.mustExist = true;
    CommonDialog1.filter = Str(205);
    CommonDialog1.fileName.clear();
    const FileDialogResult chosen = showFileDialog(false);
    if (!chosen.accepted || chosen.fullPath.isEmpty())
        return;
    OpenDataFile(chosen.fullPath);
}

int frmMain::OpenDataFile(const QString &path)
{
    if (ReadDataFile(path) != 0)
        return 1;
    // Save writes back beside the file opened, wherever it was chosen.
    const QFileInfo file(path);
    workingFolder_ = file.absolutePath();
    DataName = DataNameOf(file.fileName());
    ShowDataName();
    CopyTemp2Hensu();
    ScreenFill();
    DataChanged = false;
    return 0;
}

int frmMain::cmdSaveFile_Click()
{
    Bracket bracket(this);
    if (TakeScreen() == 1)
        return 1;
    QString target;
    if (DataName != Str(234) && DataName != Str(15)) {
        target = DataName + Str(237);
    } else {
        CommonDialog1.filter = Str(235) + Str(236);
        CommonDialog1.confirmOverwrite = true;
        CommonDialog1.mustExist = false;
        const FileDialogResult chosen = showFileDialog(true);
        if (!chosen.accepted) {
            MsgOk(Str(238));
            return 1;
        }
        target = chosen.bareName;
    }
    if (SaveFileAs(target) == 1) {
        MsgOk(Str(238));
        return 1;
    }
    return 0;
}

int frmMain::mnuFileSaveAs_Click()
{
    if (TakeScreen() == 1)
        return 1;
    CommonDialog1.title = Str(225);
    CommonDialog1.confirmOverwrite = true;
    CommonDialog1.mustExist = false;
    CommonDialog1.filter = Str(226);
    CommonDialog1.fileName = Str(227);
    CommonDialog1.defaultExt = Str(228);
    CommonDialog1.initialDir.clear();
    const FileDialogResult chosen = showFileDialog(true);
    if (!chosen.accepted)
        return 1;
    return SaveFileAs(chosen.bareName);
}

void frmMain::mnuFileNew_Click()
{
    Bracket bracket(this);
    if (DataChanged) {
        switch (prompts().message(Str(223), MsgButtons::YesNoCancel, MsgIcon::Question)) {
        case MsgAnswer::Yes: {
            const int saved = cmdSaveFile_Click();  // brackets itself; ours resumes after it
            CMDBTN_Muko();
            Menyu_Muko();
            // Clearing the screen after a save that did not happen would lose the edits.
            if (saved != 0)
                return;
            break;
        }
        case MsgAnswer::No:
            break;
        default:
            return;
        }
    }
    Ui::frmMain &f = *ui;
    f.comboVEL1->setEditText(QStringLiteral("1"));
    f.comboVEL2->setEditText(QStringLiteral("1"));
    for (QLabel *l : {f.lblPosi1Acc, f.lblPosi2Acc, f.lblPosi1Gensoku, f.lblPosi2Gensoku})
        l->setText(QStringLiteral("1"));
    for (QLineEdit *e : {f.txtPosi1, f.txtPosi2, f.txtPosi1Timer, f.txtPosi2Timer})
        e->clear();
    if (ParameterGroupsActive()) {
        for (QLineEdit *e : {f.txtHomeSokudo, f.txtHomePosi, f.txtOffsetSokudo, f.txtOffsetPosi, f.txtSentanCount,
                             f.txtNoWorkCount, f.txtRestartDelay})
            e->clear();
        f.chkRevDir->setChecked(false);
        for (QLineEdit *e : {f.txtLowKaijoCnt, f.txtXXXCnt, f.txtHensu1, f.txtHensu2})
            e->clear();
    }
    DataName = Str(15);
    ShowDataName();
    DataChanged = false;
}

}  // namespace kz
