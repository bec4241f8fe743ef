// The password file's owner and mode, as ssh checks a key file's.
#include "PasswordFileAccess.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ortavo {

namespace {

std::string OctalMode(mode_t mode) {
    std::string text;
    for (int shift = 9; shift >= 0; shift -= 3)
        text += static_cast<char>('0' + ((mode >> shift) & 7));
    return text;
}

} // namespace

std::string PasswordFileAccessProblem(const TFile& file, const std::string&) {
    struct stat info {};
    if (::fstat(static_cast<int>(file.Native()), &info) != 0)
        throw EFileError(SystemErrorText(errno));
    if (info.st_uid != ::geteuid())
        return "owned by another user (uid " + std::to_string(info.st_uid) +
               "); it must belong to the user running the command";
    // Writable by others is as bad as readable: they could change what the job sends.
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return "mode " + OctalMode(info.st_mode & 07777) +
               " lets others than its owner at it; allow only the owner (chmod 600)";
    return {};
}

} // namespace ortavo
