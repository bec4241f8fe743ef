// Reading the password file.
#include "PasswordFile.h"

#include "base/Exception.h"
#include "base/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortavo {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw EPasswordFile("password file \"" + path + "\": " + why);
}

// The system's text in every locale: a scheduled job's log reads the same on any machine.
[[noreturn]] void Refuse(const std::string& path, int error) {
    Refuse(path, ToUtf8(SystemErrorText(error)));
}

std::string OctalMode(mode_t mode) {
    std::string text;
    for (int shift = 9; shift >= 0; shift -= 3)
        text += static_cast<char>('0' + ((mode >> shift) & 7));
    return text;
}

void CheckOwnerOnly(const std::string& path, const struct stat& info) {
    if (!S_ISREG(info.st_mode))
        Refuse(path, "not a regular file");
    if (info.st_uid != ::geteuid())
        Refuse(path, "owned by another user (uid " + std::to_string(info.st_uid) +
                         "); it must belong to the user running the command");
    // Writable by others is as bad as readable: they could change what the job sends.
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        Refuse(path, "mode " + OctalMode(info.st_mode & 07777) +
                         " lets others than its owner at it; allow only the owner (chmod 600)");
}

// Up to the first line end, at most limit bytes beyond which the file is refused.
std::string FirstLine(const std::string& path, int fd) {
    // A password is one short line; the limit keeps a wrong file from being read whole.
    constexpr std::size_t kMost = 4096;
    std::string text;
    char buffer[512];
    // Enough to see a line of kMost bytes end, with its CR LF.
    while (text.find('\n') == std::string::npos && text.size() <= kMost + 1) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Refuse(path, errno);
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    text.resize(std::min(text.find('\n'), text.size()));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() > kMost)
        Refuse(path, "its first line is longer than " + std::to_string(kMost) + " bytes");
    return text;
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
    CheckOwnerOnly(path, info);
    std::string text = FirstLine(path, fd.Get());
    // A Windows editor may save the text with a byte order mark; it is no part of it.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    // An empty password would be sent as given, and the embedded engine takes any.
    if (text.empty())
        Refuse(path, "its first line is empty");
    return text;
}

std::optional<std::string> PasswordFromFile(const std::string& path, std::ostream& err) {
    try {
        return ReadPasswordFile(path);
    } catch (const EPasswordFile& e) {
        err << "error: " << e.what() << '\n';
        return std::nullopt;
    }
}

} // namespace ortavo
