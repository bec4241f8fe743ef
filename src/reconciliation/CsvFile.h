// A file a run writes its CSV rows to: the journal or the report.
#pragma once

#include "base/File.h"
#include "base/String.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ortavo {

// Up to most bytes from the start of the open file. Raises EFileError.
std::string ReadStart(const TFile& file, std::size_t most);

// Opened for writing (created when missing); a folder is refused. Every failure raises
// EStreamError "Cannot write the WHAT \"PATH\". " and the system's reason.
class TCsvFile {
public:
    enum class TMode {
        Append,  // rows go after what the file holds
        Truncate // the file starts empty
    };
    TCsvFile(const String& path, StringView what, TMode mode);
    ~TCsvFile();
    TCsvFile(const TCsvFile&) = delete;
    TCsvFile& operator=(const TCsvFile&) = delete;

    std::int64_t Size() const;
    // Up to count bytes from the start of the file.
    std::string Head(std::size_t count) const;
    // All of bytes, handed to the operating system before it returns.
    void Write(std::string_view bytes);
    // On disk (fsync).
    void Sync();
    void Truncate(std::int64_t size);

private:
    [[noreturn]] void Fail(const String& reason) const;
    // Runs call, a reason it raises (EFileError) reported as the file's failure.
    template <typename Call> auto Checked(Call&& call) const;

    String FPath;
    String FWhat;
    TFile FFile;
};

} // namespace ortavo
