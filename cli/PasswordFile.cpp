// Reading the password file.
#include "PasswordFile.h"

#include "PasswordFileAccess.h"
#include "base/File.h"

#include <algorithm>

namespace ortavo {

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
    throw EPasswordFile("password file \"" + path + "\": " + why);
}

// Up to the first line end, at most limit bytes beyond which the file is refused.
std::string FirstLine(const std::string& path, TFile& file) {
    // A password is one short line; the limit keeps a wrong file from being read whole.
    constexpr std::size_t kMost = 4096;
    std::string text;
    char buffer[512];
    // Enough to see a line of kMost bytes end, with its CR LF.
    while (text.find('\n') == std::string::npos && text.size() <= kMost + 1) {
        const std::size_t n = file.Read(buffer, sizeof buffer);
        if (n == 0)
            break;
        text.append(buffer, n);
    }
    text.resize(std::min(text.find('\n'), text.size()));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() > kMost)
        Refuse(path, "its first line is longer than " + std::to_string(kMost) + " bytes");
    return text;
}

std::string Password(const std::string& path) {
    // Not waiting: a pipe without a writer would hang a scheduled job.
    TFile file = TFile::OpenRead(FromUtf8(path));
    if (file.Kind() != TFileKind::Regular)
        Refuse(path, "not a regular file");
    if (std::string problem = PasswordFileAccessProblem(file, path); !problem.empty())
        Refuse(path, problem);
    std::string text = FirstLine(path, file);
    // A Windows editor may save the text with a byte order mark; it is no part of it.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    // An empty password would be sent as given, and the embedded engine takes any.
    if (text.empty())
        Refuse(path, "its first line is empty");
    return text;
}

} // namespace

std::string ReadPasswordFile(const std::string& path) {
    try {
        return Password(path);
    } catch (const EFileError& e) {
        // The system's text in every locale: a scheduled job's log reads the same anywhere.
        Refuse(path, ToUtf8(e.Message()));
    }
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
