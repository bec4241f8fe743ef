// What the file tests do in each system's own way: the lock another writer holds, the names
// that open but hold no regular file, the system's texts, a file system without locks.
#pragma once

#include "TempFolder.h"
#include "base/String.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ortavo::testing {

// The system's text for a name where nothing is.
String NotFoundText();
// The system's text for a read refused because another holds a lock on the file.
String LockedText();

// Holds the whole file locked for writing while it lives, as a writer elsewhere would.
class TWriterLock {
public:
    explicit TWriterLock(const std::string& path);
    ~TWriterLock();
    TWriterLock(const TWriterLock&) = delete;
    TWriterLock& operator=(const TWriterLock&) = delete;

private:
    std::intptr_t FNative;
};

// Names that open but are no regular file (a pipe, a device), made in folder where needed.
std::vector<std::string> NotRegularFiles(const TempFolder& folder);

// 0 (the system's own locks) and the errors the test can make every lock fail with, as on a
// file system without locks; PlayLockFailure(0) ends the play.
std::vector<int> LockFailures();
void PlayLockFailure(int error);

} // namespace ortavo::testing
