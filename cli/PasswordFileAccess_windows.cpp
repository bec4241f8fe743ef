// The password file's owner and access list, as OpenSSH for Windows checks a key file's: owned
// by the user running the command, the Administrators group or SYSTEM, and no entry that lets
// anyone else read it, write it or change who may.
#include "PasswordFileAccess.h"

#include <windows.h>

#include <aclapi.h>
#include <memory>
#include <sddl.h>
#include <vector>

namespace ortavo {

namespace {

struct TLocalFree {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

[[noreturn]] void Fail(DWORD error) {
    throw EFileError(WindowsErrorText(error));
}

// The SID of the user the process runs as.
std::vector<BYTE> CurrentUser() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        Fail(::GetLastError());
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    const bool got = ::GetTokenInformation(token, TokenUser, user.data(), size, &size);
    const DWORD error = ::GetLastError();
    ::CloseHandle(token);
    if (!got)
        Fail(error);
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    return std::vector<BYTE>(static_cast<BYTE*>(sid),
                             static_cast<BYTE*>(sid) + ::GetLengthSid(sid));
}

std::string Utf8(const wchar_t* text) {
    return ToUtf8(reinterpret_cast<const char16_t*>(text));
}

// DOMAIN\name, or the SID's S-1-... form when no account has it.
std::string AccountName(PSID sid) {
    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return domain[0] != 0 ? Utf8(domain) + "\\" + Utf8(name) : Utf8(name);
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text))
        return "an unknown account";
    const std::unique_ptr<void, TLocalFree> owned(text);
    return Utf8(text);
}

// Who may anyway: the system and its administrators.
bool IsSystemOrAdministrators(PSID sid) {
    return ::IsWellKnownSid(sid, WinLocalSystemSid) ||
           ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

std::string Advice(const std::string& path) {
    return "allow only the owner (icacls \"" + path +
           "\" /inheritance:r /grant:r \"%USERNAME%\":R)";
}

} // namespace

std::string PasswordFileAccessProblem(const TFile& file, const std::string& path) {
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetSecurityInfo(reinterpret_cast<HANDLE>(file.Native()), SE_FILE_OBJECT,
                                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                          &owner, nullptr, &list, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        Fail(error);
    const std::unique_ptr<void, TLocalFree> owned(descriptor);
    std::vector<BYTE> user = CurrentUser();
    const PSID me = user.data();
    if (!::EqualSid(owner, me) && !IsSystemOrAdministrators(owner))
        return "owned by " + AccountName(owner) +
               "; it must belong to the user running the command";
    if (list == nullptr)
        return "it has no access list, which lets everyone at it; " + Advice(path);
    // Changing who may, or taking the file over, is as bad as reading it.
    constexpr ACCESS_MASK kReachesIt = FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                       WRITE_DAC | WRITE_OWNER | GENERIC_READ | GENERIC_WRITE |
                                       GENERIC_ALL;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!::GetAce(list, i, reinterpret_cast<void**>(&header)))
            Fail(::GetLastError());
        // Entries that deny, and those only handed down to what a folder holds, let no one in.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        const auto* entry = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        const PSID sid = const_cast<DWORD*>(&entry->SidStart);
        if ((entry->Mask & kReachesIt) == 0 || ::EqualSid(sid, owner) || ::EqualSid(sid, me) ||
            IsSystemOrAdministrators(sid) || ::IsWellKnownSid(sid, WinCreatorOwnerRightsSid))
            continue;
        return "its access list lets " + AccountName(sid) + " at it; " + Advice(path);
    }
    return {};
}

} // namespace ortavo
