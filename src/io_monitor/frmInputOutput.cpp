#include "io_monitor/frmInputOutput.h"

#include "core/captions.h"
#include "core/prompts.h"
#include "core/save_file.h"
#include "core/strings.h"
#include "core/twips.h"
#include "link/exchange.h"
#include "link/link.h"
#include "link/frmCommLog.h"
#include "link/port.h"
#include "link/port_settings.h"
#include "ui_frmInputOutput.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QIcon>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>

namespace kz {

namespace {

constexpr int kPollIntervalMs = 200;

QPixmap Lamp(const char *name, const QSize &size)
{
    // Drawn at twice the size so that the lamp stays sharp on high-density screens.
    return QIcon(QStringLiteral(":/%1").arg(QLatin1String(name))).pixmap(size * 2);
}

// A focused output name is drawn in the selection colours, as a focused list entry is.
void ShowFocus(QLabel *label, bool focused)
{
    if (!focused) {
        label->setAutoFillBackground(false);
        label->setPalette(QPalette());
        return;
    }
    QPalette p = label->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::WindowText, p.color(QPalette::Active, QPalette::HighlightedText));
    label->setPalette(p);
    label->setAutoFillBackground(true);
}

}  // namespace

void ShowInputOutput(QWidget *owner, Link &link, InputOutputState &state, std::function<void()> showCommLog)
{
    frmInputOutput window(owner, &link, &state);
    if (showCommLog)
        window.showCommLog = std::move(showCommLog);
    // Modal to the main window alone, so that the communication log, a window of its own, can be
    // scrolled, filtered and saved while the monitor polls.
    window.setWindowModality(Qt::WindowModal);
    window.exec();
}

frmInputOutput::frmInputOutput(QWidget *owner, Link *link, InputOutputState *state)
    : QDialog(owner), ui(std::make_unique<Ui::frmInputOutput>()), timerInputOutput(new QTimer(this)),
      historyModel_(new QStandardItemModel(0, 4, this)),
      ownLink_(link ? nullptr : std::make_unique<Link>(NumberedPort{})), link_(link ? link : ownLink_.get()),
      ownState_(state ? nullptr : std::make_unique<InputOutputState>()), state_(state ? state : ownState_.get()),
      session_(std::make_unique<ControllerSession>(*link_))
{
    if (ownLink_)
        LoadPortOccupy(ownLink_->portChoice());
    ui->setupUi(this);
    ui->framHistory->hide();
    ui->lstHistory->setModel(historyModel_);
    ui->lstHistory->verticalHeader()->hide();
    ui->lstHistory->horizontalHeader()->setStretchLastSection(true);
    connect(ui->cmdHistory, &QToolButton::toggled, this, &frmInputOutput::cmdHistory_Toggled);
    connect(ui->cmdSaveHistory, &QPushButton::clicked, this, &frmInputOutput::cmdSaveHistory_Click);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    timerInputOutput->setObjectName(QStringLiteral("timerInputOutput"));
    timerInputOutput->setInterval(kPollIntervalMs);
    connect(timerInputOutput, &QTimer::timeout, this, &frmInputOutput::pollTick);
    connect(ui->cmdMonitor, &QPushButton::clicked, this, &frmInputOutput::cmdMonitor_Click);
    connect(ui->cmdTojiru, &QPushButton::clicked, this, &frmInputOutput::cmdTojiru_Click);
    connect(ui->cmdCommLog, &QToolButton::clicked, this, &frmInputOutput::cmdCommLog_Click);
    showCommLog = [owner] { ShowCommLog(owner); };

    for (int row = 1; row <= kIoRowCount; ++row) {
        QLabel *red = redImage(row);
        QLabel *white = whiteImage(row);
        white->setPixmap(Lamp("lamp_white.svg", white->size()));
        red->setPixmap(Lamp("lamp_red.svg", red->size()));
        red->raise();
        if (kIoRows[row - 1].outputValue != 0) {
            red->installEventFilter(this);
            white->installEventFilter(this);
        }
    }
    // The outputs are switched from the keyboard too: each name takes the focus, after Start and
    // Close, and Space or Enter on it does what a double-click on the lamp does.
    QWidget *previous = ui->cmdTojiru;
    QWidget::setTabOrder(ui->cmdMonitor, ui->cmdTojiru);
    for (int row = 1; row <= kIoRowCount; ++row) {
        if (kIoRows[row - 1].outputValue == 0)
            continue;
        auto *name = findChild<QLabel *>(QLatin1String(kIoRows[row - 1].label));
        name->setFocusPolicy(Qt::StrongFocus);
        name->installEventFilter(this);
        QWidget::setTabOrder(previous, name);
        previous = name;
    }
    QWidget::setTabOrder(previous, ui->cmdHistory);
    QWidget::setTabOrder(ui->cmdHistory, ui->cmdCommLog);
    QWidget::setTabOrder(ui->cmdCommLog, ui->lstHistory);
    QWidget::setTabOrder(ui->lstHistory, ui->cmdSaveHistory);
    // Start comes first: a key pressed at once must not switch an output.
    ui->cmdMonitor->setFocus();

    // loadForm
    PlaceOverOwner(this, owner);
    InputOutputState &s = *state_;
    s.stopPending = false;
    LoadFormCaptions(this);
    s.stopped = true;
    // The lamps show what was last seen: those states are also the base of the next output write,
    // so a lamp the user double-clicks must show the state that the write will invert.
    for (int row = 1; row <= kIoRowCount; ++row)
        showLamp(row);

    // The button keeps its width when its caption changes between start and stop.
    const QFontMetrics fm = ui->cmdMonitor->fontMetrics();
    const int textWidth = std::max(fm.horizontalAdvance(Str(420)), fm.horizontalAdvance(Str(422)));
    ui->cmdMonitor->setMinimumWidth(std::max(ui->cmdMonitor->sizeHint().width(),
                                             textWidth + fm.horizontalAdvance(QLatin1Char('M')) * 2));
    historyModel_->setHorizontalHeaderLabels({Str(3251), Str(3252), Str(3253), Str(3254)});
    sizeHistoryColumns();
    refreshHistory();
}

