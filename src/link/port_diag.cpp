#include "link/port_diag.h"

#include "core/strings.h"
#include "link/port.h"
#include "link/port_assign.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kz {

namespace {

std::function<bool(const QString &)> &AccessCheck()
{
    static std::function<bool(const QString &)> check;
    return check;
}

QString Line(const QString &text)
{
    return QStringLiteral("\r\n") + text;
}

#ifdef Q_OS_UNIX
bool ProcessAlive(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

QString ProcessName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

// The folders QSerialPort (and the UUCP convention before it) keeps lock files in, in its order.
const QStringList &LockDirs()
{
    static const QStringList dirs{QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
                                  QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
                                  QStringLiteral("/tmp"), QStringLiteral("/var/tmp"),
                                  QStringLiteral("/var/lock/lockdev"), QStringLiteral("/run/lock")};
    return dirs;
}

// "LCK..ttyUSB0", "LCK..pts_3": the device's name below /dev with '/' as '_'.
QString LockFileName(const QString &device)
{
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

// The group to join for a device: its own group, unless that is a group nobody joins for a serial
// port (root, the terminals' tty), in which case the usual "dialout".
QString AccessGroupOf(const QString &device)
{
    const QString group = QFileInfo(device).group();
    if (group.isEmpty() || group == QLatin1String("root") || group == QLatin1String("tty"))
        return QStringLiteral("dialout");
    return group;
}

void FillAdapters(PortDiagnosis &d)
{
    const QList<SerialDevice> devices = SerialDevices().devices();
    const QList<PortRow> rows = PortAssignments(devices);
    for (const SerialDevice &device : devices) {
        if (!device.isAdapter())
            continue;
        d.adapters << device;
        d.adapterPorts << AssignedPortNo(device, rows);
    }
}
#endif

QString AdapterLine(const SerialDevice &device, int portNo)
{
    QString line = QStringLiteral("  ") + device.location;
    QStringList about;
    if (!device.description.isEmpty())
        about << device.description;
    if (!device.vidPid().isEmpty())
        about << device.vidPid();
    if (!about.isEmpty())
        line += QStringLiteral(" (") + about.join(QStringLiteral(", ")) + QLatin1Char(')');
    line += QStringLiteral(": ") + (portNo ? QStringLiteral("COM%1").arg(portNo) : Str(3104));
    return line;
}

}  // namespace

bool DeviceAccessible(const QString &device)
{
    if (AccessCheck())
        return AccessCheck()(device);
#ifdef Q_OS_UNIX
    // Only a refusal counts: a device that vanished since it was seen is left to the open to find.
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0 || errno != EACCES;
#else
    Q_UNUSED(device);
    return true;
#endif
}

void SetDeviceAccessCheck(std::function<bool(const QString &device)> check)
{
    AccessCheck() = std::move(check);
}

std::optional<PortHolder> LockHolderOf(const QString &device)
{
#ifdef Q_OS_UNIX
    const QString name = LockFileName(device);
    for (const QString &dir : LockDirs()) {
        QFile lock(QDir(dir).filePath(name));
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        // Qt's lock files hold "pid\napplication\nhost\n"; UUCP's hold the pid alone, padded.
        const QStringList lines = QString::fromLocal8Bit(lock.read(4096)).split(QLatin1Char('\n'));
        const qint64 pid = lines.value(0).trimmed().toLongLong();
        if (!ProcessAlive(pid))
            continue;
        PortHolder holder{pid, lines.value(1).trimmed()};
        if (holder.name.isEmpty())
            holder.name = ProcessName(pid);
        return holder;
    }
#else
    Q_UNUSED(device);
#endif
    return std::nullopt;
}

QList<PortHolder> ProcessesHolding(const QString &device)
{
    QList<PortHolder> holders;
#ifdef Q_OS_UNIX
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return holders;
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : pids) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid == self)
            continue;
        // Only our own processes' descriptors are readable unless we are root; that covers a
        // second copy of this tool.
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        const QStringList names = fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        for (const QString &fd : names) {
            if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target) {
                holders << PortHolder{pid, ProcessName(pid)};
                break;
            }
        }
    }
