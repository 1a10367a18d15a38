#include "support/sim_runner.h"

#include "core/paths.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace kz::test {

SimRunner::SimRunner(const QStringList &extraArgs, int portNo)
{
    QDir().mkpath(PortLinkDir());
    link_ = QDir(PortLinkDir()).filePath(QStringLiteral("COM%1").arg(portNo));
    log_ = QDir(ConfigDir()).filePath(QStringLiteral("frames-COM%1.log").arg(portNo));
    QFile::remove(log_);
    QStringList args{QStringLiteral("--link"), link_, QStringLiteral("--log"), log_};
    args += extraArgs;
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(KZ_SIM_PATH), args);
    QDeadlineTimer deadline(5000);
    QByteArray out;
    while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(100);
        out += process_.readAllStandardOutput();
        if (out.contains("ready")) {
            ready_ = true;
            break;
        }
    }
}

SimRunner::~SimRunner()
{
    stop();
}

QStringList SimRunner::frames() const
{
    QFile file(log_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(skip_);
}

QStringList SimRunner::waitForFrames(int n, int ms) const
{
    QDeadlineTimer deadline(ms);
    QStringList got = frames();
    while (got.size() < n && !deadline.hasExpired()) {
        QThread::msleep(5);
        got = frames();
    }
    return got;
}

void SimRunner::clearLog()
{
    skip_ += int(frames().size());
}

void SimRunner::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

QString SimRunner::output() const
{
    return QString::fromLocal8Bit(const_cast<QProcess &>(process_).readAllStandardError());
}

}  // namespace kz::test
