#include "main_window/frmMain.h"

#include "core/captions.h"
#include "core/fit_text.h"
#include "core/dialog_prompts.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "link/frmCommLog.h"
#include "link/port_settings.h"
#include "core/strings.h"
#include "core/twips.h"
#include "core/version.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/port.h"
#include "io_monitor/frmInputOutput.h"
#include "main_window/print_commands.h"
#include "printing/print_ops.h"
#include "main_window/field_rules.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QScreen>

namespace kz {

bool ShowParametersOption = false;
bool HomingParametersOption = false;

namespace {

frmMain *g_instance = nullptr;

void SetEnabled(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

void SetEnabled(std::initializer_list<QAction *> actions, bool enabled)
{
    for (QAction *a : actions)
        a->setEnabled(enabled);
}

void SetBackground(QWidget *w, const QColor &color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, color);
    w->setPalette(p);
}

QPixmap Lamp(const char *name, const QSize &size)
{
    return QIcon(QStringLiteral(":/%1").arg(QLatin1String(name))).pixmap(size * 2);
}

// The form is designed at 96 DPI; at another logical DPI every designed rectangle scales with it so
// that the twips of the design keep their size.
void ScaleDesign(QWidget *root, double factor)
{
    if (qFuzzyCompare(factor, 1.0))
        return;
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        QWidget *parent = w->parentWidget();
        if (w->isWindow() || !parent || parent->layout() || w->objectName().startsWith(QLatin1String("qt_"))
            || w->objectName().isEmpty())
            continue;
        const QRect g = w->geometry();
        w->setGeometry(qRound(g.x() * factor), qRound(g.y() * factor), qRound(g.width() * factor),
                       qRound(g.height() * factor));
    }
}

}  // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>())
{
    g_instance = this;
    ui->setupUi(this);
    rules_ = std::make_unique<FieldRules>(this);
    connectMenus();
    applyIcons();
    saveData = [this] { return cmdSaveFile_Click(); };
    link_ = std::make_unique<Link>(NumberedPort{}, PortChoice{}, this);
    session_ = std::make_unique<ControllerSession>(*link_);
    // Every good reply clears the alarm display; an alarm reply shows its code and text.
    connect(link_.get(), &Link::replyAccepted, this, &frmMain::clearAlarm);
    connect(link_.get(), &Link::alarmReceived, this, &frmMain::showAlarm);
    loadForm();
    SetPromptParent(this);
    connect(&portLampTimer_, &QTimer::timeout, this, &frmMain::updatePortLamp);
    portLampTimer_.start(100);
}

frmMain::~frmMain()
{
    // An operation still in flight ends here without calling back into the window.
    session_.reset();
    SetPromptParent(nullptr);
    if (g_instance == this)
        g_instance = nullptr;
}

frmMain *frmMain::instance()
{
    return g_instance;
}

void frmMain::loadForm()
{
    LoadFormCaptions(this);
    LoadLanguage();
    LoadPortNo(link_->portChoice());
    LoadPortOccupy(link_->portChoice());
    ShowParametersOption = false;
    HomingParametersOption = false;
    for (QComboBox *combo : {ui->comboVEL1, ui->comboVEL2}) {
        combo->clear();
        for (int v = 1; v <= 30; ++v)
            combo->addItem(QLatin1Char(' ') + QString::number(v));
        combo->setCurrentIndex(0);
    }
    // The designed state: edit mode, both parameter frames hidden and disabled, the rotation
    // direction locked.
    EditModeLayout();
    ui->framHomePara->setEnabled(false);
    ui->framHomePara->hide();
    ui->framParameta->setEnabled(false);
    ui->framParameta->hide();
    ScaleDesign(ui->centralwidget, logicalDpiY() / 96.0);
    setHeightTwips(kShortHeightTwips);
    // Captions of both languages fit their labels: a little smaller rather than clipped or split
    // in the middle of a word.
    for (QLabel *label : ui->centralwidget->findChildren<QLabel *>())
        if (label != ui->lblShowName && label->pixmap().isNull())
            FitCaption(label);
    // The document starts as the window does: both copies all zeros, nothing to save.
    document_.name = Str(15);
    ShowDataName();
    document_.changed = false;
    setWindowTitle(QLatin1String(kProductTitle) + QLatin1String(" Ver") + VersionNumberText());
}

