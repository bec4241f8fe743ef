// The per-thread status vector, server error messages composed from it, and the raising of
// the database layer's errors.
#include "IBX/client/IB.h"

#include "IBX/client/IBIntf.h"
#include "base/Encoding.h"

#include <cstring>

namespace ortavo {

namespace {

thread_local StatusVectorArray TheStatusVector{};

// Local area the client library writes one message line into.
constexpr unsigned InterpretBufferSize = 20480;

// A line carries names as the client was given them (UTF-8 on this platform) and system
// texts in the codeset of the process that wrote them; a line that is no UTF-8 is read in
// the system's ANSI code page.
String DecodeLine(std::string_view line) {
    String text = FromUtf8(line);
    if (ToUtf8(text) == line)
        return text;
    return Encoding::Ansi().Decode(line);
}

void AppendLine(String& message, const char* line) {
    if (!message.empty() && message.back() != u'\n')
        message += u"\r\n";
    message += DecodeLine(std::string_view(line, std::strlen(line)));
}

} // namespace

StatusVector ThreadStatusVector() noexcept {
    return TheStatusVector;
}

bool StatusVectorHas(std::initializer_list<ISC_STATUS> codes) noexcept {
    const ISC_STATUS* vector = TheStatusVector;
    // The walk stays inside the array even when the vector lacks its closing 0.
    std::size_t i = 0;
    while (i < ISC_STATUS_LENGTH && vector[i] != isc_arg_end) {
        ISC_STATUS tag = vector[i];
        if (tag == isc_arg_gds || tag == isc_arg_number) {
            if (i + 1 >= ISC_STATUS_LENGTH)
                return false;
            for (ISC_STATUS code : codes)
                if (vector[i + 1] == code)
                    return true;
            i += 2;
        } else if (tag == isc_arg_cstring) {
            i += 3;
        } else {
            i += 2;
        }
    }
    return false;
}

IBDataBaseError ComposeDatabaseErrorMessage(IGDSLibrary* library) {
    std::shared_ptr<IGDSLibrary> fallback;
    if (!library) {
        fallback = GetGDSLibrary(u"IBServer");
        library = fallback.get();
    }
    IBDataBaseError error;
    StatusVector vector = ThreadStatusVector();
    error.SQLCode = static_cast<std::int32_t>(library->isc_sqlcode(vector));
    error.IBErrorCode = static_cast<std::int32_t>(vector[1]);

    char buffer[InterpretBufferSize];
    if (library->HasEntryPoint("fb_interpret")) {
        const ISC_STATUS* cursor = vector;
        while (library->fb_interpret(buffer, sizeof buffer, &cursor) > 0)
            AppendLine(error.Message, buffer);
    } else {
        // Older clients only offer the call that does not know the buffer's size.
        ISC_STATUS* cursor = vector;
        while (library->isc_interprete(buffer, &cursor) > 0)
            AppendLine(error.Message, buffer);
    }
    if (!error.Message.empty() && error.Message.back() == u'.')
        error.Message.pop_back();
    return error;
}

void RaiseDatabaseError(IGDSLibrary* library) {
    IBDataBaseError error = ComposeDatabaseErrorMessage(library);
    MonitorHook().SendError(Format(u"%d %d %s", {error.SQLCode, error.IBErrorCode, error.Message}));
    if (error.SQLCode == -551)
        throw EIBInterBaseRoleError(error.SQLCode, error.IBErrorCode, std::move(error.Message));
    throw EIBInterBaseError(error.SQLCode, error.IBErrorCode, std::move(error.Message));
}

void RaiseClientError(TIBClientError code, std::initializer_list<FormatArg> args) {
    const char16_t* text = ClientErrorText(code);
    String message;
    try {
        message = Format(text, args);
    } catch (const EConvertError&) {
        // A caller that passed too few arguments still gets its client error, unformatted.
        message = text;
    }
    if (code != ibxeCannotCreateSharedResource)
        MonitorHook().SendError(message);
    throw EIBClientError(static_cast<std::int32_t>(code), std::move(message));
}

} // namespace ortavo
