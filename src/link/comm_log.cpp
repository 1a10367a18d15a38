#include "link/comm_log.h"

#include "core/strings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kz {

namespace {

QString Direction(TrafficKind kind)
{
    switch (kind) {
    case TrafficKind::Sent:
        return QStringLiteral("→");
    case TrafficKind::Received:
        return QStringLiteral("←");
    default:
        return QStringLiteral("·");
    }
}

QString Outcome(const TrafficRecord &r)
{
    switch (r.kind) {
    case TrafficKind::Sent:
    case TrafficKind::Received:
        return FrameText(r.bytes);
    case TrafficKind::Good:
        return Str(3207);
    case TrafficKind::Timeout:
        return Str(3208).arg(r.detail);
    case TrafficKind::Alarm:
        return Str(3209).arg(r.detail, r.text);
    case TrafficKind::EchoMismatch:
        return Str(3210).arg(r.detail);
    case TrafficKind::LengthError: {
        // The link says "expected N, got M"; the log says it in the user's language.
        QStringList numbers;
        for (const auto &m : QRegularExpression(QStringLiteral("\\d+")).globalMatch(r.detail))
            numbers << m.captured();
        if (numbers.size() == 2)
            return Str(3211).arg(numbers[0], numbers[1]);
        return Str(3211).arg(r.detail, QStringLiteral("?"));
    }
    case TrafficKind::Recovery:
        return Str(3212);
    case TrafficKind::RecoveryAnswered:
        return Str(3323);
    case TrafficKind::OpenFailed:
        return Str(3213).arg(QString(r.detail).replace(QRegularExpression(QStringLiteral("\\s*[\\r\\n]+\\s*")),
                                                       QStringLiteral(" ")));
    case TrafficKind::LineLost:
        return Str(3214);
    case TrafficKind::Stopped:
        return Str(3330);
    }
    return {};
}

}  // namespace

QString FrameText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\r')
            text += QChar(0x21A9);
        else if (b == '\n')
            text += QChar(0x2193);
        else if (b < 0x20 || b >= 0x7F)
            text += QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        else
            text += QLatin1Char(c);
    }
    return text;
}

QString CommLogLine(const TrafficRecord &r)
{
    const QString time = QDateTime::fromMSecsSinceEpoch(r.msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss.zzz"));
    QString port = r.port;
    if (!r.device.isEmpty() && r.device != r.port)
        port += QLatin1Char(' ') + r.device;
    return time + QLatin1String("  ") + port + QLatin1String("  ") + Direction(r.kind) + QLatin1String("  ") +
           Outcome(r);
}

bool IsIoPoll(const QByteArray &sentFrame)
{
    return sentFrame == "0RD20\r\n";
}

CommLogModel::CommLogModel(bool watch, QObject *parent) : QAbstractListModel(parent)
{
    if (watch)
        observer_ = AddTrafficObserver([this](const TrafficRecord &r) { append(r); });
}

CommLogModel::~CommLogModel()
{
    if (observer_ != 0)
        RemoveTrafficObserver(observer_);
}

void CommLogModel::append(const TrafficRecord &record)
{
    const qint64 seq = dropped_ + qint64(lines_.size());
    if (record.kind == TrafficKind::Sent) {
        exchangeStart_ = seq;
        inPoll_ = IsIoPoll(record.bytes);
    } else if (record.kind == TrafficKind::OpenFailed) {
        inPoll_ = false;
    } else if (inPoll_ && record.kind != TrafficKind::Received && record.kind != TrafficKind::Good) {
        // A poll that failed is worth seeing whole, even with the polls hidden.
        inPoll_ = false;
        const qint64 first = std::max(exchangeStart_, dropped_);
        for (qint64 s = first; s < seq; ++s)
            lines_[size_t(s - dropped_)].poll = false;
        if (first < seq)
            emit dataChanged(index(int(first - dropped_)), index(int(seq - dropped_ - 1)), {PollRole});
    }

    if (lines_.size() >= size_t(kMaxLines)) {
        beginRemoveRows({}, 0, 0);
        lines_.pop_front();
        ++dropped_;
        endRemoveRows();
    }
    const int row = int(lines_.size());
    beginInsertRows({}, row, row);
    lines_.push_back({record, inPoll_});
    endInsertRows();
}

void CommLogModel::clear()
{
    beginResetModel();
    dropped_ += qint64(lines_.size());
    lines_.clear();
    endResetModel();
}

int CommLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(lines_.size());
}

QVariant CommLogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(lines_.size()))
        return {};
    const Line &line = lines_[size_t(index.row())];
    if (role == Qt::DisplayRole)
        return CommLogLine(line.record);
    if (role == PollRole)
        return line.poll;
    return {};
}

PacedCommLog::PacedCommLog(CommLogModel &source, int intervalMs, QObject *parent)
    : QAbstractListModel(parent), source_(source), intervalMs_(intervalMs), timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &PacedCommLog::catchUp);
    sinceCatchUp_.start();
}