void frmMain::connectMenus()
{
    // Every command is refused with a beep while another operation talks to the controller or a
    // file, however it is reached: button, menu or shortcut. Stop is meant for a running move and
    // Exit holds its close until the operation ends (closeEvent); the others would start a second
    // conversation under the waiting one, or a dialog whose own event loop stalls it.
    auto guarded = [this](auto command) {
        return [this, command] {
            if (!refuseWhileBusy())
                command();
        };
    };
    auto onClick = [this, guarded](QPushButton *button, auto command) {
        connect(button, &QPushButton::clicked, this, guarded(command));
    };
    auto onTrigger = [this, guarded](QAction *action, auto command) {
        connect(action, &QAction::triggered, this, guarded(command));
    };
    onClick(ui->cmdModeChange, [this] { cmdModeChange_Click(); });
    onTrigger(ui->mnuViewOption, [this] { mnuViewOption_Click(); });
    connect(ui->mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    // Help: the contents item stays hidden (there is no help file); About shows the About box.
    ui->mnuHelpContents->setVisible(false);
    ui->mnuHelpContents->setEnabled(false);
    onTrigger(ui->mnuHelpContents, [this] {
        if (showHelp)
            showHelp(Str(463));
    });
    onTrigger(ui->mnuHelpAbout, [this] {
        if (showAboutBox)
            showAboutBox();
    });
    // Move mode, controller mode and version.
    onClick(ui->cmdSelectMove, [this] { cmdSelectMove_Click(); });
    onClick(ui->cmdHome, [this] { cmdHome_Click(); });
    connect(ui->cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);
    onClick(ui->cmdReset, [this] { cmdReset_Click(); });
    onTrigger(ui->mnuModeGaibu, [this] { mnuModeGaibu_Click(); });
    onTrigger(ui->mnuModeTrancefer, [this] { mnuModeTrancefer_Click(); });
    onTrigger(ui->mnuViewCtVersion, [this] { mnuViewCtVersion_Click(); });
    onTrigger(ui->mnuShowInpOutp,
              [this] { ShowInputOutput(this, *link_, ioMonitorState_, [this] { mnuViewCommLog_Click(); }); });
    // The log only shows what the link does, so it stays reachable while an operation runs.
    connect(ui->mnuViewCommLog, &QAction::triggered, this, &frmMain::mnuViewCommLog_Click);
    // Printing.
    onTrigger(ui->mnuFilePrint, [this] { mnuFilePrint_Click(*this); });
    onTrigger(ui->mnuFilePageSetup, [this] { mnuFilePageSetup_Click(*this); });
    onTrigger(ui->mnuFileSavePdf, [this] { mnuFileSavePdf_Click(*this); });
    // Data files.
    onClick(ui->cmdFileOpen, [this] { cmdFileOpen_Click(); });
    onTrigger(ui->mnuFileOpen, [this] { cmdFileOpen_Click(); });
    onClick(ui->cmdSaveFile, [this] { cmdSaveFile_Click(); });
    onTrigger(ui->mnuFileSave, [this] { cmdSaveFile_Click(); });
    onTrigger(ui->mnuFileSaveAs, [this] { mnuFileSaveAs_Click(); });
    onTrigger(ui->mnuFileNew, [this] { mnuFileNew_Click(); });
    // Controller transfers and verification.
    onClick(ui->cmdGetfromCt, [this] { cmdGetfromCt_Click(); });
    onTrigger(ui->mnuFileGetfromCt, [this] { cmdGetfromCt_Click(); });
    onClick(ui->cmdLoadtoCt, [this] { cmdLoadtoCt_Click(); });
    onTrigger(ui->mnuFileLoadtoCt, [this] { cmdLoadtoCt_Click(); });
    onClick(ui->cmdShogoCt, [this] { cmdShogoCt_Click(); });
    onTrigger(ui->mnuCtShogo, [this] { cmdShogoCt_Click(); });
    onClick(ui->cmdShogoFile, [this] { cmdShogoFile_Click(); });
    onTrigger(ui->mnuShogoFile, [this] { mnuShogoFile_Click(); });
}

void frmMain::applyIcons()
{
    const QSize lamp = ui->imgPortWhite->size();
    ui->imgPortWhite->setPixmap(Lamp("lamp_white.svg", lamp));
    ui->imgPortGreen->setPixmap(Lamp("lamp_green.svg", lamp));
    ui->imgAlarmGreen->setPixmap(Lamp("lamp_green.svg", lamp));
    ui->imgAlarmLed->setPixmap(Lamp("lamp_red.svg", lamp));
    const struct {
        QPushButton *button;
        const char *icon;
    } icons[] = {{ui->cmdFileOpen, "icon_open.svg"},     {ui->cmdSaveFile, "icon_save.svg"},
                 {ui->cmdGetfromCt, "icon_read.svg"},    {ui->cmdLoadtoCt, "icon_write.svg"},
                 {ui->cmdShogoCt, "icon_verify_ct.svg"}, {ui->cmdShogoFile, "icon_verify_file.svg"}};
    for (const auto &i : icons) {
        i.button->setIcon(QIcon(QStringLiteral(":/%1").arg(QLatin1String(i.icon))));
        i.button->setIconSize(QSize(28, 28));
    }
    SetBackground(ui->txtHensu2, QColor(0xE0, 0xE0, 0xE0));
}

void frmMain::setHeightTwips(int twips)
{
    setFixedSize(TwipsToPixelsX(kWidthTwips, this), TwipsToPixelsY(twips, this));
}

bool frmMain::isEditMode() const
{
    return ui->lblEditMode->isEnabled();
}

void frmMain::cmdModeChange_Click()
{
    if (!isEditMode())
        EditModeLayout();
    else
        MoveModeLayout();
}

void frmMain::setModeLabel(QLabel *label, bool active)
{
    label->setEnabled(active);
    QFont f = label->font();
    f.setBold(active);
    label->setFont(f);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, palette().color(active ? QPalette::Base : QPalette::Button));
    label->setPalette(p);
}

