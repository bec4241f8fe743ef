// The client library binding: the interface every client call goes through, the binding that
// loads the Firebird client library at run time, and the registry of server types.
#pragma once

#include "IBX/client/IBClientCalls.h"
#include "base/String.h"

#include <memory>

namespace ortavo {

// The client library as the database layer sees it. Each client call takes the published
// arguments in the published order and returns the library's result. A call the loaded
// library does not offer raises the client error that names the version it needs; a call on a
// binding that is not loaded yet loads it first (or raises what the load raises).
class IGDSLibrary {
public:
    virtual ~IGDSLibrary() = default;

    virtual String LibraryName() const = 0;
    // Loads the library and resolves its entry points. A library that cannot be opened leaves
    // the binding not loaded and raises nothing; a missing required entry point raises
    // EOSError ("System Error.  Code: %d." and the loader's text) and leaves it not loaded.
    virtual void LoadIBLibrary() = 0;
    virtual void FreeIBLibrary() = 0;
    // Loads the library if needed; whether it is loaded.
    virtual bool TryIBLoad() = 0;
    // TryIBLoad; raises client error 1 naming LibraryName when the library is not there.
    virtual void CheckIBLoaded() = 0;
    // The client version, e.g. 6.3 for Firebird 3's client.
    virtual double GetIBClientVersion() = 0;
    // Whether the loaded library's entry point of that name is bound (false while not loaded
    // and for calls that raise their stand-by error).
    virtual bool HasEntryPoint(const char* name) const = 0;

#define ORTAVO_IB_DECLARE_CALL(Result, Name, Params, Args) virtual Result Name Params = 0;
    ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_DECLARE_CALL)
#undef ORTAVO_IB_DECLARE_CALL
};

// Binding to the client library named by LibraryName, loaded with dlopen and bound by name.
// Once loaded it stays loaded; destroying the binding does not unload the library, because
// the library's own exit handlers must still find their code.
class TIBServerLibrary : public IGDSLibrary {
public:
    TIBServerLibrary();
    ~TIBServerLibrary() override;
    TIBServerLibrary(const TIBServerLibrary&) = delete;
    TIBServerLibrary& operator=(const TIBServerLibrary&) = delete;

    String LibraryName() const override;
    void LoadIBLibrary() override;
    void FreeIBLibrary() override;
    bool TryIBLoad() override;
    void CheckIBLoaded() override;
    double GetIBClientVersion() override;
    bool HasEntryPoint(const char* name) const override;

#define ORTAVO_IB_OVERRIDE_CALL(Result, Name, Params, Args) Result Name Params override;
    ORTAVO_IB_CLIENT_CALLS(ORTAVO_IB_OVERRIDE_CALL)
#undef ORTAVO_IB_OVERRIDE_CALL

private:
    struct EntryPoints;
    // Returns once the entry point is bound: loads the library when needed, otherwise raises
    // what the load raises or the entry point's stand-by error.
    void EnsureBound(int entry);

    void* FIBLibrary = nullptr;
    // Client version times 10000 (6.3 is 63000); 0 while not loaded.
    long long FIBClientVersion = 0;
    std::unique_ptr<EntryPoints> FEntries;
};

// Firebird's embedded engine is a provider inside the same client library, so the embedded
// server type opens the same file as the server type.
class TIBEmbeddedLibrary : public TIBServerLibrary {
public:
    String LibraryName() const override;
};

// Server type registry, filled on first use with "IBServer" and "IBEmbedded".
// The registered spelling of a server type compared without regard to case; raises client
// error 123 with the name when none matches.
String LookupServerType(StringView serverType);
// The binding registered under a spelling LookupServerType returned (or "IBServer");
// null when nothing is registered under it.
std::shared_ptr<IGDSLibrary> GetGDSLibrary(StringView serverType = u"IBServer");
// Adds or replaces an entry.
void RegisterServerType(const String& serverType, std::shared_ptr<IGDSLibrary> library);
// The registered server type names, in registration order, joined by ", ".
String RegisteredServerTypes();

} // namespace ortavo
