#pragma once
// A TCP address on this machine that never answers a connection request: a listener whose queue
// is full, so the system drops further requests unanswered (a device server switched off).

#include <QList>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kz::test {

class SilentServer {
public:
    SilentServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof at;
        if (::bind(listener_, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0
            || ::getsockname(listener_, reinterpret_cast<sockaddr *>(&at), &length) != 0
            || ::listen(listener_, 0) != 0)
            return;
        for (int i = 0; i < 3; ++i) {
            fillers_.append(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
            ::connect(fillers_.last(), reinterpret_cast<sockaddr *>(&at), sizeof at);
        }
        port_ = ntohs(at.sin_port);
    }
    ~SilentServer()
    {
        for (int fd : fillers_)
            ::close(fd);
        ::close(listener_);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    bool ready() const { return port_ != 0; }
    QString port() const { return QString::number(port_); }

private:
    int listener_ = -1;
    QList<int> fillers_;
    quint16 port_ = 0;
};

}  // namespace kz::test
