// The program block: create the forms, run the event loop, end with exit code 0; an
// exception that leaves it shows the start-up failure box and ends with exit code 1.
#pragma once

#include "app/Application.h"

#include <functional>

namespace ortavo {

int RunProgramBlock(TApplication& application,
                    const std::function<void(TApplication&)>& createForms);

// The start-up failure box for E, caught at address of module.
void ShowStartupFailure(TApplication& application, const Exception& E, StringView module,
                        std::uintptr_t address);

} // namespace ortavo
