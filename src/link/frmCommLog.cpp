#include "link/frmCommLog.h"

#include "core/captions.h"
#include "core/prompts.h"
#include "core/save_file.h"
#include "core/strings.h"
#include "link/comm_log.h"
#include "ui_frmCommLog.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace kz {

namespace {

QPointer<frmCommLog> g_window;

// Below this the log shows too little to be read.
constexpr QSize kMinimumSize(300, 160);

}  // namespace

QRect PlaceBeside(const QRect &available, const QRect &keepClear, const QSize &preferred,
                  const QSize &minimum, int gap)
{
    enum class Side { Right, Left, Below, Above };
    struct Room {
        Side side;
        QRect rect;
    };
    const QRect &a = available;
    const QRect &k = keepClear;
    const Room rooms[] = {
        {Side::Right, QRect(QPoint(k.right() + 1 + gap, a.top()), a.bottomRight())},
        {Side::Left, QRect(a.topLeft(), QPoint(k.left() - 1 - gap, a.bottom()))},
        {Side::Below, QRect(QPoint(a.left(), k.bottom() + 1 + gap), a.bottomRight())},
        {Side::Above, QRect(a.topLeft(), QPoint(a.right(), k.top() - 1 - gap))},
    };
    // The window in a room: as large as wanted within it, next to keepClear and level with it.
    const auto inRoom = [&](const Room &room, QSize size) {
        size = size.boundedTo(room.rect.size());
        const auto clamp = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };
        QPoint at;
        switch (room.side) {
        case Side::Right:
            at = {room.rect.left(), clamp(k.top(), room.rect.top(), room.rect.bottom() + 1 - size.height())};
            break;
        case Side::Left:
            at = {room.rect.right() + 1 - size.width(), clamp(k.top(), room.rect.top(), room.rect.bottom() + 1 - size.height())};
            break;
        case Side::Below:
            at = {clamp(k.left(), room.rect.left(), room.rect.right() + 1 - size.width()), room.rect.top()};
            break;
        case Side::Above:
            at = {clamp(k.left(), room.rect.left(), room.rect.right() + 1 - size.width()), room.rect.bottom() + 1 - size.height()};
            break;
        }
        return QRect(at, size);
    };
    const auto fits = [](const QRect &room, const QSize &size) {
        return room.width() >= size.width() && room.height() >= size.height();
    };

    for (const Room &room : rooms)
        if (fits(room.rect, preferred))
            return inRoom(room, preferred);
    const Room *best = nullptr;
    qint64 bestArea = -1;
    for (const Room &room : rooms) {
        if (!fits(room.rect, minimum))
            continue;
        const QSize size = preferred.boundedTo(room.rect.size());
        const qint64 area = qint64(size.width()) * size.height();
        if (area > bestArea) {
            best = &room;
            bestArea = area;
        }
    }
    if (best)
        return inRoom(*best, preferred);

    // No side has room: the minimum size at the screen's edge on the side with the most room.
    const Room *widest = &rooms[0];
    for (const Room &room : rooms) {
        const qint64 area = qint64(std::max(0, room.rect.width())) * std::max(0, room.rect.height());
        if (area > qint64(std::max(0, widest->rect.width())) * std::max(0, widest->rect.height()))
            widest = &room;
    }
    const QSize size = minimum.boundedTo(a.size());
    QRect placed = inRoom({widest->side, a}, size);
    switch (widest->side) {
    case Side::Right:
        placed.moveRight(a.right());
        break;
    case Side::Left:
        placed.moveLeft(a.left());
        break;
    case Side::Below:
        placed.moveBottom(a.bottom());
        break;
    case Side::Above:
        placed.moveTop(a.top());
        break;
    }
    return placed;
}

void ShowCommLog(QWidget *owner, const QRect &keepClear)
{
    if (!g_window) {
        g_window = new frmCommLog(owner, keepClear);
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
frmCommLog::frmCommLog(QWidget *owner, const QRect &keepClear)
    : QWidget(nullptr, Qt::Window), ui(std::make_unique<Ui::frmCommLog>()), model_(&ProgramCommLog()),
      paced_(new PacedCommLog(*model_, 500, this)), filter_(new CommLogFilter(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    LoadFormCaptions(this);
    // New lines reach the view at most twice a second, and only while the window is shown.
    filter_->setSourceModel(paced_);
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

    placeBeside(owner, keepClear);
}

void frmCommLog::placeBeside(QWidget *owner, const QRect &keepClear)
{
    if (!owner)
        return;
    const QScreen *screen = owner->screen();
    if (!screen)
        return;
    // Rectangles are frames; this window's frame is taken to be as thick as the owner's.
    const QRect ownerFrame = owner->frameGeometry();
    const QRect ownerInside = owner->geometry();
    const QMargins frame(ownerInside.left() - ownerFrame.left(), ownerInside.top() - ownerFrame.top(),
                         ownerFrame.right() - ownerInside.right(), ownerFrame.bottom() - ownerInside.bottom());
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect placed = PlaceBeside(screen->availableGeometry(), keepClear.isEmpty() ? ownerFrame : keepClear,
                                     size() + extra, kMinimumSize + extra);
    resize(placed.size() - extra);
    move(placed.topLeft());
}

frmCommLog::~frmCommLog() = default;

QStringList frmCommLog::shownLines() const
{
    paced_->catchUp();
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
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + '\n';
    QString why;
    if (!SaveWholeFile(chosen.fullPath, text, &why))
        MsgOk(Str(3218) + QLatin1String("\r\n") + QDir::toNativeSeparators(chosen.fullPath) + QLatin1String(": ") + why);
}

void frmCommLog::showEvent(QShowEvent *event)
{
    // The whole log, kept while the window was hidden, and the view at its newest line.
    if (!paced_->isActive()) {
        paced_->setActive(true);
        followBottom_ = true;
        ui->lstLog->scrollToBottom();
    }
    QWidget::showEvent(event);
}

void frmCommLog::hideEvent(QHideEvent *event)
{
    // Hidden, the window costs nothing: its view does not follow the log.
    if (!event->spontaneous())
        paced_->setActive(false);
    QWidget::hideEvent(event);
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
