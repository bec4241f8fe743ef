// The regional settings in force.
#include "base/FormatSettings.h"

namespace ortavo {

namespace {

FormatSettings& Current() {
    static FormatSettings settings = FormatSettings::FromProcessLocale();
    return settings;
}

} // namespace

const FormatSettings& CurrentFormatSettings() {
    return Current();
}

void SetCurrentFormatSettings(const FormatSettings& settings) {
    Current() = settings;
}

ScopedFormatSettings::ScopedFormatSettings(const FormatSettings& settings) : FPrevious(Current()) {
    Current() = settings;
}

ScopedFormatSettings::~ScopedFormatSettings() {
    Current() = FPrevious;
}

} // namespace ortavo
