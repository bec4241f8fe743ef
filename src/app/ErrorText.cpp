// The start-up failure box's text.
#include "app/ErrorText.h"

#include "base/Format.h"

namespace ortavo {

String StartupFailureText(const Exception& E, StringView module, std::uintptr_t address) {
    const String& message = E.Message();
    StringView period = message.empty() || message.back() == u'.' ? u"" : u".";
    return Format(
        u"Exception %s in module %s at %.8x.\r\n%s%s\r\n",
        {FromUtf8(E.ClassName()), module, static_cast<unsigned long>(address), message, period});
}

} // namespace ortavo
