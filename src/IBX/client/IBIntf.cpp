// Loading the client library, binding its entry points by name, the stand-by
// errors of the calls a client version lacks, and the server type registry.
#include "IBX/client/IBIntf.h"

#include "IBX/client/IB.h"
#include "IBX/client/SharedLibrary.h"

#include <array>
#include <cstring>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

namespace ortavo {

namespace {

enum EntryIndex : int {
#define ORTAVO_IB_ENTRY_INDEX(Result, Name, Params, Args) e_##Name,
    ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_ENTRY_INDEX)
#undef ORTAVO_IB_ENTRY_INDEX
        EntryCount
};

constexpr const char* EntryNames[EntryCount] = {
#define ORTAVO_IB_ENTRY_NAME(Result, Name, Params, Args) #Name,
    ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_ENTRY_NAME)
#undef ORTAVO_IB_ENTRY_NAME
};

// What a call raises while its entry point is not bound.
enum class TStandBy : unsigned char {
    NotLoaded,   // the library is not loaded (yet)
    IB6,         // client error 3
    IB70,        // the 7.0 text, SQLCode 0
    IB71,        // the 7.1 text, SQLCode 0
    IB2007,      // the 2007 text, SQLCode 0
    Unsupported, // client error 4
};

// Every client library this layer can use exports these.
constexpr EntryIndex RequiredEntries[] = {
    e_BLOB_get,
    e_BLOB_put,
    e_isc_sqlcode,
    e_isc_sql_interprete,
    e_isc_interprete,
    e_isc_vax_integer,
    e_isc_portable_integer,
    e_isc_blob_info,
    e_isc_open_blob2,
    e_isc_close_blob,
    e_isc_get_segment,
    e_isc_put_segment,
    e_isc_create_blob2,
    e_isc_create_database,
    e_isc_cancel_blob,
    e_isc_array_gen_sdl,
    e_isc_array_get_slice,
    e_isc_array_lookup_bounds,
    e_isc_array_lookup_desc,
    e_isc_array_set_desc,
    e_isc_array_put_slice,
    e_isc_blob_default_desc,
    e_isc_blob_gen_bpb,
    e_isc_blob_lookup_desc,
    e_isc_blob_set_desc,
    e_isc_decode_date,
    e_isc_encode_date,
    e_isc_dsql_free_statement,
    e_isc_dsql_execute2,
    e_isc_dsql_execute,
    e_isc_dsql_set_cursor_name,
    e_isc_dsql_fetch,
    e_isc_dsql_sql_info,
    e_isc_dsql_alloc_statement2,
    e_isc_dsql_prepare,
    e_isc_dsql_describe_bind,
    e_isc_dsql_exec_immed2,
    e_isc_dsql_describe,
    e_isc_dsql_execute_immediate,
    e_isc_drop_database,
    e_isc_detach_database,
    e_isc_attach_database,
    e_isc_database_info,
    e_isc_start_multiple,
    e_isc_start_transaction,
    e_isc_commit_transaction,
    e_isc_commit_retaining,
    e_isc_rollback_transaction,
    e_isc_cancel_events,
    e_isc_que_events,
    e_isc_event_counts,
    e_isc_event_block,
    e_isc_free,
    e_isc_add_user,
    e_isc_delete_user,
    e_isc_modify_user,
    e_isc_prepare_transaction,
    e_isc_prepare_transaction2,
    e_isc_transaction_info,
};

// Required once isc_rollback_retaining shows a version 6 client.
constexpr EntryIndex Version6Entries[] = {
    e_isc_service_attach,  e_isc_service_detach,   e_isc_service_query,    e_isc_service_start,
    e_isc_decode_sql_date, e_isc_decode_sql_time,  e_isc_decode_timestamp, e_isc_encode_sql_date,
    e_isc_encode_sql_time, e_isc_encode_timestamp,
};

constexpr EntryIndex ClientVersionEntries[] = {
    e_isc_get_client_version,
    e_isc_get_client_major_version,
    e_isc_get_client_minor_version,
};

