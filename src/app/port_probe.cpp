#include "app/port_probe.h"

#include "core/strings.h"
#include "link/comm_port.h"
#include "link/link.h"
#include "link/port.h"
#include "link/port_diag.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <array>


namespace kz {

namespace {

std::array<ProbedPort, kLastPortNo + 1> &Table()
{
    static std::array<ProbedPort, kLastPortNo + 1> table;
    return table;
}

bool InRange(int n)
{
    return n >= kFirstPortNo && n <= kLastPortNo;
}

QString ComName(int n)
{
    return QStringLiteral("COM%1").arg(n);
}

// "COM1-COM4, COM7": runs of three or more numbers shortened to their ends.
QString PortRanges(const QList<int> &ports)
{
    QStringList parts;
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const int first = ports[i];
        int last = first;
        while (i + 1 < ports.size() && ports[i + 1] == last + 1) {
            ++i;
            ++last;
        }
        if (last - first >= 2)
            parts << ComName(first) + QLatin1Char('-') + ComName(last);
        else
            for (int n = first; n <= last; ++n)
                parts << ComName(n);
    }
    return parts.join(QStringLiteral(", "));
}

// The group that grants access to the first closed device; serial devices normally belong to
// "dialout", and a device owned by root alone names no group worth joining.
QString AccessGroup(const QList<int> &ports)
{
    for (int n : ports) {
        const QString group = QFileInfo(Table()[n].device).group();
        if (!group.isEmpty() && group != QLatin1String("root"))
            return group;
    }
    return QStringLiteral("dialout");
}

}  // namespace

void ProbePorts()
{
    // A port the link still holds would pass the first test without being opened, whatever that
    // number is; release it so that every number is really tried.
    if (Port().isOpen())
        ForceClosePort();
    for (int n = kFirstPortNo; n <= kLastPortNo; ++n) {
        ProbedPort &entry = Table()[n];
        entry = ProbedPort{PortState::Absent, PortDevicePath(n)};
        // A trial connection could wait seconds for a silent server and would take the line from
        // a device server's current client: a network port is listed as it is named.
        if (IsNetworkAddress(entry.device)) {
            entry.state = PortState::Network;
            continue;
        }
#ifndef Q_OS_WIN
        // Most numbers have no device at all; trying to open them would only cost time.
        if (!QFileInfo::exists(entry.device))
            continue;
        if (!DeviceAccessible(entry.device)) {
            entry.state = PortState::NoPermission;
            continue;
        }
#endif
        if (TestOpenPort(n) == 0) {
            entry.state = PortState::Available;
            ForceClosePort();
        } else {
            entry.state = PortState::Unusable;
            // An open that failed while configuring leaves the port open; the next number would
            // then pass its test without being tried.
            ForceClosePort();
        }
    }
}

bool PortAvailable(int n)
{
    return InRange(n) && (Table()[n].state == PortState::Available || Table()[n].state == PortState::Network);
}

ProbedPort ProbedPortOf(int n)
{
    return InRange(n) ? Table()[n] : ProbedPort{};
}

QString PortListName(int n)
{
    const QString name = ComName(n);
    const QString device = ProbedPortOf(n).device;
    if (device.isEmpty() || device == name)
        return name;
    return name + QStringLiteral(" (") + device + QLatin1Char(')');
}

QList<int> PortsWithoutPermission()
{
    QList<int> ports;
    for (int n = kFirstPortNo; n <= kLastPortNo; ++n)
        if (Table()[n].state == PortState::NoPermission)
            ports << n;
    return ports;
}

QString NoPermissionNote()
{
    const QList<int> ports = PortsWithoutPermission();
    if (ports.isEmpty())
        return {};
    return Str(3003).arg(PortRanges(ports), AccessGroup(ports));
}

QString NoPermissionDetails()
{
    QStringList lines;
    for (int n : PortsWithoutPermission())
        lines << PortListName(n);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace kz
