#include "link/frmCommLog.h"

#include "core/captions.h"
#include "core/prompts.h"
#include "core/strings.h"
#include "link/comm_log.h"
#include "ui_frmCommLog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>

namespace kz {

namespace {

QPointer<frmCommLog> g_window;

}  // namespace

void ShowCommLog(QWidget *owner)
{
    if (!g_window) {
        g_window = new frmCommLog(owner);
        if (owner)
            QObject::connect(owner, &QObject::destroyed, g_window.data(), [] { delete g_window.data(); });
    }
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
}

frmCommLog *CommLogWindow()
{
    return g_window.data();
}

void CommLogFilter::setHidePolls(bool hide)
{
    if (hide == hidePolls_)
        return;
    hidePolls_ = hide;
    invalidateFilter();
}

bool CommLogFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!hidePolls_)
        return true;
    return !sourceModel()->index(sourceRow, 0, sourceParent).data(CommLogModel::PollRole).toBool();
}

// A window of its own, without a parent: the I/O monitor and the transfer window block the main
// window and its children while they run, and the log must stay usable beside them.
frmCommLog::frmCommLog(QWidget *owner)
    : QWidget(nullptr, Qt::Window), ui(std::make_unique<Ui::frmCommLog>()),
      model_(new CommLogModel(true, this)), filter_(new CommLogFilter(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    LoadFormCaptions(this);
    filter_->setSourceModel(model_);
    filter_->setDynamicSortFilter(true);
    ui->lstLog->setModel(filter_);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // A monospaced face that also draws the CR and LF symbols; the system's own as the fallback.
    mono.setFamilies({QStringLiteral("DejaVu Sans Mono"), mono.family()});
    ui->lstLog->setFont(mono);

    connect(ui->chkHidePolls, &QCheckBox::toggled, filter_, &CommLogFilter::setHidePolls);
    connect(ui->cmdClear, &QPushButton::clicked, this, &frmCommLog::cmdClear_Click);
    connect(ui->cmdCopy, &QPushButton::clicked, this, &frmCommLog::cmdCopy_Click);
    connect(ui->cmdSave, &QPushButton::clicked, this, &frmCommLog::cmdSave_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    // The view follows new lines only while the user is at the bottom; anywhere else it stays.
    QScrollBar *bar = ui->lstLog->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { followBottom_ = value >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int max) {
        if (followBottom_)
            bar->setValue(max);
    });

    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] {
        // Only while following the newest line: a user reading further up gets every repaint.
        if (repaintPending_ || !isVisible() || !followBottom_)
            return;
        repaintPending_ = true;
        ui->lstLog->setUpdatesEnabled(false);
        QTimer::singleShot(500, this, [this] {
            repaintPending_ = false;
            ui->lstLog->setUpdatesEnabled(true);
        });
    });

    // Beside the owner, on its right, where there is room; otherwise where the system puts it.
    if (owner) {
        const QRect frame = owner->frameGeometry();
        QPoint at(frame.right() + 8, frame.top());
        if (const QScreen *screen = owner->screen())
            if (at.x() + width() > screen->availableGeometry().right())
                at = QPoint(std::max(screen->availableGeometry().left(), frame.left() + 40), frame.top() + 40);
        move(at);
    }
}

frmCommLog::~frmCommLog() = default;

QStringList frmCommLog::shownLines() const
{
    QStringList lines;
    lines.reserve(filter_->rowCount());
    for (int row = 0; row < filter_->rowCount(); ++row)
        lines << filter_->index(row, 0).data().toString();
    return lines;
}

QStringList frmCommLog::linesToCopy() const
{
    QModelIndexList selected = ui->lstLog->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return shownLines();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    for (const QModelIndex &index : selected)
        lines << index.data().toString();
    return lines;
}

void frmCommLog::cmdClear_Click()
{
    model_->clear();
    followBottom_ = true;
}

void frmCommLog::cmdCopy_Click()
{
    QApplication::clipboard()->setText(linesToCopy().join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void frmCommLog::cmdSave_Click()
{
    FileDialogRequest request;
    request.title = Str(3215);
    request.filter = Str(3216);
    request.defaultExt = Str(3217);
    request.fileName = QStringLiteral("kz-comm-log.txt");
    request.confirmOverwrite = true;
    // Taken before the dialog: the lines saved are those on screen when the user asked.
    const QStringList lines = shownLines();
    const FileDialogResult chosen = prompts().saveFile(request);
    if (!chosen.accepted || chosen.fullPath.isEmpty())
        return;
    QSaveFile file(chosen.fullPath);
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        MsgOk(Str(3218) + QLatin1String("\r\n") + file.errorString());
}

void frmCommLog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        cmdCopy_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kz
