// Application title rule.
#include "app/Title.h"

#include "widgets/QtText.h"

#include <climits>
#include <unistd.h>

namespace ortavo {

String TitleFromExePath(StringView path) {
    StringView name = path;
    if (auto slash = name.rfind(u'/'); slash != StringView::npos)
        name = name.substr(slash + 1);
    if (auto dot = name.find(u'.'); dot != StringView::npos)
        name = name.substr(0, dot);
    if (name.empty())
        return {};
    return String(name.substr(0, 1)) + FromQString(ToQString(name.substr(1)).toLower());
}

String ExecutablePath(const char* argv0) {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0)
        return FromUtf8(std::string_view(buffer, static_cast<std::size_t>(length)));
    return argv0 ? FromUtf8(argv0) : String();
}

} // namespace ortavo
