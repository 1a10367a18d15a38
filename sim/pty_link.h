// The pseudo-terminal that stands for the controller's serial port, and the symbolic link
// through which the tool finds its device.
#pragma once

#include <string>
#include <utility>

namespace kzsim {

class PtyLink {
public:
    explicit PtyLink(std::string linkPath) : linkPath_(std::move(linkPath)) {}
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Opens a fresh pair (raw, 9600 baud) and points the link at its device, replacing the old
    // link in one step. Any pair open before is closed first.
    bool open(std::string& error);
    // Closes the pair: the tool's open port sees a hang-up.
    void close();
    void removeLink();
    // Bytes written to the tool that it has not read yet (as far as the terminal knows).
    int unreadByTool() const;

    // Readable when the tool has opened or closed the device; then call takeToolEvents().
    int watchFd() const { return watch_; }
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
    std::string linkPath_;
    std::string device_;
    int master_ = -1;
    // Held open so that the controller's side never sees the line go dead while the tool
    // closes and reopens its port.
    int slave_ = -1;
    int watch_ = -1;  // inotify on the device, for the tool's open and close
    bool toolHasPort_ = false;
};

}  // namespace kzsim