void frmInputOutput::sizeHistoryColumns()
{
    // The columns are sized once for every text they can hold, so that no signal name is cut or
    // wrapped and the columns do not jump while changes come in.
    QTableView *view = ui->lstHistory;
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideNone);
    const QFontMetrics fm(view->font());
    const QFontMetrics headerFm(view->horizontalHeader()->font());
    const int pad = fm.horizontalAdvance(QLatin1Char('M')) * 2;
    auto fit = [&](int column, const QStringList &texts) {
        int width = headerFm.horizontalAdvance(historyModel_->headerData(column, Qt::Horizontal).toString());
        for (const QString &text : texts)
            width = std::max(width, fm.horizontalAdvance(text));
        view->setColumnWidth(column, width + pad);
    };
    QStringList signalNames;
    for (int row = 1; row <= kIoRowCount; ++row)
        signalNames << SignalName(row);
    fit(0, {QStringLiteral("88:88:88.888")});
    fit(1, signalNames);
    fit(2, {Str(3255), Str(3256)});
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(fm.height() + fm.height() / 2);
}

frmInputOutput::~frmInputOutput() = default;

QLabel *frmInputOutput::redImage(int row) const
{
    return findChild<QLabel *>(QLatin1String(kIoRows[row - 1].redImage));
}

QLabel *frmInputOutput::whiteImage(int row) const
{
    return findChild<QLabel *>(QLatin1String(kIoRows[row - 1].whiteImage));
}

void frmInputOutput::showLamp(int row)
{
    redImage(row)->setVisible(state_->signalStates[row - 1]);
}

void frmInputOutput::setTimerEnabled(bool enabled)
{
    timerEnabled_ = enabled;
    if (!enabled)
        timerInputOutput->stop();
    else if (!ticking_ && !timerInputOutput->isActive())
        timerInputOutput->start();
}

void frmInputOutput::cmdMonitor_Click()
{
    InputOutputState &s = *state_;
    ui->cmdMonitor->setEnabled(false);
    if (s.stopped) {
        s.stopped = false;
        // A new start leaves behind the stop that an earlier failure asked for; otherwise the
        // first tick would end polling again while the button says it runs.
        s.stopPending = false;
        ui->cmdMonitor->setText(Str(422));
        s.history.start(s.signalStates);
        refreshHistory();
        setTimerEnabled(true);
        ui->cmdTojiru->setEnabled(false);
    } else {
        s.stopped = true;
        ui->cmdMonitor->setText(Str(420));
        setTimerEnabled(false);
        ui->cmdTojiru->setEnabled(true);
    }
    ui->cmdMonitor->setEnabled(true);
}

