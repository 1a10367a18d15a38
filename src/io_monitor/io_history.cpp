#include "io_monitor/io_history.h"

#include "core/strings.h"

#include <QDateTime>

namespace kz {

namespace {

QString CsvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

}  // namespace

void IoHistory::start(const std::array<bool, kIoRowCount> &lamps)
{
    changes.clear();
    polls = 0;
    failedPolls = 0;
    shown_ = lamps;
    written_ = {};
}

void IoHistory::noteLamps(const std::array<bool, kIoRowCount> &lamps, qint64 msecsSinceEpoch)
{
    for (int row = 1; row <= kIoRowCount; ++row) {
        const size_t i = size_t(row - 1);
        if (lamps[i] != shown_[i])
            changes.append({msecsSinceEpoch, row, lamps[i], IsOutputRow(row) && written_[i]});
    }
    shown_ = lamps;
    written_ = {};
}

QString IoHistory::csv() const
{
    const QString crLf = QStringLiteral("\r\n");
    QString text = QStringList{Str(3251), Str(3252), Str(3253), Str(3254)}.join(QLatin1Char(',')) + crLf;
    for (const IoChange &c : changes)
        text += QStringList{CsvField(ChangeTime(c)), CsvField(SignalName(c.row)), CsvField(ChangeState(c)),
                            CsvField(ChangeSource(c))}
                    .join(QLatin1Char(',')) +
                crLf;
    return text;
}

QString SignalName(int row)
{
    return Str(410 + row);
}

bool IsOutputRow(int row)
{
    return kIoRows[size_t(row - 1)].outputValue != 0;
}

QString ChangeTime(const IoChange &change)
{
    return QDateTime::fromMSecsSinceEpoch(change.msecsSinceEpoch).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString ChangeState(const IoChange &change)
{
    return Str(change.on ? 3255 : 3256);
}

QString ChangeSource(const IoChange &change)
{
    if (!IsOutputRow(change.row))
        return {};
    return Str(change.fromTool ? 3257 : 3258);
}

}  // namespace kz