void frmMain::setFrameCaptionBold(QWidget *frame, bool bold)
{
    // A frame's font reaches its children; pin theirs so only the caption changes weight.
    for (QWidget *child : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->testAttribute(Qt::WA_SetFont)) {
            QFont f = child->font();
            f.setBold(false);
            child->setFont(f);
        }
    }
    QFont f = frame->font();
    f.setBold(bold);
    frame->setFont(f);
}

// Edit and move mode set the same controls to opposite states, row by row. The last two rows
// depend on the options; when a row's condition fails the layout stops there.
void frmMain::EditModeLayout()
{
    ModeLayout(true);
}

void frmMain::MoveModeLayout()
{
    ModeLayout(false);
}

void frmMain::ModeLayout(bool edit)
{
    Ui::frmMain &f = *ui;
    setModeLabel(f.lblEditMode, edit);
    setModeLabel(f.lblMoveMode, !edit);
    setFrameCaptionBold(f.frmMove, !edit);
    f.frmMove->setEnabled(!edit);
    SetEnabled({f.framSelectPosi, f.optPosiNo_0, f.optPosiNo_1, f.optPosiNo_2}, !edit);
    SetEnabled({f.cmdSelectMove, f.cmdStop, f.cmdHome, f.lblKanryoiti, f.lblKanryoNo}, !edit);
    f.framPosiData->setEnabled(edit);
    setFrameCaptionBold(f.framPosiData, edit);
    f.framDousaPara->setEnabled(edit);
    SetEnabled({f.cmdFileOpen, f.cmdSaveFile, f.cmdGetfromCt, f.cmdLoadtoCt, f.cmdShogoFile, f.cmdShogoCt}, edit);
    SetEnabled({f.lblPosi1, f.lblPosi2, f.comboVEL1, f.comboVEL2, f.lblPosi1Acc, f.lblPosi2Acc, f.UpDown1,
                f.UpDown2, f.lblPosi1Gensoku, f.lblPosi2Gensoku, f.UpDownP1Gen, f.UpDownP2Gen, f.txtPosi1,
                f.txtPosi2, f.txtPosi1Timer, f.txtPosi2Timer, f.lblVel, f.lblAcc, f.lblGensoku,
                f.lblPosition, f.lblTimer},
               edit);
    // The verify items go with their submenu: their shortcuts would otherwise reach them in move
    // mode, where the submenu is off.
    SetEnabled({f.mnuFileNew, f.mnuFileOpen, f.mnuFileGetfromCt, f.mnuFileSave, f.mnuFileSaveAs,
                f.mnuFileLoadtoCt, f.mnuFileShogo->menuAction(), f.mnuCtShogo, f.mnuShogoFile, f.mnuFilePageSetup,
                f.mnuFilePrint, f.mnuFileSavePdf, f.mnuViewCtVersion, f.mnuShowInpOutp, f.mnuModeChange->menuAction()},
               edit);
    if (!ShowParametersOption)
        return;
    SetEnabled({f.framParameta, f.lblSentanCount, f.txtSentanCount, f.lblNoWorkCount, f.txtNoWorkCount,
                f.lblRestartDelay, f.txtRestartDelay, f.lblLowKaijoCnt, f.txtLowKaijoCnt, f.lblXXXCnt,
                f.txtXXXCnt, f.lblHensu1, f.txtHensu1},
               edit);
    // Editing the homing fields needs its own option; leaving edit mode always locks them.
    if (edit && !HomingParametersOption)
        return;
    SetEnabled({f.framHomePara, f.lblHomeSokudo, f.txtHomeSokudo, f.lblHomePosi, f.txtHomePosi,
                f.lblOffsetSokudo, f.txtOffsetSokudo, f.lblOffsetPosi, f.txtOffsetPosi},
               edit);
}