constexpr EntryIndex Version70Entries[] = {
    e_isc_array_gen_sdl2,     e_isc_array_get_slice2, e_isc_array_lookup_bounds2,
    e_isc_array_lookup_desc2, e_isc_array_set_desc2,  e_isc_array_put_slice2,
    e_isc_blob_default_desc2, e_isc_blob_gen_bpb2,    e_isc_blob_lookup_desc2,
    e_isc_blob_set_desc2,
};

constexpr EntryIndex Version71Entries[] = {
    e_isc_release_savepoint,
    e_isc_rollback_savepoint,
    e_isc_start_savepoint,
};

constexpr EntryIndex Version2007Entries[] = {
    e_isc_dsql_batch_execute_immed,
    e_isc_dsql_batch_execute,
};

constexpr long long Version50 = 50000;
constexpr long long Version60 = 60000;
constexpr long long Version70 = 70000;
constexpr long long Version71 = 71000;
constexpr long long Version80 = 80000;

std::mutex& LoadMutex() {
    static std::mutex mutex;
    return mutex;
}

// The library's variadic calls, offered in fixed forms by the binding: the fixed-form
// pointer is turned back into the library's own type before the call.
using StartTransactionFixed = ISC_STATUS (*)(ISC_STATUS*, isc_tr_handle*, short, isc_db_handle*,
                                             unsigned short, const ISC_SCHAR*);
using EventBlockFixed = ISC_LONG (*)(ISC_UCHAR**, ISC_UCHAR**, ISC_USHORT, const ISC_SCHAR* const*);

struct StartTransactionCall {
    StartTransactionFixed Proc;
    ISC_STATUS operator()(ISC_STATUS* status, isc_tr_handle* tran, short count, isc_db_handle* db,
                          unsigned short tpbLength, const ISC_SCHAR* tpb) const {
        // The library reads one database, length and block for each one counted; only one
        // was passed, so a larger count would have it read arguments that do not exist.
        if (count > 1)
            RaiseClientError(ibxeNotSupported);
        auto variadic = reinterpret_cast<decltype(&::isc_start_transaction)>(Proc);
        return variadic(status, tran, count, db, tpbLength, tpb);
    }
};

struct EventBlockCall {
    EventBlockFixed Proc;
    ISC_LONG operator()(ISC_UCHAR** eventBuffer, ISC_UCHAR** resultBuffer, ISC_USHORT count,
                        const ISC_SCHAR* const* names) const {
        if (count > IBMaxEventNames)
            RaiseClientError(ibxeMaximumEvents);
        // The library reads exactly `count` names; the others are never looked at.
        std::array<const ISC_SCHAR*, IBMaxEventNames> n{};
        for (int i = 0; i < count; ++i)
            n[i] = names[i];
        auto variadic = reinterpret_cast<decltype(&::isc_event_block)>(Proc);
        return variadic(eventBuffer, resultBuffer, count, n[0], n[1], n[2], n[3], n[4], n[5], n[6],
                        n[7], n[8], n[9], n[10], n[11], n[12], n[13], n[14]);
    }
};

template <typename Proc> Proc CallThrough(Proc proc) {
    return proc;
}
StartTransactionCall CallThrough(StartTransactionFixed proc) {
    return {proc};
}
EventBlockCall CallThrough(EventBlockFixed proc) {
    return {proc};
}

[[noreturn]] void RaiseVersionFunction(const char* name, const char16_t* text) {
    throw EIBClientError(0, Format(text, {FromAscii(name) + u" "}));
}

} // namespace

struct TIBServerLibrary::EntryPoints {
#define ORTAVO_IB_ENTRY_FIELD(Result, Name, Params, Args) Result(*F##Name) Params = nullptr;
    ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_ENTRY_FIELD)
