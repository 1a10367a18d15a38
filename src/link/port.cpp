#include "link/port.h"

#include "app/paths.h"
#include "app/settings.h"
#include "link/comm_port.h"
#include "link/link_view.h"
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

int OpenNumber(int number)
{
    CommPort &port = Port();
    if (port.isOpen())
        return 0;
    if (number < 1 || number > 32)
        return 1;
    if (!port.open(PortDevicePath(number)))
        return 1;
    // A failure after the open leaves the port open, as the caller may still close it.
    return port.configure(LineSettingsText(BaudIndex)) ? 0 : 1;
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
    return OpenNumber(PortNo);
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
    return OpenNumber(candidate);
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
