// The main window's data-file operations: Open, Save, Save As and New data.

#include "core/prompts.h"
#include "core/strings.h"
#include "files/data_file.h"
#include "main_window/frmMain.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

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
    if (groups) {
        // "Enter all fields" cannot be done for a field that takes no input: say what fills it.
        bool locked = false;
        bool homingLocked = false;
        for (QLineEdit *e : {ui->txtHensu2, ui->txtHomeSokudo, ui->txtHomePosi, ui->txtOffsetSokudo, ui->txtOffsetPosi}) {
            if (e->text().isEmpty() && !e->isEnabled()) {
                locked = true;
                homingLocked = homingLocked || e != ui->txtHensu2;
            }
        }
        if (locked) {
            QString text = Str(239) + QLatin1String("\r\n") + Str(3401).arg(Str(24).simplified());
            if (homingLocked)
                text += QLatin1String("\r\n") + Str(3402).arg(Str(436));
            MsgOk(text);
            return 1;
        }
    }
    if (CheckNoBlankField(screen, groups) == 1)
        return 1;
    if (TakeScreenValues(screen, groups, document_.current) == 1)
        return 1;
    if (CheckRanges(document_, groups) == 1)
        return 1;
    return 0;
}

int frmMain::SaveFileAs(const QString &target, QString *error)
{
    const QString bare = QFileInfo(target).fileName();
    if (bare.isEmpty() || bare.compare(QLatin1String(".kzd"), Qt::CaseInsensitive) == 0)
        return 1;  // no name to keep the data under
    const QString path = QFileInfo(target).isAbsolute() || workingFolder_.isEmpty()
                             ? target
                             : QDir(workingFolder_).filePath(target);
    if (!WriteDataFile(path, document_.current, error))
        return 1;
    document_.name = DataNameOf(bare);
    document_.path = QFileInfo(path).absoluteFilePath();
    ShowDataName();
    document_.changed = false;
    return 0;
}

bool frmMain::AskSaveBeforeDiscard()
{
    if (!document_.changed)
        return true;
    switch (prompts().message(Str(223), MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgAnswer::Yes: {
        const int saved = cmdSaveFile_Click();  // brackets itself; the caller's bracket resumes after it
        disableCommandButtons();
        disableFileMenu();
        // Replacing the screen after a save that did not happen would lose the edits.
        return saved == 0;
    }
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

void frmMain::cmdFileOpen_Click()
{
    const Hold hold = holdBracketed();
    if (!AskSaveBeforeDiscard())
        return;
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
    if (ReadDataFile(path, document_) != 0)
        return 1;
    // Save writes back to the file opened; bare names of later saves resolve beside it.
    const QFileInfo file(path);
    workingFolder_ = file.absolutePath();
    document_.name = DataNameOf(file.fileName());
    document_.path = file.absoluteFilePath();
    ShowDataName();
    document_.makeStagedCurrent();
    ScreenFill();
    document_.changed = false;
    return 0;
}

namespace {

// "Saving was stopped", the system's reason on a line of its own, and what else did not happen.
QString SaveFailedText(const QString &why, const QString &consequence = QString())
{
    QString text = Str(238);
    if (!why.isEmpty())
        text += QLatin1String("\r\n") + why;
    if (!consequence.isEmpty())
        text += QLatin1String("\r\n") + consequence;
    return text;
}

}  // namespace

int frmMain::cmdSaveFile_Click()
{
    const Hold hold = holdBracketed();
    if (!AcceptFocusedField())
        return 1;
    if (TakeScreen() == 1)
        return 1;
    QString target;
    if (!document_.path.isEmpty() && document_.name != Str(234) && document_.name != Str(15)) {
        // Back where the data came from, whichever folder a dialog has shown since.
        target = document_.path;
    } else {
        CommonDialog1.filter = Str(235) + Str(236);
        CommonDialog1.confirmOverwrite = true;
        CommonDialog1.mustExist = false;
        const FileDialogResult chosen = showFileDialog(true);
        if (!chosen.accepted) {
            MsgOk(Str(238));
            return 1;
        }
        target = chosen.fullPath.isEmpty() ? chosen.bareName : chosen.fullPath;
    }
    QString why;
    if (SaveFileAs(target, &why) == 1) {
        MsgOk(SaveFailedText(why));
        return 1;
    }
    return 0;
}

int frmMain::mnuFileSaveAs_Click()
{
    return saveAs(QString()) == SaveOutcome::Saved ? 0 : 1;
}

frmMain::SaveOutcome frmMain::saveAs(const QString &consequence)
{
    if (!AcceptFocusedField())
        return SaveOutcome::Cancelled;
    if (TakeScreen() == 1)
        return SaveOutcome::Cancelled;
    CommonDialog1.title = Str(225);
    CommonDialog1.confirmOverwrite = true;
    CommonDialog1.mustExist = false;
    CommonDialog1.filter = Str(226);
    CommonDialog1.fileName = Str(227);
    CommonDialog1.defaultExt = Str(228);
    CommonDialog1.initialDir.clear();
    const FileDialogResult chosen = showFileDialog(true);
    if (!chosen.accepted)
        return SaveOutcome::Cancelled;
    QString why;
    if (SaveFileAs(chosen.fullPath.isEmpty() ? chosen.bareName : chosen.fullPath, &why) == 1) {
        // The user chose a file and expects it written: a failure is always said.
        MsgOk(SaveFailedText(why, consequence));
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

void frmMain::mnuFileNew_Click()
{
    const Hold hold = holdBracketed();
    if (!AcceptFocusedField())
        return;
    if (!AskSaveBeforeDiscard())
        return;
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
        for (QLineEdit *e : {f.txtLowKaijoCnt, f.txtXXXCnt, f.txtHensu1})
            e->clear();
        // SP1 takes no input: left blank it would fail the blank check of every later Save and
        // Write, with nothing the user could do about it. 0 passes every check.
        f.txtHensu2->setText(QStringLiteral("0"));
        groupFieldsBehind_ = false;
    }
    document_.name = Str(15);
    document_.path.clear();
    ShowDataName();
    document_.changed = false;
}

}  // namespace kz
