// A file opened through the operating system's own calls, always as bytes, closed with its
// object: reading, the shared lock, identity and times, appending and making it durable.
#pragma once

#include "base/Exception.h"
#include "base/String.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ortavo {

// A failed file call; the message is the system's text alone, which callers put after their
// own words about the file.
ORTAVO_EXCEPTION_CLASS(EFileError, Exception);

enum class TFileKind {
    Missing,
    Regular, // a disk file
    Directory,
    Other // a pipe, a device, a console
};

// A point in time as the file system stamps it.
struct TFileTime {
    std::int64_t Seconds = 0;
    std::int64_t Nanoseconds = 0;
    bool operator==(const TFileTime&) const = default;
};

// What tells that a file is still the one that was opened and has not been written since:
// the volume and the file's number on it, its size, its last write and last change.
struct TFileState {
    std::uint64_t Volume = 0;
    std::uint64_t Index[2] = {0, 0};
    std::int64_t Size = 0;
    TFileTime Modified;
    TFileTime Changed;
    bool operator==(const TFileState&) const = default;
};

class TFile {
public:
    enum class TWrite {
        Append,  // created when missing; every write goes after what the file holds
        Truncate // created when missing, emptied when not
    };

    // Opened for reading without waiting (a pipe without a writer would wait for one);
    // folders and devices open too, for Kind to tell. Raises EFileError.
    static TFile OpenRead(const String& path);
    // Opened for writing, appended ones for reading too. Raises EFileError; a folder is
    // refused.
    static TFile OpenWrite(const String& path, TWrite mode);

    TFile(TFile&& other) noexcept;
    TFile& operator=(TFile&& other) noexcept;
    ~TFile();

    TFileKind Kind() const;
    TFileState State() const;
    std::int64_t Size() const;
    // The system's handle or descriptor, for the calls this class does not make.
    std::intptr_t Native() const noexcept { return FNative; }

    // A shared lock on the whole file, taken at once: raises EFileError when another holds a
    // conflicting one; where the file system has no locks it does nothing, and the file is
    // read unlocked.
    void LockShared();

    // Up to size bytes at the current position; 0 at the end.
    std::size_t Read(char* buffer, std::size_t size);
    // Up to size bytes at offset.
    std::size_t ReadAt(std::int64_t offset, char* buffer, std::size_t size) const;
    // All of bytes, handed to the system before it returns.
    void Write(std::string_view bytes);
    // On disk.
    void Sync();
    void Truncate(std::int64_t size);

private:
    explicit TFile(std::intptr_t native) noexcept : FNative(native) {}
    std::intptr_t FNative;
};

// What path names, following links; Missing when nothing can be looked up there.
TFileKind FileKindAt(const String& path);
// The state of the file path names now, following links; nothing when it cannot be had.
std::optional<TFileState> FileStateAt(const String& path);

} // namespace ortavo
