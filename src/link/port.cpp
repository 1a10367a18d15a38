#include "link/port.h"

#include "core/paths.h"
#include "core/settings.h"
#include "link/port_settings.h"
#include "link/comm_port.h"
#include "link/link_view.h"
#include "link/port_diag.h"
#include "link/qt_comm_port.h"

#include <QDir>
#include <QFileInfo>

namespace kz {

int PortNo = 0;
bool PortOccupy = false;
int BaudIndex = 0;

namespace {

CommPort *&TestPort()
{
    static CommPort *port = nullptr;
    return port;
}

// On a failure *device is what the number resolved to and *error the port's own words.
int OpenNumber(int number, QString *device, QString *error)
{
    CommPort &port = Port();
    if (port.isOpen())
        return 0;
    if (number < 1 || number > 32)
        return 1;
    *device = PortDevicePath(number);
    // A device closed to this user is not tried: the answer is known, and it is the same for
    // every user (root would open it regardless).
    if (!DeviceAccessible(*device))
        return 1;
    if (!port.open(*device)) {
        *error = port.errorText();
        return 1;
    }
    // A failure after the open leaves the port open, as the caller may still close it.
    if (!port.configure(LineSettingsText(BaudIndex))) {
        *error = port.errorText();
        return 1;
    }
    return 0;
}

}  // namespace

CommPort &Port()
{
    static QtCommPort production;
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
        // Open the target itself, so the device's lock file carries the device's own name.
        const QString target = info.canonicalFilePath();
        return target.isEmpty() ? link : target;
    }
    return QStringLiteral("/dev/ttyS%1").arg(portNo - 1);
#endif
}

int OpenCommPort()
{
    if (PortNo < 1 || PortNo > 32)
        LoadPortNo();
    QString device;
    QString error;
    if (OpenNumber(PortNo, &device, &error) == 0) {
        ClearOpenFailure();
        return 0;
    }
    RecordOpenFailure(PortNo, device, error);
    return 1;
}

void CloseCommPort()
{
    if (Port().isOpen() && !PortOccupy)
        Port().close();
}

int TestOpenPort(int candidate)
{
    if (candidate < 1 || candidate > 32)
        candidate = StoredPortNo(candidate);
    QString device;
    QString error;
    return OpenNumber(candidate, &device, &error);
}

void ReleasePortLamp()
{
    ForceClosePort();
    linkView().setPortLampVisible(false);
}

void ForceClosePort()
{
    if (Port().isOpen())
        Port().close();
}

}  // namespace kz