#else
    Q_UNUSED(device);
#endif
    return holders;
}

PortDiagnosis DiagnoseOpenFailure(int portNo, const QString &device, const QString &errorText)
{
    PortDiagnosis d;
    d.portNo = portNo;
    d.device = device;
    d.errorText = errorText;
    d.fault = PortFault::Other;
    if (portNo < 1 || portNo > 32) {
        d.fault = PortFault::BadNumber;
        return d;
    }
    // A network port: the connection's own words say why (refused, unknown host, time-out).
    if (device.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive)) {
        d.linked = true;
        d.linkTarget = device;
        return d;
    }
#ifdef Q_OS_UNIX
    const QFileInfo link(PortLinkPath(portNo));
    d.linked = link.isSymLink() || link.exists();
    if (d.linked)
        d.linkTarget = link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();

    struct stat st {};
    const QByteArray path = QFile::encodeName(device);
    if (::stat(path.constData(), &st) != 0) {
        d.fault = PortFault::NoDevice;
        FillAdapters(d);
        return d;
    }
    if (!S_ISCHR(st.st_mode)) {
        d.fault = PortFault::NotSerial;
        d.regularFile = S_ISREG(st.st_mode);
        return d;
    }
    if (!DeviceAccessible(device)) {
        d.fault = PortFault::NoPermission;
        d.group = AccessGroupOf(device);
        return d;
    }
    if (const auto holder = LockHolderOf(device)) {
        d.fault = PortFault::InUse;
        d.holder = *holder;
        return d;
    }
    // Ask the device itself: a program holding it in exclusive mode makes it refuse with EBUSY;
    // a character device that opens but is no terminal is not a serial port.
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == EBUSY) {
            d.fault = PortFault::InUse;
            const QList<PortHolder> holders = ProcessesHolding(device);
            if (!holders.isEmpty())
                d.holder = holders.first();
        } else if (err == EACCES || err == EPERM) {
            d.fault = PortFault::NoPermission;
            d.group = AccessGroupOf(device);
        } else if (err == ENOENT || err == ENODEV || err == ENXIO) {
            d.fault = PortFault::NoDevice;
            FillAdapters(d);
        }
        return d;
    }
    if (!::isatty(fd))
        d.fault = PortFault::NotSerial;
    ::close(fd);
#endif
    return d;
}

QString DescribePortFailure(const PortDiagnosis &d)
{
    const QString com = QString::number(d.portNo);
    QString text;
    switch (d.fault) {
    case PortFault::None:
        return {};
    case PortFault::BadNumber:
        return Line(Str(3114).arg(d.portNo));
    case PortFault::NoDevice:
        if (d.linked) {
            text = Line(Str(3102).arg(com, d.linkTarget));
        } else {
            text = Line(Str(3100).arg(com, d.device));
            text += Line(Str(3101).arg(com));
        }
        if (!d.adapters.isEmpty()) {
            text += Line(Str(3103));
            for (qsizetype i = 0; i < d.adapters.size(); ++i)
                text += Line(AdapterLine(d.adapters[i], d.adapterPorts.value(i)));
        }
        return text;
    case PortFault::NotSerial:
        return Line(Str(d.regularFile ? 3111 : 3112).arg(com, d.device));
    case PortFault::NoPermission:
        return Line(Str(3108).arg(com, d.device, d.group)) + Line(Str(3109))
               + Line(QStringLiteral("sudo adduser $USER ") + d.group) + Line(Str(3110));
    case PortFault::InUse:
        if (d.holder.pid > 0) {
            const QString name = d.holder.name.isEmpty() ? QStringLiteral("?") : d.holder.name;
            text = Line(Str(3105).arg(com, d.device, name, QString::number(d.holder.pid)));
        } else {
            text = Line(Str(3106).arg(com, d.device));
        }
        return text + Line(Str(3107));
    case PortFault::Other:
        break;
    }
    return Line(Str(3113).arg(com, d.device, d.errorText));
}

}  // namespace kz
