// Error box texts.
#include "app/ErrorText.h"

#include "base/Format.h"

#include <new>

namespace ortavo {

String StartupFailureText(const Exception& E, StringView module, std::uintptr_t address) {
    const String& message = E.Message();
    StringView period = message.empty() || message.back() == u'.' ? u"" : u".";
    return Format(
        u"Exception %s in module %s at %.8x.\r\n%s%s\r\n",
        {FromUtf8(E.ClassName()), module, static_cast<unsigned long>(address), message, period});
}

void VisitException(std::exception_ptr error, const std::function<void(const Exception&)>& use) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        use(e);
    } catch (const std::bad_alloc&) {
        use(EOutOfMemory(u"Out of memory"));
    } catch (const std::exception& e) {
        use(Exception(FromUtf8(e.what())));
    } catch (...) {
        use(Exception(u"Unknown exception"));
    }
}

} // namespace ortavo
