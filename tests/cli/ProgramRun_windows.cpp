// Running the program with CreateProcessW: the command line quoted as the C runtime splits
// it, the output on an anonymous pipe; a pipe whose reading end is closed is the output that
// cannot be written.
#include "ProgramRun.h"

#include "base/String.h"

#include <windows.h>

#include <map>
#include <stdexcept>
#include <string>

namespace ortavo::testing {

namespace {

std::wstring Wide(const std::string& text) {
    const String wide = FromUtf8(text);
    return std::wstring(wide.begin(), wide.end());
}

// Backslashes double only before a quote; the quote itself is escaped.
std::wstring Quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::wstring EnvironmentBlock(const std::vector<std::string>& environment) {
    std::map<std::wstring, std::wstring> variables;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* item = own; *item; item += wcslen(item) + 1) {
        const std::wstring text(item);
        const std::size_t equals = text.find(L'=', 1);
        if (equals != std::wstring::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(own);
    for (const std::string& item : environment) {
        const std::wstring text = Wide(item);
        const std::size_t equals = text.find(L'=');
        variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    std::wstring block;
    for (const auto& [name, value] : variables)
        block += name + L"=" + value + L'\0';
    return block + L'\0';
}

struct Handle {
    HANDLE H = nullptr;
    ~Handle() { Close(); }
    void Close() {
        if (H)
            CloseHandle(H);
        H = nullptr;
    }
};

void MakePipe(Handle& reading, Handle& writing) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&reading.H, &writing.H, &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(reading.H, HANDLE_FLAG_INHERIT, 0);
}

} // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, TProgramOutput output) {
    Handle outRead, outWrite, brokenRead, brokenWrite;
    MakePipe(outRead, outWrite);
    if (output == TProgramOutput::Unwritable) {
        MakePipe(brokenRead, brokenWrite);
        brokenRead.Close();
    }
    std::wstring commandLine = Quoted(Wide(program));
    for (const std::string& arg : args)
        commandLine += L" " + Quoted(Wide(arg));
    std::wstring block = EnvironmentBlock(environment);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output == TProgramOutput::Unwritable ? brokenWrite.H : outWrite.H;
    startup.hStdError = outWrite.H;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &process))
        return {};
    CloseHandle(process.hThread);
    outWrite.Close();
    brokenWrite.Close();

    ProgramResult result;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(outRead.H, buffer, sizeof buffer, &n, nullptr) && n > 0)
        result.Out.append(buffer, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    result.Status = static_cast<int>(status);
    return result;
}

} // namespace ortavo::testing