void frmInputOutput::cmdTojiru_Click()
{
    // A click that lands while a tick waits for its reply takes effect when the tick is done.
    if (ticking_) {
        unloadRequested_ = true;
        return;
    }
    unload();
}

void frmInputOutput::unload()
{
    setTimerEnabled(false);
    unloading_ = true;
    accept();
}

void frmInputOutput::imgOutput_DblClick(int row)
{
    InputOutputState &s = *state_;
    if (s.stopPending)
        return;
    s.outputRequests[kIoRows[row - 1].requestIndex] = true;
    s.outputChangePending = true;
}

void frmInputOutput::pollTick()
{
    // One exchange at a time: a tick never starts while a reply is awaited.
    if (ticking_ || link_->inProgress())
        return;
    ticking_ = true;
    timerInputOutput->stop();

    InputOutputState &s = *state_;
    if (link_->open() == 1) {
        // The line went away between two polls. Polling on would look live while the lamps are
        // stale and the window could not be closed: stop, say so, and let the user leave.
        PortLost();
        endTick();
        return;
    }
    if (s.outputChangePending) {
        finishTick();
        return;
    }
    readIoState([this](bool read, bool lineFailed) {
        if (lineFailed) {
            setTimerEnabled(false);
            StopMonitorDisplay();
            endTick();
            return;
        }
        if (read)
            showIoState();
        finishTick();
    });
}

void frmInputOutput::finishTick()
{
    const auto afterOutputs = [this] {
        InputOutputState &s = *state_;
        if (s.stopPending) {
            setTimerEnabled(false);
            link_->close();
            s.stopPending = false;
            // The button already reads "Start Monitor"; it must start on the next click.
            s.stopped = true;
        }
        endTick();
    };
    if (!state_->outputChangePending) {
        afterOutputs();
        return;
    }
    writeOutputChange([this, afterOutputs] {
        readIoState([this, afterOutputs](bool read, bool) {
            if (read)
                showIoState();
            afterOutputs();
        });
    });
}

void frmInputOutput::endTick()
{
    refreshHistory();
    ticking_ = false;
    if (unloadRequested_)
        unload();
    else if (timerEnabled_)
        timerInputOutput->start();
}

void frmInputOutput::readIoState(std::function<void(bool, bool)> done)
{
    session_->readInputsOutputs([this, done = std::move(done)](const Outcome &outcome, const QString &reply) {
        InputOutputState &s = *state_;
        if (outcome.ok()) {
            s.bytes = ParseIoBlock(reply);
            s.history.notePoll(true);
            link_->close();
            done(true, false);
            return;
        }
        showFailure(outcome);
        s.history.notePoll(false);
        s.stopped = true;
        ui->cmdMonitor->setText(Str(420));
        ui->cmdMonitor->setEnabled(true);
        // A reply that failed its checks (or none at all) stops the display; a frame that never
        // went out leaves it as it was.
        done(false, outcome.kind != Outcome::Kind::PortFailure && outcome.kind != Outcome::Kind::SendFailed);
    });
}

void frmInputOutput::PortLost()
{
    InputOutputState &s = *state_;
    setTimerEnabled(false);
    s.stopped = true;
    s.stopPending = false;
    ui->cmdMonitor->setText(Str(420));
    ui->cmdMonitor->setEnabled(true);
    ui->cmdTojiru->setEnabled(true);
    setLampsCurrent(false);
    s.history.notePoll(false);
    refreshHistory();
    MsgOk(Str(3006) + link_->openFailureDetail());
}

void frmInputOutput::setLampsCurrent(bool current)
{
    // Greyed lamps show the last state seen, no longer the controller's.
    for (int row = 1; row <= kIoRowCount; ++row) {
        redImage(row)->setEnabled(current);
        whiteImage(row)->setEnabled(current);
    }
}

void frmInputOutput::showIoState()
{
    InputOutputState &s = *state_;
    setLampsCurrent(true);
    for (int row : kLampRefreshOrder) {
        s.signalStates[row - 1] = RowOn(row, s.bytes);
        showLamp(row);
    }
    s.history.noteLamps(s.signalStates, QDateTime::currentMSecsSinceEpoch());
}

