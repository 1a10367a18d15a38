#include "link/port.h"

#include "core/paths.h"
#include "core/settings.h"
#include "link/port_settings.h"
#include "link/comm_port.h"
#include "link/link.h"
#include "link/port_diag.h"
#include "link/qt_comm_port.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kz {

namespace {

CommPort *&TestPort()
{
    static CommPort *port = nullptr;
    return port;
}

}  // namespace

QString NetworkTarget(const QString &link)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(link);
    char buf[512];
    const ssize_t n = ::readlink(path.constData(), buf, sizeof buf - 1);
    if (n > 0) {
        const QString target = QFile::decodeName(QByteArray(buf, n)).trimmed();
        return IsNetworkAddress(target) ? target : QString();
    }
#endif
    const QFileInfo info(link);
    if (!info.isFile() || info.size() > 256)
        return {};
    QFile file(link);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString first = QString::fromUtf8(file.readLine()).trimmed();
    return IsNetworkAddress(first) ? first : QString();
}

// On a failure *device is what the number resolved to and *error the port's own words.
int OpenPortNumber(CommPort &port, int number, int baudIndex, QString *device, QString *error)
{
    if (port.isOpen())
        return 0;
    if (number < 1 || number > 32)
        return 1;
    *device = PortDevicePath(number);
    // A device closed to this user is not tried: the answer is known, and it is the same for
    // every user (root would open it regardless). A network port has no such answer.
    if (!IsNetworkAddress(*device) && !DeviceAccessible(*device))
        return 1;
    if (!port.open(*device)) {
        *error = port.errorText();
        return 1;
    }
    // A port that takes no line settings is closed again: left open, the next attempt would
    // find it open and talk at whatever speed it had.
    if (!port.configure(LineSettingsText(baudIndex))) {
        *error = port.errorText();
        port.close();
        return 1;
    }
    return 0;
}

CommPort &Port()
{
    static DeviceCommPort production;
    CommPort *p = TestPort();
    return p ? *p : production;
}

void SetPortForTest(CommPort *p)
{
    TestPort() = p;
}

QString LineSettingsText(int baudIndex)
{
    switch (baudIndex) {
    case 1: return QStringLiteral("19200,N,8,1");
    case 2: return QStringLiteral("38400,N,8,1");
    default: return QStringLiteral("9600,N,8,1");
    }
}

QString PortDevicePath(int portNo)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNo);
#else
    const QString link = QDir(PortLinkDir()).filePath(QStringLiteral("COM%1").arg(portNo));
    const QFileInfo info(link);
    if (info.isSymLink() || info.exists()) {
        const QString network = NetworkTarget(link);
        if (!network.isEmpty())
            return network;
        // Open the target itself, so the device's lock file carries the device's own name.
        const QString target = info.canonicalFilePath();
        return target.isEmpty() ? link : target;
    }
    return QStringLiteral("/dev/ttyS%1").arg(portNo - 1);
#endif
}

int TestOpenPort(int candidate)
{
    if (candidate < 1 || candidate > 32)
        candidate = StoredPortNo(candidate);
    QString device;
    QString error;
    return OpenPortNumber(Port(), candidate, 0, &device, &error);
}

void ForceClosePort()
{
    CommPort &p = Port();
    if (p.isOpen())
        p.close();
}

}  // namespace kz
