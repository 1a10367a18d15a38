#include "link/port_settings.h"

#include "core/settings.h"
#include "link/port.h"

namespace kz {

void LoadPortNo(PortChoice &choice)
{
    if (auto v = ReadSetting("PortNo", 1))
        choice.number = *v;
}

int StoredPortNo(int fallback)
{
    return ReadSetting("PortNo", 1).value_or(fallback);
}

void LoadPortOccupy(PortChoice &choice)
{
    const auto v = ReadSetting("PortOccupy", 1);
    choice.keepOpen = v && *v != 0;
}

void SavePortNo(const PortChoice &choice)
{
    WriteSetting("PortNo", QString::number(choice.number));
}

void SavePortOccupy(const PortChoice &choice)
{
    WriteSetting("PortOccupy", choice.keepOpen ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace kz
