#include "pty_link.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kzsim {
namespace {

std::string lastError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

PtyLink::~PtyLink()
{
    close();
    if (listen_ >= 0)
        ::close(listen_);
}

bool PtyLink::open(std::string& error)
{
    close();
    if (tcp())
        return openTcp(error);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        error = lastError("posix_openpt");
        return false;
    }
    master_ = master;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = lastError("grantpt/unlockpt");
        close();
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = lastError("ptsname");
        close();
        return false;
    }
    device_ = name;
    slave_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = lastError(device_.c_str());
        close();
        return false;
    }

    // Raw line, so that CR and LF travel untouched and nothing is echoed.
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) {
        error = lastError("tcgetattr");
        close();
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        error = lastError("tcsetattr");
        close();
        return false;
    }

    watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch_ < 0 || ::inotify_add_watch(watch_, device_.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        error = lastError("inotify");
        close();
        return false;
    }

    if (!publish(device_, error)) {
        close();
        return false;
    }
    return true;
}

// Listens once; later calls (after a hang-up) keep the same socket and address.
bool PtyLink::openTcp(std::string& error)
{
    if (listen_ < 0) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (listen_ < 0) {
            error = lastError("socket");
            return false;
        }
        const int on = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<std::uint16_t>(tcpPort_));
        socklen_t len = sizeof addr;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 4) != 0 ||
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            error = lastError(("port " + std::to_string(tcpPort_)).c_str());
            ::close(listen_);
            listen_ = -1;
            return false;
        }
        device_ = "tcp://127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
        if (!linkPath_.empty() && !publish(device_, error))
            return false;
    }
    return true;
}

// Takes the tool's connection; a newer one replaces the one before, as a re-plugged cable would.
void PtyLink::acceptTool()
{
    const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (master_ >= 0)
        ::close(master_);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    master_ = fd;
    toolHasPort_ = true;
}

// Points the link at target (a device, or the text of a network address) in one step.
bool PtyLink::publish(const std::string& target, std::string& error)
{
    const std::string temp = linkPath_ + ".tmp." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        error = lastError(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), linkPath_.c_str()) != 0) {
        error = lastError(linkPath_.c_str());
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void PtyLink::close()
{
    if (watch_ >= 0)
        ::close(watch_);
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    watch_ = slave_ = master_ = -1;
    toolHasPort_ = false;
}

void PtyLink::takeToolEvents()
{
    if (tcp()) {
        acceptTool();
        return;
    }
    alignas(inotify_event) char events[4096];
    ssize_t n;
    while ((n = ::read(watch_, events, sizeof events)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->mask & IN_OPEN)
                toolHasPort_ = true;
            if (event->mask & IN_CLOSE)
                toolHasPort_ = false;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        ::tcflush(slave_, TCIFLUSH);
    }
}

int PtyLink::unreadByTool() const
{
    int n = 0;
    if (tcp())
        return master_ >= 0 && ::ioctl(master_, TIOCOUTQ, &n) == 0 ? n : 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &n) != 0)
        return 0;
    return n;
}

void PtyLink::removeLink()
{
    if (linkPath_.empty())
        return;
    ::unlink(linkPath_.c_str());
}

}  // namespace kzsim
