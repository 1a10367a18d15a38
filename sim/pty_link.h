// The pseudo-terminal that stands for the controller's serial port, and the symbolic link
// through which the tool finds its device.
#pragma once

#include <string>

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
};

}  // namespace kzsim
