#pragma once
// What crosses the link, for whoever watches it (the communication log): every frame sent, every
// reply received, and the outcome of each exchange. The exchange reports here and nowhere else;
// reporting costs one test of a flag while nobody watches, so it never changes the link's timing.

#include <QByteArray>
#include <QString>
#include <functional>

namespace kz {

enum class TrafficKind {
    Sent,          // bytes: the frame as written, CR LF included
    Received,      // bytes: the reply as collected, up to the end of the wait
    Good,          // the reply passed every check
    Timeout,       // detail: the time waited, in ms
    Alarm,         // detail: the alarm code; text: its message
    EchoMismatch,  // detail: the echo expected
    LengthError,   // detail: "expected N, got M"
    Recovery,      // the recovery frame "0CM0" follows
    RecoveryAnswered,  // the controller answered the recovery frame
    OpenFailed,    // detail: the reason the port could not be opened
    LineLost,      // the line vanished during the wait
    Stopped,       // the user stopped the exchange before it ended
};

struct TrafficRecord {
    qint64 msecsSinceEpoch = 0;
    QString port;    // "COM3", a device path or a network address, as the user named it
    QString device;  // what it resolved to
    TrafficKind kind = TrafficKind::Sent;
    QByteArray bytes;
    QString detail;
    QString text;
};

using TrafficObserver = std::function<void(const TrafficRecord &)>;

// Adds an observer; the returned id removes it again. Observers run on the link's thread, at
// once, in the order they were added.
int AddTrafficObserver(TrafficObserver observer);
void RemoveTrafficObserver(int id);
// True while anybody watches: the link builds records only then.
bool TrafficWatched();
// Stamps the time and hands the record to every observer.
void ReportTraffic(TrafficRecord record);

}  // namespace kz
