#include "link/comm_log.h"

#include "core/strings.h"

#include <QDateTime>
#include <QRegularExpression>

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
    lines_.push_back({CommLogLine(record), inPoll_});
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
        return line.text;
    if (role == PollRole)
        return line.poll;
    return {};
}

CommLogFile::~CommLogFile()
{
    if (observer_ != 0)
        RemoveTrafficObserver(observer_);
}

bool CommLogFile::open(const QString &path, QString *error)
{
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = file_.errorString();
        return false;
    }
    observer_ = AddTrafficObserver([this](const TrafficRecord &r) {
        // Each line reaches the file at once, so a log ends with the last frame even if the
        // program does not.
        file_.write((CommLogLine(r) + QLatin1Char('\n')).toUtf8());
        file_.flush();
    });
    return true;
}

}  // namespace kz
