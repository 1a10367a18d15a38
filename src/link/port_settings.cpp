#include "link/port_settings.h"

#include "core/settings.h"
#include "link/port.h"

namespace kz {

void LoadPortNo()
{
    if (auto v = ReadSetting("PortNo", 1))
        PortNo = *v;
}

int StoredPortNo(int fallback)
{
    return ReadSetting("PortNo", 1).value_or(fallback);
}

void LoadPortOccupy()
{
    const auto v = ReadSetting("PortOccupy", 1);
    PortOccupy = v && *v != 0;
}

void SavePortNo()
{
    WriteSetting("PortNo", QString::number(PortNo));
}

void SavePortOccupy()
{
    WriteSetting("PortOccupy", PortOccupy ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace kz
