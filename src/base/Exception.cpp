// Exception root and operating-system errors.
#include "base/Exception.h"

#include "base/Format.h"

#include <new>

namespace ortavo {

Exception::Exception(String message) : FMessage(std::move(message)), FWhat(ToUtf8(FMessage)) {}

Exception::Exception(String message, std::shared_ptr<const Exception> inner)
    : FMessage(std::move(message)), FWhat(ToUtf8(FMessage)), FInner(std::move(inner)) {}

void Exception::SetMessage(String message) {
    FMessage = std::move(message);
    FWhat = ToUtf8(FMessage);
}

const Exception& Exception::GetBaseException() const noexcept {
    const Exception* e = this;
    while (e->FInner)
        e = e->FInner.get();
    return *e;
}

void RaiseOSError(int errorNumber) {
    RaiseOSError(errorNumber, SystemErrorText(errorNumber));
}

void RaiseOSError(int errorCode, const String& systemText) {
    throw EOSError(Format(u"System Error.  Code: %d.\r\n%s", {errorCode, systemText}), errorCode);
}

String ErrorBoxText(const Exception& E) {
    String message = E.Message();
    const Exception& innermost = E.GetBaseException();
    if (&innermost != &E && !innermost.Message().empty())
        message = innermost.Message();
    if (!message.empty() && message.back() > u'.')
        message += u'.';
    return message;
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
