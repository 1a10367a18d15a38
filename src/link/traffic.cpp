#include "link/traffic.h"

#include <QDateTime>
#include <vector>

namespace kz {

namespace {

struct Entry {
    int id;
    TrafficObserver observer;
};

std::vector<Entry> &Observers()
{
    static std::vector<Entry> observers;
    return observers;
}

int g_nextId = 1;

}  // namespace

int AddTrafficObserver(TrafficObserver observer)
{
    const int id = g_nextId++;
    Observers().push_back({id, std::move(observer)});
    return id;
}

void RemoveTrafficObserver(int id)
{
    auto &list = Observers();
    std::erase_if(list, [id](const Entry &e) { return e.id == id; });
}

bool TrafficWatched()
{
    return !Observers().empty();
}

void ReportTraffic(TrafficRecord record)
{
    if (Observers().empty())
        return;
    if (record.msecsSinceEpoch == 0)
        record.msecsSinceEpoch = QDateTime::currentMSecsSinceEpoch();
    // A copy: an observer may remove itself while being told.
    const std::vector<Entry> observers = Observers();
    for (const Entry &e : observers)
        e.observer(record);
}

}  // namespace kz
