// The file tests' POSIX side: flock taken over by the test program to play a file system
// without locks, a pipe and a device, the C library's texts.
#include "FileTesting.h"

#include "base/Exception.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Every lock taken in this program fails with this error; 0 takes the system's own lock.
int LockFailure = 0;

} // namespace

extern "C" int flock(int fd, int operation) noexcept {
    if (LockFailure != 0) {
        errno = LockFailure;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_flock, fd, operation));
}

namespace ortavo::testing {

String NotFoundText() {
    return SystemErrorText(ENOENT);
}

String LockedText() {
    return SystemErrorText(EWOULDBLOCK);
}

TWriterLock::TWriterLock(const std::string& path)
    : FNative(::open(path.c_str(), O_RDWR | O_CLOEXEC)) {
    if (FNative < 0 || flock(static_cast<int>(FNative), LOCK_EX) != 0)
        throw std::runtime_error("cannot lock " + path);
}

TWriterLock::~TWriterLock() {
    ::close(static_cast<int>(FNative));
}

std::vector<std::string> NotRegularFiles(const TempFolder& folder) {
    // A pipe without a writer would wait for one, a device may never end.
    const std::string fifo = folder.File("fifo");
    if (mkfifo(fifo.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make a pipe");
    return {fifo, "/dev/zero"};
}

std::vector<int> LockFailures() {
    return {0, ENOLCK, EOPNOTSUPP, EINVAL};
}

void PlayLockFailure(int error) {
    LockFailure = error;
}

} // namespace ortavo::testing