#undef ORTAVO_IB_ENTRY_FIELD

    std::array<TStandBy, EntryCount> StandBy{};

    void Set(int entry, void* address) {
        switch (entry) {
#define ORTAVO_IB_ENTRY_SET(Result, Name, Params, Args)                                            \
    case e_##Name:                                                                                 \
        F##Name = reinterpret_cast<decltype(F##Name)>(address);                                    \
        break;
            ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_ENTRY_SET)
#undef ORTAVO_IB_ENTRY_SET
        }
    }

    bool Bound(int entry) const {
        switch (entry) {
#define ORTAVO_IB_ENTRY_BOUND(Result, Name, Params, Args)                                          \
    case e_##Name:                                                                                 \
        return F##Name != nullptr;
            ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_ENTRY_BOUND)
#undef ORTAVO_IB_ENTRY_BOUND
        }
        return false;
    }
};

TIBServerLibrary::TIBServerLibrary() : FEntries(std::make_unique<EntryPoints>()) {}

// The library stays mapped: its exit handlers run after the registry is gone.
TIBServerLibrary::~TIBServerLibrary() = default;

String TIBServerLibrary::LibraryName() const {
    return ClientLibraryFile;
}

String TIBEmbeddedLibrary::LibraryName() const {
    return ClientLibraryFile;
}

void TIBServerLibrary::LoadIBLibrary() {
    std::lock_guard lock(LoadMutex());
    if (FIBLibrary)
        return;
    void* handle = OpenSharedLibrary(LibraryName());
    if (!handle)
        return;

    // Resolve into a fresh table and keep it only when the whole load succeeds, so a failed
    // load leaves nothing bound that a later call could reach.
    auto entries = std::make_unique<EntryPoints>();
    long long version = Version50;
    try {
        auto bind = [&](EntryIndex entry) {
            void* address = FindEntryPoint(handle, EntryNames[entry]);
            if (address)
                entries->Set(entry, address);
            return address != nullptr;
        };
        auto require = [&](EntryIndex entry) {
            if (!bind(entry))
                RaiseMissingEntryPoint(EntryNames[entry]);
        };
        for (EntryIndex entry : RequiredEntries)
            require(entry);

        if (bind(e_isc_rollback_retaining)) {
            version = Version60;
            for (EntryIndex entry : Version6Entries)
                require(entry);
        } else {
            entries->StandBy[e_isc_rollback_retaining] = TStandBy::IB6;
            for (EntryIndex entry : Version6Entries)
                entries->StandBy[entry] = TStandBy::IB6;
        }

        if (bind(e_isc_get_client_version)) {
            require(e_isc_get_client_major_version);
            require(e_isc_get_client_minor_version);
            version = static_cast<long long>(entries->Fisc_get_client_major_version()) * 10000 +
                      static_cast<long long>(entries->Fisc_get_client_minor_version()) * 1000;
        } else {
            for (EntryIndex entry : ClientVersionEntries)
                entries->StandBy[entry] = TStandBy::IB70;
        }

        // Functions of later versions: required from their version on, stand-bys below it.
        auto byVersion = [&](std::span<const EntryIndex> list, long long since, TStandBy standBy) {
            for (EntryIndex entry : list) {
                if (version >= since)
                    require(entry);
                else
                    entries->StandBy[entry] = standBy;
            }
        };
        byVersion(Version70Entries, Version70, TStandBy::IB70);
        byVersion(Version71Entries, Version71, TStandBy::IB71);
        byVersion(Version2007Entries, Version80, TStandBy::IB2007);

        // Composes messages with the size of the buffer known; older clients lack it.
        if (!bind(e_fb_interpret))
            entries->StandBy[e_fb_interpret] = TStandBy::Unsupported;
    } catch (...) {
        CloseSharedLibrary(handle);
        throw;
    }

    FEntries = std::move(entries);
    FIBClientVersion = version;
    FIBLibrary = handle;
}

void TIBServerLibrary::FreeIBLibrary() {
    std::lock_guard lock(LoadMutex());
    if (FIBLibrary)
        CloseSharedLibrary(FIBLibrary);
    FIBLibrary = nullptr;
    FIBClientVersion = 0;
    FEntries = std::make_unique<EntryPoints>();
}

