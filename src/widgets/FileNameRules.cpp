// Text rules of the browse operation.
#include "widgets/FileNameRules.h"

#include <cerrno>
#include <sys/stat.h>

namespace ortavo {

namespace {

bool IsSeparator(char16_t c) {
    return c == u'/' || c == u'\\' || c == u':';
}

} // namespace

bool IsValidFileName(StringView text) {
    return !text.empty() && text.find_first_of(u"<>\"|*?") == StringView::npos;
}

StringView PathPart(StringView text) {
    for (std::size_t i = text.size(); i-- > 0;)
        if (IsSeparator(text[i]))
            return text.substr(0, i + 1);
    return {};
}

StringView NamePart(StringView text) {
    return text.substr(PathPart(text).size());
}

String WithoutTrailingSeparator(StringView path) {
    std::size_t n = path.size();
    if (n >= 2 && (path[n - 1] == u'\\' || path[n - 1] == u'/') && path[n - 2] != u':')
        return String(path.substr(0, n - 1));
    return String(path);
}

bool FolderExists(StringView path) {
    // A trailing "/" would make the system follow a link before it is looked at.
    std::size_t n = path.size();
    while (n > 1 && path[n - 1] == u'/')
        --n;
    const std::string name = ToUtf8(path.substr(0, n));
    struct stat info {};
    if (::lstat(name.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode))
            return S_ISDIR(info.st_mode);
        // A link counts only when what it leads to can be reached and is a folder.
        return ::stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    switch (errno) {
    case ENOENT:       // not found
    case ENOTDIR:      // a path part is not a folder: path not found
    case ELOOP:        // a path part is a link that leads back to itself: path not found
    case ENAMETOOLONG: // invalid name
    case ENXIO:        // device not ready
    case ENODEV:
    case EHOSTDOWN: // bad network path
    case EHOSTUNREACH:
        return false;
    default:
        return true;
    }
}

} // namespace ortavo