void frmMain::disableCommandButtons()
{
    SetEnabled({ui->cmdFileOpen, ui->cmdSaveFile, ui->cmdLoadtoCt, ui->cmdGetfromCt, ui->cmdShogoCt,
                ui->cmdShogoFile, ui->cmdModeChange},
               false);
}

void frmMain::enableCommandButtons()
{
    SetEnabled({ui->cmdFileOpen, ui->cmdSaveFile, ui->cmdLoadtoCt, ui->cmdGetfromCt, ui->cmdShogoCt,
                ui->cmdShogoFile, ui->cmdModeChange},
               true);
}

void frmMain::disableFileMenu()
{
    SetEnabled({ui->mnuFileNew, ui->mnuFileOpen, ui->mnuFileGetfromCt, ui->mnuFileSave, ui->mnuFileSaveAs,
                ui->mnuFileLoadtoCt, ui->mnuFilePageSetup, ui->mnuFilePrint, ui->mnuFileSavePdf},
               false);
}

void frmMain::enableFileMenu()
{
    SetEnabled({ui->mnuFileNew, ui->mnuFileOpen, ui->mnuFileGetfromCt, ui->mnuFileSave, ui->mnuFileSaveAs,
                ui->mnuFileLoadtoCt, ui->mnuFilePageSetup, ui->mnuFilePrint, ui->mnuFileSavePdf},
               true);
}

void frmMain::disableMoveControls()
{
    SetEnabled({ui->cmdHome, ui->cmdSelectMove, ui->cmdModeChange, ui->framSelectPosi}, false);
}

void frmMain::enableMoveControls()
{
    SetEnabled({ui->cmdHome, ui->cmdSelectMove, ui->cmdModeChange, ui->framSelectPosi}, true);
}

void frmMain::enableHomingParameters()
{
    SetEnabled({ui->framHomePara, ui->lblHomeSokudo, ui->lblHomePosi, ui->lblOffsetSokudo, ui->lblOffsetPosi}, true);
    for (QLineEdit *e : {ui->txtHomeSokudo, ui->txtHomePosi, ui->txtOffsetSokudo, ui->txtOffsetPosi}) {
        e->setEnabled(true);
        SetBackground(e, QColor(0xFF, 0xFF, 0xFF));
    }
}

void frmMain::disableHomingParameters()
{
    SetEnabled({ui->framHomePara, ui->lblHomeSokudo, ui->lblHomePosi, ui->lblOffsetSokudo, ui->lblOffsetPosi}, false);
    for (QLineEdit *e : {ui->txtHomeSokudo, ui->txtHomePosi, ui->txtOffsetSokudo, ui->txtOffsetPosi}) {
        e->setEnabled(false);
        SetBackground(e, QColor(0xE0, 0xE0, 0xE0));
    }
}

void frmMain::updatePortLamp()
{
    ui->imgPortGreen->setVisible(Port().isOpen());
    // A close that arrived while an operation was talking to the controller.
    if (closePending_ && !talking()) {
        closePending_ = false;
        close();
    }
}

void frmMain::mnuViewOption_Click()
{
    // The dialog probes the ports: never while an operation is using one.
    if (refuseWhileBusy())
        return;
    if (showOptionsDialog)
        showOptionsDialog();
    ApplyShowParametersLayout();
    repaint();
}

void frmMain::mnuViewCommLog_Click()
{
    // The log goes where it covers none of the window, with the parameter frames shown or not.
    QRect keepClear = frameGeometry();
    keepClear.setHeight(keepClear.height() - height() + TwipsToPixelsY(kTallHeightTwips, this));
    ShowCommLog(this, keepClear);
}

