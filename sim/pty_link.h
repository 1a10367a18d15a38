// The pseudo-terminal that stands for the controller's serial port, and the symbolic link
// through which the tool finds its device. With a TCP port the line is a network connection
// instead: a listening socket takes one tool at a time, and the link's target is the text
// "tcp://127.0.0.1:PORT".
#pragma once

#include <string>
#include <utility>

namespace kzsim {

class PtyLink {
public:
    explicit PtyLink(std::string linkPath, int tcpPort = -1)
        : linkPath_(std::move(linkPath)), tcpPort_(tcpPort) {}
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Opens a fresh pair (raw, 9600 baud) and points the link at its device, replacing the old
    // link in one step. Any pair open before is closed first.
    bool open(std::string& error);
    // Closes the pair: the tool's open port sees a hang-up. On TCP, drops the tool's connection
    // and keeps listening.
    void close();
    bool tcp() const { return tcpPort_ >= 0; }
    void removeLink();
    // Bytes written to the tool that it has not read yet (as far as the terminal knows).
    int unreadByTool() const;

    // Readable when the tool has opened or closed the device (on TCP: when it connects); then
    // call takeToolEvents().
    int watchFd() const { return tcp() ? listen_ : watch_; }
    // Follows the tool's opening and closing of its port. A closed port hears nothing: what the
    // tool left unread when it closed is dropped, as a real port would never have kept it.
    void takeToolEvents();
    // Whether the tool has the port open; while it has not, replies are lost on the line.
    bool toolHasPort() const { return toolHasPort_; }
    // A frame came in, so the tool has the port open whatever the events said.
    void noteToolSpoke() { toolHasPort_ = true; }

    int master() const { return master_; }
    const std::string& device() const { return device_; }
    const std::string& linkPath() const { return linkPath_; }

private:
    bool openTcp(std::string& error);
    bool publish(const std::string& target, std::string& error);
    void acceptTool();

    std::string linkPath_;
    int tcpPort_ = -1;  // -1: a pseudo-terminal; 0: any free port
    int listen_ = -1;
    std::string device_;
    int master_ = -1;
    // Held open so that the controller's side never sees the line go dead while the tool
    // closes and reopens its port.
    int slave_ = -1;
    int watch_ = -1;  // inotify on the device, for the tool's open and close
    bool toolHasPort_ = false;
};

}  // namespace kzsim
