#pragma once
// A disk that takes no more bytes, without a disk: while a FileSizeLimit lives, every write to a
// regular file beyond `bytes` fails with EFBIG ("File too large"), as a write to a full disk fails
// with ENOSPC. Files can still be made and removed, as on a full disk. The process's own limit is
// put back when it ends.

#include <csignal>
#include <sys/resource.h>

namespace kz::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes = 0)
    {
        // The kernel would end the process with SIGXFSZ; ignored, the write fails instead.
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

}  // namespace kz::test
