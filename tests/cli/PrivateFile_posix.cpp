// Owner-only and world-readable files by their mode.
#include "PrivateFile.h"

#include <stdexcept>
#include <sys/stat.h>

namespace ortavo::testing {

std::string WriteWithAccess(const TempFolder& folder, const std::string& name,
                            const std::string& bytes, TAccess access) {
    const std::string path = folder.Write(name, bytes);
    if (::chmod(path.c_str(), access == TAccess::OwnerOnly ? 0600 : 0644) != 0)
        throw std::runtime_error("cannot set the mode of " + path);
    return path;
}

std::string ReadableByAllReason(const std::string&) {
    return "mode 0644 lets others than its owner at it; allow only the owner (chmod 600)";
}

} // namespace ortavo::testing
