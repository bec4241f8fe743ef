// The installed SQL monitor hook; by default one that drops everything.
#include "IBX/client/IBSQLMonitorHook.h"

#include <atomic>

namespace ortavo {

namespace {

IIBSQLMonitorHook& SilentHook() noexcept {
    static IIBSQLMonitorHook hook;
    return hook;
}

std::atomic<IIBSQLMonitorHook*> InstalledHook{nullptr};

} // namespace

IIBSQLMonitorHook& MonitorHook() noexcept {
    IIBSQLMonitorHook* hook = InstalledHook.load(std::memory_order_acquire);
    return hook ? *hook : SilentHook();
}

void SetMonitorHook(IIBSQLMonitorHook* hook) noexcept {
    InstalledHook.store(hook, std::memory_order_release);
}

} // namespace ortavo
