// The client library through dlopen and dlsym.
#include "IBX/client/SharedLibrary.h"

#include "base/Exception.h"
#include "base/Format.h"

#include <dlfcn.h>

#include <cerrno>

namespace ortavo {

const char16_t* const ClientLibraryFile = u"libfbclient.so.2";

void* OpenSharedLibrary(const String& file) {
    return dlopen(ToUtf8(file).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void CloseSharedLibrary(void* library) noexcept {
    dlclose(library);
}

void* FindEntryPoint(void* library, const char* name) {
    dlerror();
    return dlsym(library, name);
}

void RaiseMissingEntryPoint(const char* name) {
    const char* detail = dlerror();
    String text = detail ? FromUtf8(detail) : FromAscii(name);
    throw EOSError(Format(u"System Error.  Code: %d.\r\n%s", {ENOSYS, text}), ENOSYS);
}

} // namespace ortavo
