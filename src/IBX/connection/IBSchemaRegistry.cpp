// The schemas by database name, made by the installed cache.
#include "IBX/connection/IBSchemaRegistry.h"

#include <atomic>
#include <map>
#include <mutex>

namespace ortavo {

namespace {

// Constant-initialised, so that an installation during static initialisation never sees
// it unset afterwards.
std::atomic<SchemaRegistry::TFactory> Factory{nullptr};

} // namespace

void SchemaRegistry::SetFactory(TFactory factory) noexcept {
    Factory.store(factory, std::memory_order_release);
}

std::shared_ptr<TIBSchema> SchemaRegistry::Lookup(const String& databaseName) {
    const TFactory factory = Factory.load(std::memory_order_acquire);
    if (!factory)
        return nullptr;
    static std::mutex lock;
    static std::map<String, std::shared_ptr<TIBSchema>> schemas;
    String key = databaseName;
    for (char16_t& c : key)
        c = CharUpperFull(c);
    std::lock_guard guard(lock);
    std::shared_ptr<TIBSchema>& schema = schemas[key];
    if (!schema)
        schema = factory();
    return schema;
}

} // namespace ortavo
