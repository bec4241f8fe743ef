// A fresh Firebird database per test, embedded (a local path) or through the server on
// loopback ("localhost:/path"), in dialect 3 or 1, dropped by its guard; and the few raw
// client steps the tests need beside the components.
#pragma once

#include "IBX/client/IBIntf.h"
#include "IBX/client/fixtures/RawClient.h"
#include "IBX/connection/IBDatabase.h"

#include "IBX/client/IB.h"
#include "IBX/connection/IBTimer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ortavo::test {

enum class TAccess { Embedded, Server };

// Names the access for test names ("Embedded", "Server").
std::string AccessName(TAccess access);

// The SYSDBA password and the loaded client binding, shared with the raw-binding tests.
using testing::Client;
using testing::LoginDPB;
using testing::SysdbaPassword;

// Owns a database file in its own temporary folder. Creating it through the server needs
// the server running (scripts/firebird-server start); without it the constructor raises
// std::runtime_error saying so. The destructor drops the database and removes the folder;
// it never throws.
class TTestDatabase {
public:
    explicit TTestDatabase(TAccess access, int dialect = 3);
    ~TTestDatabase();
    TTestDatabase(const TTestDatabase&) = delete;
    TTestDatabase& operator=(const TTestDatabase&) = delete;

    TAccess Access() const noexcept { return FAccess; }
    int Dialect() const noexcept { return FDialect; }
    const std::filesystem::path& Path() const noexcept { return FPath; }
    // The name the components attach with: the path, or "localhost:" and the path.
    String Name() const;
    // The name of a file in the same folder that does not exist.
    String MissingName() const;

    // Points a connection at this database as SYSDBA, without a login prompt.
    void Configure(TIBDatabase& database) const;

    // Runs statements on a connection of its own, as SYSDBA, each committed. With a lock
    // timeout, a wait for a lock (an index a prepared statement uses) fails after so many
    // seconds instead of lasting as long as the holder.
    void Execute(const std::string& sql, int lockTimeout = 0) const;
    // The one integer a singleton select yields, read on a connection of its own; nullopt
    // for NULL.
    std::optional<std::int32_t> QueryInt(const std::string& sql) const;
    // Deletes every other user attachment to this database through the server, as SYSDBA.
    void KillOtherAttachments() const;

private:
    std::string AttachName() const;

    TAccess FAccess;
    int FDialect;
    std::filesystem::path FFolder;
    std::filesystem::path FPath;
    bool FCreated = false;
};

// A raw select cursor on a component's connection and transaction, for watching what ends
// and retaining commits do to open cursors. The first column must be an integer.
class TRawCursor {
public:
    TRawCursor(TIBDatabase& database, TIBTransaction& transaction, const std::string& select);
    ~TRawCursor();
    TRawCursor(const TRawCursor&) = delete;
    TRawCursor& operator=(const TRawCursor&) = delete;

    // The next row's first column; nullopt at the end. Raises EIBInterBaseError when the
    // server refuses the fetch (a closed cursor).
    std::optional<std::int32_t> Fetch();

private:
    TIBDatabase& FDatabase;
    isc_stmt_handle FHandle = 0;
    alignas(XSQLDA) char FArea[XSQLDA_LENGTH(1)] = {};
    std::int32_t FValue = 0;
    short FNull = 0;
};

// Runs one statement on a component's connection inside its transaction.
void ExecuteIn(TIBDatabase& database, TIBTransaction& transaction, const std::string& sql);

// The server's number of a component's attachment.
std::int64_t AttachmentId(TIBDatabase& database);

// Expects the action to raise the client error with that code and text.
void ExpectClientError(const std::function<void()>& action, int code, const char16_t* text);

// A timer service whose timers tick only when the test says so. Installed while it lives.
class TManualTimers : public ITimerService {
public:
    TManualTimers();
    ~TManualTimers() override;
    std::unique_ptr<ITimerHandle> Arm(unsigned intervalMs, std::function<void()> tick) override;
    // One tick of every armed timer.
    void Tick();
    int ArmedCount() const noexcept { return static_cast<int>(FArmed.size()); }

private:
    struct TTimer;
    std::vector<TTimer*> FArmed;
};

} // namespace ortavo::test
