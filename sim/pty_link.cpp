#include "pty_link.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
}

bool PtyLink::open(std::string& error)
{
    close();
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

    const std::string temp = linkPath_ + ".tmp." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(device_.c_str(), temp.c_str()) != 0) {
        error = lastError(temp.c_str());
        close();
        return false;
    }
    if (::rename(temp.c_str(), linkPath_.c_str()) != 0) {
        error = lastError(linkPath_.c_str());
        ::unlink(temp.c_str());
        close();
        return false;
    }
    return true;
}

void PtyLink::close()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

void PtyLink::removeLink()
{
    ::unlink(linkPath_.c_str());
}

}  // namespace kzsim
