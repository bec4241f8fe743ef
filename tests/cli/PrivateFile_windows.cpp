// Owner-only and world-readable files by the access list they are created with. Wine keeps
// such a list as the file's POSIX mode: the owner, and Everyone or not, is what it holds.
#include "PrivateFile.h"

#include <windows.h>

#include <sddl.h>
#include <stdexcept>
#include <vector>

namespace ortavo::testing {

namespace {

std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    std::vector<BYTE> user(256);
    DWORD size = 0;
    const bool got = ::GetTokenInformation(token, TokenUser, user.data(),
                                           static_cast<DWORD>(user.size()), &size);
    ::CloseHandle(token);
    wchar_t* text = nullptr;
    if (!got ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        throw std::runtime_error("cannot tell the current user");
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

} // namespace

std::string WriteWithAccess(const TempFolder& folder, const std::string& name,
                            const std::string& bytes, TAccess access) {
    // Full control for the user; read for Everyone besides when asked.
    std::wstring list = L"D:P(A;;FA;;;" + CurrentUserSid() + L")";
    if (access == TAccess::ReadableByAll)
        list += L"(A;;FR;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(list.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        throw std::runtime_error("cannot make an access list");
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const auto path = folder.Path() / name;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ::LocalFree(descriptor);
    DWORD written = 0;
    const bool wrote =
        file != INVALID_HANDLE_VALUE &&
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    if (!wrote)
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string ReadableByAllReason(const std::string& path) {
    return "its access list lets Everyone at it; allow only the owner (icacls \"" + path +
           "\" /inheritance:r /grant:r \"%USERNAME%\":R)";
}

} // namespace ortavo::testing
