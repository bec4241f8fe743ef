// The hook through which the database layer reports to an SQL monitor. No monitor exists in
// this system, so the installed hook does nothing unless a test or tool installs another.
#pragma once

#include "base/String.h"

namespace ortavo {

class TIBDatabase;
class TIBTransaction;
class TIBSQL;

class IIBSQLMonitorHook {
public:
    virtual ~IIBSQLMonitorHook() = default;

    virtual void SQLPrepare(TIBSQL&) {}
    virtual void SQLExecute(TIBSQL&) {}
    virtual void SQLFetch(TIBSQL&) {}
    virtual void DBConnect(TIBDatabase&) {}
    virtual void DBDisconnect(TIBDatabase&) {}
    virtual void TRStart(TIBTransaction&) {}
    virtual void TRCommit(TIBTransaction&) {}
    virtual void TRCommitRetaining(TIBTransaction&) {}
    virtual void TRRollback(TIBTransaction&) {}
    virtual void TRRollbackRetaining(TIBTransaction&) {}
    virtual void SendMisc(const String&) {}
    // The general error channel, and the one of a connection.
    virtual void SendError(const String&) {}
    virtual void SendError(const String&, TIBDatabase&) {}
};

// The installed hook; a hook that does nothing by default.
IIBSQLMonitorHook& MonitorHook() noexcept;
// Installs a hook (null restores the default); the caller keeps it alive while installed.
void SetMonitorHook(IIBSQLMonitorHook* hook) noexcept;

} // namespace ortavo