void frmMain::ApplyShowParametersLayout()
{
    if (!ShowParametersOption) {
        setHeightTwips(kShortHeightTwips);
        ui->framParameta->setEnabled(false);
        ui->framParameta->hide();
        ui->framHomePara->setEnabled(false);
        ui->framHomePara->hide();
    } else {
        setHeightTwips(kTallHeightTwips);
        ui->framParameta->setEnabled(true);
        ui->framParameta->show();
        ui->framHomePara->show();
        // A read or an open while the fields were hidden left them behind what the tool holds
        // (it read all of them); shown blank or stale they could not even be saved.
        if (groupFieldsBehind_) {
            rules_->fillGroups();
            groupFieldsBehind_ = false;
        }
    }
}

bool frmMain::ParameterGroupsActive() const
{
    return ShowParametersOption && ui->framParameta->isEnabled();
}

ScreenTexts frmMain::screenTexts() const
{
    return rules_->screenTexts();
}

void frmMain::ScreenFill()
{
    const bool groups = ParameterGroupsActive();
    rules_->screenFill(groups);
    groupFieldsBehind_ = !groups;
}

void frmMain::ShowDataName()
{
    // A file name is shown as it is, never interpreted as markup; a long one is shortened in the
    // middle, and the whole path is in the tool tip.
    QLabel *label = ui->lblShowName;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    const int room = label->contentsRect().width() - 2 * label->margin() - label->fontMetrics().averageCharWidth() / 2;
    const QString &name = document_.name;
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, room));
    label->setToolTip(document_.path.isEmpty() ? (label->text() == name ? QString() : name)
                                               : QDir::toNativeSeparators(document_.path));
}

bool frmMain::AcceptFocusedField()
{
    return rules_->acceptFocusedValue();
}

void frmMain::mnuFileExit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (closing_) {
        event->accept();
        return;
    }
    if (talking()) {
        // Never tear down under an operation that is waiting for the controller; close when it ends.
        // A shuttle run would never end by itself: ask it to stop at its next arrival.
        closePending_ = true;
        moveStopRequested_ = true;
        event->ignore();
        emit closeDeferred();
        return;
    }
    // A value typed into the focused field gets its leave check before the exit question.
    if (!AcceptFocusedField() || !closeAllowed()) {
        event->ignore();
        return;
    }
    unloadForm();
    event->accept();
}

bool frmMain::closeAllowed()
{
    if (document_.changed) {
        switch (prompts().message(Str(223), MsgButtons::YesNoCancel, MsgIcon::Question)) {
        case MsgAnswer::Yes:
            // The edits exist nowhere else: a save that is cancelled or fails keeps the window open.
            return saveData && saveData() == 0;
        case MsgAnswer::No:
            return true;
        default:
            return false;
        }
    }
    if (prompts().message(Str(222), MsgButtons::OkCancel, MsgIcon::Question) != MsgAnswer::Ok)
        return false;
    link_->forceClose();
    return true;
}

void frmMain::unloadForm()
{
    closing_ = true;
    SavePortNo(link_->portChoice());
    link_->forceClose();
    portLampTimer_.stop();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        if (w != this && w->isVisible())
            w->hide();
}

frmMain::Busy::Busy(frmMain *window) : window_(window)
{
    if (window_)
        ++window_->busy_;
}

frmMain::Busy::~Busy()
{
    if (window_)
        --window_->busy_;
}

frmMain::Hold frmMain::holdBracketed()
{
    disableCommandButtons();
    disableFileMenu();
    auto busy = std::make_shared<Busy>(this);
    return Hold(this, [busy](void *w) mutable {
        auto *window = static_cast<frmMain *>(w);
        window->enableCommandButtons();
        window->enableFileMenu();
        busy.reset();
    });
}

frmMain::Hold frmMain::holdBusy()
{
    return std::make_shared<Busy>(this);
}

void frmMain::showAlarm(const QString &code, const QString &text)
{
    ui->lblAlarmNo->setText(code);
    ui->imgAlarmLed->setVisible(true);
    ui->lblErrorComment->setText(text);
}

void frmMain::clearAlarm()
{
    ui->imgAlarmLed->setVisible(false);
    ui->lblErrorComment->setText(QStringLiteral("No Error"));
}

void frmMain::showFailure(const Outcome &outcome)
{
    const QString message = FailureMessage(outcome);
    if (!message.isEmpty())
        MsgOk(message);
}

QString frmMain::portFailureDetail(const Outcome &outcome) const
{
    return outcome.kind == Outcome::Kind::PortFailure ? link_->openFailureDetail() : QString();
}

void frmMain::sayNotConnected(const Outcome &outcome)
{
    showFailure(outcome);
    MsgOk(Str(215) + portFailureDetail(outcome));
}

void frmMain::closePort()
{
    link_->close();
}

}  // namespace kz