bool TIBServerLibrary::TryIBLoad() {
    if (!FIBLibrary)
        LoadIBLibrary();
    return FIBLibrary != nullptr;
}

void TIBServerLibrary::CheckIBLoaded() {
    if (!TryIBLoad())
        RaiseClientError(ibxeInterBaseMissing, {LibraryName()});
}

double TIBServerLibrary::GetIBClientVersion() {
    CheckIBLoaded();
    return static_cast<double>(FIBClientVersion) / 10000.0;
}

bool TIBServerLibrary::HasEntryPoint(const char* name) const {
    for (int entry = 0; entry < EntryCount; ++entry)
        if (std::strcmp(EntryNames[entry], name) == 0)
            return FEntries->Bound(entry);
    return false;
}

void TIBServerLibrary::EnsureBound(int entry) {
    if (!FIBLibrary)
        CheckIBLoaded();
    if (FEntries->Bound(entry))
        return;
    const char* name = EntryNames[entry];
    switch (FEntries->StandBy[entry]) {
    case TStandBy::IB6:
        RaiseClientError(ibxeIB60feature, {FromAscii(name)});
    case TStandBy::IB70:
        RaiseVersionFunction(name, ClientErrorText(ibxeIB70feature));
    case TStandBy::IB71:
        RaiseVersionFunction(name, u"%s is an InterBase 7.1 function. Please upgrade to "
                                   u"InterBase 7.1 to use this functonality");
    case TStandBy::IB2007:
        RaiseVersionFunction(name, u"%s is an InterBase 2007 function. Please upgrade to "
                                   u"InterBase 2007 to use this functonality");
    case TStandBy::NotLoaded:
    case TStandBy::Unsupported:
        break;
    }
    RaiseClientError(ibxeNotSupported);
}

#define ORTAVO_IB_FORWARD_CALL(Result, Name, Params, Args)                                         \
    Result TIBServerLibrary::Name Params {                                                         \
        if (!FEntries->F##Name) [[unlikely]]                                                       \
            EnsureBound(e_##Name);                                                                 \
        return CallThrough(FEntries->F##Name) Args;                                                \
    }
ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_FORWARD_CALL)
#undef ORTAVO_IB_FORWARD_CALL

// Server type registry.

namespace {

struct ServerTypeRegistry {
    std::vector<std::pair<String, std::shared_ptr<IGDSLibrary>>> Entries;
};

ServerTypeRegistry& Registry() {
    static ServerTypeRegistry registry = [] {
        ServerTypeRegistry r;
        r.Entries.emplace_back(u"IBServer", std::make_shared<TIBServerLibrary>());
        r.Entries.emplace_back(u"IBEmbedded", std::make_shared<TIBEmbeddedLibrary>());
        return r;
    }();
    return registry;
}

} // namespace

String LookupServerType(StringView serverType) {
    String lowered = LowerCase(serverType);
    for (const auto& [name, library] : Registry().Entries)
        if (LowerCase(name) == lowered)
            return name;
    RaiseClientError(ibxeInvalidLibraryType, {RegisteredServerTypes()});
}

std::shared_ptr<IGDSLibrary> GetGDSLibrary(StringView serverType) {
    for (const auto& [name, library] : Registry().Entries)
        if (name == serverType)
            return library;
    return nullptr;
}

void RegisterServerType(const String& serverType, std::shared_ptr<IGDSLibrary> library) {
    for (auto& [name, existing] : Registry().Entries)
        if (name == serverType) {
            existing = std::move(library);
            return;
        }
    Registry().Entries.emplace_back(serverType, std::move(library));
}

String RegisteredServerTypes() {
    String list;
    for (const auto& entry : Registry().Entries) {
        if (!list.empty())
            list += u", ";
        list += entry.first;
    }
    return list;
}

} // namespace ortavo