void frmInputOutput::writeOutputChange(std::function<void()> done)
{
    InputOutputState &s = *state_;
    int value = 0;
    std::array<bool, kIoRowCount> switched{};
    for (int row : kOutputWriteOrder) {
        const IoRow &r = kIoRows[row - 1];
        bool &state = s.signalStates[row - 1];
        if (s.outputRequests[r.requestIndex]) {
            state = !state;
            s.outputRequests[r.requestIndex] = false;
            switched[row - 1] = true;
        }
        if (state)
            value += r.outputValue;
    }
    session_->switchOutputs(value, [this, switched, done = std::move(done)](const Outcome &outcome) {
        InputOutputState &s = *state_;
        if (outcome.ok()) {
            for (int row = 1; row <= kIoRowCount; ++row)
                if (switched[row - 1])
                    s.history.noteWritten(row);
            s.outputChangePending = false;
            link_->close();
        } else {
            showFailure(outcome);
            link_->close();
            StopMonitorDisplay();
        }
        done();
    });
}

void frmInputOutput::refreshHistory()
{
    const IoHistory &h = state_->history;
    ui->lblPolls->setText(Str(3259).arg(h.polls).arg(h.failedPolls));
    if (historyModel_->rowCount() > h.changes.size())
        historyModel_->setRowCount(0);
    const bool atBottom = ui->lstHistory->verticalScrollBar()->value() >= ui->lstHistory->verticalScrollBar()->maximum();
    const int first = historyModel_->rowCount();
    for (int i = first; i < h.changes.size(); ++i) {
        const IoChange &c = h.changes[i];
        QList<QStandardItem *> items{new QStandardItem(ChangeTime(c)), new QStandardItem(SignalName(c.row)),
                                     new QStandardItem(ChangeState(c)), new QStandardItem(ChangeSource(c))};
        historyModel_->appendRow(items);
    }
    if (first < h.changes.size() && atBottom)
        ui->lstHistory->scrollToBottom();
}

void frmInputOutput::cmdHistory_Toggled(bool open)
{
    ui->cmdHistory->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    ui->framHistory->setVisible(open);
}

void frmInputOutput::cmdSaveHistory_Click()
{
    FileDialogRequest request;
    request.title = Str(3261);
    request.filter = Str(3262);
    request.defaultExt = Str(3263);
    request.fileName = QStringLiteral("kz-io-history.csv");
    request.confirmOverwrite = true;
    const QByteArray text = state_->history.csv().toUtf8();
    const FileDialogResult chosen = prompts().saveFile(request);
    if (!chosen.accepted || chosen.fullPath.isEmpty())
        return;
    QString why;
    if (!SaveWholeFile(chosen.fullPath, text, &why))
        MsgOk(Str(3264) + QLatin1String("\r\n") + QDir::toNativeSeparators(chosen.fullPath) + QLatin1String(": ") + why);
}

void frmInputOutput::cmdCommLog_Click()
{
    if (showCommLog)
        showCommLog();
}

void frmInputOutput::showFailure(const Outcome &outcome)
{
    const QString message = FailureMessage(outcome);
    if (!message.isEmpty())
        MsgOk(message);
}

void frmInputOutput::StopMonitorDisplay()
{
    state_->stopPending = true;
    setLampsCurrent(false);
    ui->cmdMonitor->setText(Str(420));
    ui->cmdTojiru->setEnabled(true);
}

void frmInputOutput::closeEvent(QCloseEvent *event)
{
    // closeAllowed: the close box and the window menu are refused; Close unloads.
    if (unloading_)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void frmInputOutput::keyPressEvent(QKeyEvent *event)
{
    // Escape does what Close does: it leaves the window once polling has stopped. While polling
    // runs it is refused like the disabled Close, with a beep so that the key is not dead.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (ui->cmdTojiru->isEnabled())
            ui->cmdTojiru->click();
        else
            prompts().beep();
        return;
    }
    QDialog::keyPressEvent(event);
}

int frmInputOutput::outputRowOfName(const QObject *watched) const
{
    for (int row = 1; row <= kIoRowCount; ++row)
        if (kIoRows[row - 1].outputValue != 0 && watched->objectName() == QLatin1String(kIoRows[row - 1].label))
            return row;
    return 0;
}

bool frmInputOutput::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int row = 1; row <= kIoRowCount; ++row) {
            if (kIoRows[row - 1].outputValue != 0 && (watched == redImage(row) || watched == whiteImage(row))) {
                imgOutput_DblClick(row);
                return true;
            }
        }
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        if (const int row = outputRowOfName(watched)) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
                imgOutput_DblClick(row);
                return true;
            }
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (outputRowOfName(watched))
            ShowFocus(static_cast<QLabel *>(watched), event->type() == QEvent::FocusIn);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kz
