// Reading the password file.
#include "PasswordFile.h"

#include "base/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortavo {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw EPasswordFile("password file \"" + path + "\": " + why);
}

[[noreturn]] void Refuse(const std::string& path, int error) {
    Refuse(path, std::strerror(error));
}

} // namespace

std::string ReadPasswordFile(const std::string& path) {
    // Not blocking: a pipe without a writer would hang a scheduled job.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0)
        Refuse(path, errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
        Refuse(path, errno);
    if (!S_ISREG(info.st_mode))
        Refuse(path, "not a regular file");
    if ((info.st_mode & (S_IRGRP | S_IROTH)) != 0)
        Refuse(path, "readable by others than its owner; allow only the owner (chmod 600)");
    // A password is one short line; the limit keeps a wrong file from being read whole.
    constexpr std::size_t kMost = 4096;
    std::string text;
    char buffer[512];
    while (text.find('\n') == std::string::npos && text.size() < kMost) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Refuse(path, errno);
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t end = text.find('\n');
    if (end == std::string::npos && text.size() >= kMost)
        Refuse(path, "its first line is longer than " + std::to_string(kMost) + " bytes");
    text.resize(end == std::string::npos ? text.size() : end);
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

} // namespace ortavo
