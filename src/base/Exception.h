// The root of every failure the system raises, and the base layer's own families.
#pragma once

#include "base/String.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace ortavo {

// Every failure carries the system's message as UTF-16 text; what() is its UTF-8 form.
// An exception may wrap an inner one; boxes show the innermost message.
class Exception : public std::exception {
public:
    explicit Exception(String message);
    Exception(String message, std::shared_ptr<const Exception> inner);

    const String& Message() const noexcept { return FMessage; }
    void SetMessage(String message);
    const char* what() const noexcept override { return FWhat.c_str(); }
    virtual const char* ClassName() const noexcept { return "Exception"; }

    const std::shared_ptr<const Exception>& InnerException() const noexcept { return FInner; }
    // The innermost exception of the chain, this one when there is no inner exception.
    const Exception& GetBaseException() const noexcept;

private:
    String FMessage;
    std::string FWhat;
    std::shared_ptr<const Exception> FInner;
};

// The text the error box shows for E: the innermost exception's message when it is another
// one and not empty, else E's; a period appended when the last character comes after ".".
String ErrorBoxText(const Exception& E);

// Declares an exception class below Base with its own class name. The arguments are class
// names, which cannot be parenthesised.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define ORTAVO_EXCEPTION_CLASS(Name, Base)                                                         \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* ClassName() const noexcept override { return #Name; }                          \
    }
// NOLINTEND(bugprone-macro-parentheses)

// Silent: the application shows nothing for it.
ORTAVO_EXCEPTION_CLASS(EAbort, Exception);
ORTAVO_EXCEPTION_CLASS(EConvertError, Exception);
ORTAVO_EXCEPTION_CLASS(EInvalidOperation, Exception);
ORTAVO_EXCEPTION_CLASS(EStreamError, Exception);
ORTAVO_EXCEPTION_CLASS(EFileStreamError, EStreamError);
ORTAVO_EXCEPTION_CLASS(EFOpenError, EFileStreamError);
ORTAVO_EXCEPTION_CLASS(EListError, Exception);
ORTAVO_EXCEPTION_CLASS(EEncodingError, Exception);
ORTAVO_EXCEPTION_CLASS(EComponentError, Exception);
ORTAVO_EXCEPTION_CLASS(EOutOfMemory, Exception);

// Calls use with the exception held by error; what is not the system's own is wrapped in
// an Exception with its text (std::bad_alloc becomes EOutOfMemory "Out of memory").
void VisitException(std::exception_ptr error, const std::function<void(const Exception&)>& use);

// A failure of an operating-system call, with its error number.
class EOSError : public Exception {
public:
    EOSError(String message, int errorCode)
        : Exception(std::move(message)), FErrorCode(errorCode) {}
    const char* ClassName() const noexcept override { return "EOSError"; }
    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};

// The system's text for an errno value ("No such file or directory"), in English whatever
// the locale.
String SystemErrorText(int errorNumber);

// Windows only: the system's text for a Windows error code (GetLastError), in English where
// the system has it, without the line break the system ends it with.
String WindowsErrorText(std::uint32_t errorCode);

// "System Error.  Code: %d." followed by a line break and the system's text.
[[noreturn]] void RaiseOSError(int errorNumber);
// The same for a code and text of the caller's (a Windows error code and WindowsErrorText).
[[noreturn]] void RaiseOSError(int errorCode, const String& systemText);

} // namespace ortavo
