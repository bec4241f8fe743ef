// The program block.
#include "app/Program.h"

#include "app/ErrorText.h"

#include <dlfcn.h>

namespace ortavo {

namespace {

// An address inside the caller's code, for the start-up failure box.
[[gnu::noinline]] void* CallerAddress() {
    return __builtin_return_address(0);
}

} // namespace

void ShowStartupFailure(TApplication& application, const Exception& E, StringView module,
                        std::uintptr_t address) {
    application.Boxes().StartupFailure(u"Application Error",
                                       StartupFailureText(E, module, address));
}

int RunProgramBlock(TApplication& application,
                    const std::function<void(TApplication&)>& createForms) {
    try {
        application.Initialize();
        application.SetMainFormOnTaskBar(true);
        createForms(application);
        application.Run();
    } catch (...) {
        void* at = CallerAddress();
        String module;
        std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(at);
        Dl_info info{};
        if (dladdr(at, &info) != 0 && info.dli_fname) {
            String path = FromUtf8(info.dli_fname);
            module = path.substr(path.rfind(u'/') + 1);
            offset -= reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        }
        VisitException(std::current_exception(), [&](const Exception& e) {
            ShowStartupFailure(application, e, module, offset);
        });
        application.DestroyForms();
        return 1;
    }
    application.DestroyForms();
    return 0;
}

} // namespace ortavo
