#include "link/alarm.h"

#include "core/strings.h"

namespace kz {

QString AlarmTextFor(const QString &reply)
{
    const QString head = reply.left(5);
    static const char *const kCodes[] = {"00", "01", "02", "03", "04", "05",
                                         "06", "07", "08", "09", "0A", "0B"};
    for (int n = 0; n < 12; ++n) {
        if (head == QLatin1String("0%%") + QLatin1String(kCodes[n]))
            return Str(260 + n);
    }
    return {};
}

}  // namespace kz
