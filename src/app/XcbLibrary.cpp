// Calls into the toolkit's libxcb, found among the libraries already loaded.
#include "app/XcbLibrary.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace ortavo::xcb {

namespace {

template <typename Function> void Find(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
}

} // namespace

TLibrary::TLibrary() : FHandle(dlopen("libxcb.so.1", RTLD_NOW | RTLD_NOLOAD)) {
    if (!FHandle)
        return;
    Find(FHandle, "xcb_intern_atom", FInternAtom);
    Find(FHandle, "xcb_intern_atom_reply", FInternAtomReply);
    Find(FHandle, "xcb_send_event", FSendEvent);
    Find(FHandle, "xcb_flush", FFlush);
}

TLibrary::~TLibrary() {
    if (FHandle)
        dlclose(FHandle);
}

std::uint32_t TLibrary::Atom(void* connection, const char* name, bool onlyIfExists) const {
    if (!Loaded())
        return 0;
    TAtomReply* answer =
        FInternAtomReply(connection,
                         FInternAtom(connection, onlyIfExists ? 1 : 0,
                                     static_cast<std::uint16_t>(std::strlen(name)), name),
                         nullptr);
    if (!answer)
        return 0;
    const std::uint32_t atom = answer->Atom;
    // The reply is the library's, allocated with malloc.
    std::free(answer);
    return atom;
}

bool TLibrary::Send(void* connection, const TClientMessage& message) const {
    if (!FSendEvent || !FFlush)
        return false;
    char event[32] = {};
    std::memcpy(event, &message, sizeof message);
    FSendEvent(connection, 0, message.Window, 0, event);
    return FFlush(connection) > 0;
}

} // namespace ortavo::xcb
