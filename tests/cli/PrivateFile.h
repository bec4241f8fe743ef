// Files that only their owner may get at, or everyone may read, made as each system makes them.
#pragma once

#include "TempFolder.h"

#include <string>

namespace ortavo::testing {

enum class TAccess { OwnerOnly, ReadableByAll };

// Writes bytes to a new file named name in folder, with that access, and returns its path.
std::string WriteWithAccess(const TempFolder& folder, const std::string& name,
                            const std::string& bytes, TAccess access);

// Why a file readable by all at path is refused.
std::string ReadableByAllReason(const std::string& path);

} // namespace ortavo::testing