void PacedCommLog::setActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    for (const auto &c : connections_)
        disconnect(c);
    connections_.clear();
    timer_->stop();
    beginResetModel();
    first_ = source_.firstSequence();
    count_ = active ? source_.rowCount() : 0;
    endResetModel();
    if (!active)
        return;
    sinceCatchUp_.restart();
    connections_ << connect(&source_, &QAbstractItemModel::rowsInserted, this, &PacedCommLog::schedule);
    connections_ << connect(&source_, &QAbstractItemModel::modelReset, this, [this] {
        timer_->stop();
        beginResetModel();
        first_ = source_.firstSequence();
        count_ = source_.rowCount();
        endResetModel();
    });
    // A failed poll's lines stop counting as a poll: said at once, it shows even with polls hidden.
    connections_ << connect(&source_, &QAbstractItemModel::dataChanged, this,
                            [this](const QModelIndex &top, const QModelIndex &bottom, const QList<int> &roles) {
                                const qint64 shift = source_.firstSequence() - first_;
                                const int from = int(std::max<qint64>(0, top.row() + shift));
                                const int to = int(std::min<qint64>(count_ - 1, bottom.row() + shift));
                                if (from <= to)
                                    emit dataChanged(index(from), index(to), roles);
                            });
}

void PacedCommLog::schedule()
{
    if (timer_->isActive())
        return;
    timer_->start(int(std::max<qint64>(0, intervalMs_ - sinceCatchUp_.elapsed())));
}

void PacedCommLog::catchUp()
{
    timer_->stop();
    sinceCatchUp_.restart();
    if (!active_)
        return;
    const qint64 sourceFirst = source_.firstSequence();
    const qint64 gone = std::min<qint64>(std::max<qint64>(0, sourceFirst - first_), count_);
    if (gone > 0) {
        beginRemoveRows({}, 0, int(gone - 1));
        first_ += gone;
        count_ -= int(gone);
        endRemoveRows();
    }
    if (count_ == 0)
        first_ = sourceFirst;
    const qint64 more = sourceFirst + source_.rowCount() - (first_ + count_);
    if (more > 0) {
        beginInsertRows({}, count_, int(count_ + more - 1));
        count_ += int(more);
        endInsertRows();
    }
}

int PacedCommLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count_;
}

QVariant PacedCommLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count_)
        return {};
    // A line the source dropped since the last catch-up is gone until the next one.
    const qint64 row = first_ + index.row() - source_.firstSequence();
    if (row < 0 || row >= source_.rowCount())
        return {};
    return source_.index(int(row), 0).data(role);
}

CommLogModel &ProgramCommLog()
{
    // Released with the application, before the link's observers are gone.
    static CommLogModel *model = nullptr;
    if (!model) {
        model = new CommLogModel(true);
        qAddPostRoutine([] {
            delete model;
            model = nullptr;
        });
    }
    return *model;
}

namespace {

// Opens path for appending when it is a regular file, making it when it does not exist. A named
// pipe would block the start for ever, a folder or device is no log file; the test is made on the
// opened file itself, so a path that changes in between cannot slip past it. *created says whether
// this call made the file; on a failure *why is the reason.
bool OpenRegularForAppend(QFile &file, const QString &path, bool *created, QString *why)
{
    *created = false;
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    const bool existed = ::stat(name.constData(), &st) == 0;
    // Refused before it is opened: a pipe with nobody reading would only say "no such device".
    if (existed && !S_ISREG(st.st_mode)) {
        *why = Str(3007);
        return false;
    }
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    *created = !existed;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = Str(3007);
        ::close(fd);
        return false;
    }
    // Unbuffered: every write reaches the file at once and says at once whether it did.
    if (::fcntl(fd, F_SETFL, O_APPEND) != 0
        || !file.open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                      QFileDevice::AutoCloseHandle)) {
        *why = file.errorString();
        ::close(fd);
        if (*created)
            QFile::remove(path);
        return false;
    }
    return true;
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *why = Str(3007);
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *why = file.errorString();
        return false;
    }
    *created = !info.exists();
    return true;
#endif
}

}  // namespace

CommLogFile::~CommLogFile()
{
    if (observer_ != 0)
        RemoveTrafficObserver(observer_);
}

bool CommLogFile::open(const QString &path, QString *error)
{
    QString why;
    if (!OpenRegularForAppend(file_, path, &created_, &why)) {
        if (error)
            *error = why;
        return false;
    }
    path_ = path;
    // Each line reaches the file at once, so a log ends with the last frame even if the program
    // does not.
    observer_ = AddTrafficObserver([this](const TrafficRecord &r) { writeLine(r); });
    return true;
}

void CommLogFile::writeLine(const TrafficRecord &record)
{
    if (failed_)
        return;
    const QByteArray line = (CommLogLine(record) + QLatin1Char('\n')).toUtf8();
    if (file_.write(line) == line.size())
        return;
    // A full disk: said once, and no more lines are tried, so that the link is not slowed by a
    // failing write on every frame.
    failed_ = true;
    const QString reason = file_.errorString();
    const bool empty = file_.size() == 0;
    file_.close();
    if (created_ && empty)
        QFile::remove(path_);
    if (onWriteFailed)
        onWriteFailed(Str(3400).arg(QDir::toNativeSeparators(path_)) + QLatin1String("\r\n") + reason);
}

}  // namespace kz
