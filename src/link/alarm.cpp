#include "link/alarm.h"

#include "core/strings.h"
#include "link/link_view.h"

namespace kz {

QString AlarmData;
QString AlarmText;

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

void ShowAlarm()
{
    const QString head = AlarmData.left(5);
    LinkView &view = linkView();
    view.setAlarmNo(head.mid(3, 2));
    view.setAlarmLampVisible(true);
    AlarmText = AlarmTextFor(head);
    view.setErrorComment(AlarmText);
}

}  // namespace kz
