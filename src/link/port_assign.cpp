#include "link/port_assign.h"

#include "core/paths.h"
#include "link/port.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace kz {

namespace {

constexpr int kFirst = 1;
constexpr int kLast = 32;

QString Canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

QString DefaultDevice(int n)
{
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

}  // namespace

QString PortLinkPath(int n)
{
    return QDir(PortLinkDir()).filePath(QStringLiteral("COM%1").arg(n));
}

bool PortNoLinked(int n)
{
    const QFileInfo info(PortLinkPath(n));
    return info.isSymLink() || info.exists();
}

QList<PortRow> PortAssignments(const QList<SerialDevice> &devices)
{
    QList<PortRow> rows;
    QList<bool> placed(devices.size(), false);
    for (int n = kFirst; n <= kLast; ++n) {
        const QFileInfo link(PortLinkPath(n));
        PortRow row;
        row.portNo = n;
        if (link.isSymLink() || link.exists()) {
            row.linked = true;
            // A network port is no file: its address is the row's location, as the link gives it.
            const QString address = NetworkTarget(link.filePath());
            if (!address.isEmpty()) {
                row.network = true;
                row.linkTarget = address;
                row.device.location = address;
                rows << row;
                continue;
            }
            row.linkTarget = link.isSymLink() ? link.symLinkTarget() : link.absoluteFilePath();
            const QString target = link.canonicalFilePath();
            row.connected = !target.isEmpty();
            if (!row.connected) {
                row.device.location = row.linkTarget;
                rows << row;
                continue;
            }
            row.device.location = target;
            for (qsizetype i = 0; i < devices.size(); ++i) {
                if (Canonical(devices[i].location) == target) {
                    row.device = devices[i];
                    placed[i] = true;
                    break;
                }
            }
            rows << row;
            continue;
        }
        // Without a link the number means /dev/ttyS{n-1}: listed when the system has that UART.
        for (qsizetype i = 0; i < devices.size(); ++i) {
            if (!placed[i] && devices[i].location == DefaultDevice(n)) {
                row.device = devices[i];
                placed[i] = true;
                rows << row;
                break;
            }
        }
    }
    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (placed[i])
            continue;
        PortRow row;
        row.device = devices[i];
        rows << row;
    }
    return rows;
}

int AssignedPortNo(const SerialDevice &device, const QList<PortRow> &rows)
{
    const QString target = Canonical(device.location);
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const PortRow &r) {
        return r.portNo != 0 && r.connected && Canonical(r.device.location) == target;
    });
    return it == rows.end() ? 0 : it->portNo;
}

int LowestFreePortNo(const QList<SerialDevice> &devices, const std::function<bool(int)> &inUse)
{
    for (int n = kFirst; n <= kLast; ++n) {
        if (PortNoLinked(n) || (inUse && inUse(n)))
            continue;
        const bool uart = std::any_of(devices.begin(), devices.end(),
                                      [n](const SerialDevice &d) { return d.location == DefaultDevice(n); });
        if (!uart)
            return n;
    }
    return 0;
}

bool AssignPort(int n, const SerialDevice &device, QString *error)
{
    const QString link = PortLinkPath(n);
    if (PortNoLinked(n)) {
        if (error)
            *error = QFileInfo(link).symLinkTarget();
        return false;
    }
    const QString target = device.stablePath.isEmpty() ? device.location : device.stablePath;
    QFile file(target);
    if (!QDir().mkpath(PortLinkDir()) || !file.link(link)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool RemovePortAssignment(int n, QString *error)
{
    const QString link = PortLinkPath(n);
    if (!PortNoLinked(n))
        return true;
    QFile file(link);
    if (file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

}  // namespace kz
