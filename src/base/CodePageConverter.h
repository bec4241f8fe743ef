// The system's converter for a code page the encodings do not convert by hand.
#pragma once

#include "base/Encoding.h"

#include <memory>

namespace ortavo {

// The encoding of a code page the system converts; nullptr for one it cannot. Bytes that
// form no character decode as U+FFFD each, characters the code page lacks encode as "?".
std::unique_ptr<Encoding> SystemCodePageEncoding(int codePage);

} // namespace ortavo
