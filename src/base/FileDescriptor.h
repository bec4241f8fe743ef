// An open file descriptor, closed whatever way its user's work ends.
#pragma once

#include <unistd.h>

namespace ortavo {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : FFd(fd) {}
    ~FileDescriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const noexcept { return FFd; }

private:
    int FFd;
};

} // namespace ortavo
