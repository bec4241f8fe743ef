// Error reporting of the database layer: the per-thread status vector, the exception family,
// the composition of server error messages and the raising of the layer's own errors.
#pragma once

#include "IBX/client/IBErrorCodes.h"
#include "IBX/client/IBSQLMonitorHook.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "data/DatabaseError.h"

#include <ibase.h>

#include <cstdint>
#include <initializer_list>

namespace ortavo {

class IGDSLibrary;

// The client API's status array (ibase.h layout: ISC_STATUS_LENGTH elements of ISC_STATUS).
using StatusVectorArray = ISC_STATUS_ARRAY;
using StatusVector = ISC_STATUS*;

// The calling thread's status vector, passed as the first argument of every client call.
// It is overwritten by the next call on the same thread.
StatusVector ThreadStatusVector() noexcept;

// Whether the calling thread's status vector holds one of the codes as the value of an
// isc_arg_gds or isc_arg_number argument.
bool StatusVectorHas(std::initializer_list<ISC_STATUS> codes) noexcept;

class EIBError : public EDatabaseError {
public:
    EIBError(std::int32_t sqlCode, String message)
        : EDatabaseError(std::move(message)), FSQLCode(sqlCode) {}
    EIBError(std::int32_t sqlCode, std::int32_t ibErrorCode, String message)
        : EDatabaseError(std::move(message)), FSQLCode(sqlCode), FIBErrorCode(ibErrorCode) {}
    const char* ClassName() const noexcept override { return "EIBError"; }

    std::int32_t SQLCode() const noexcept { return FSQLCode; }
    std::int32_t IBErrorCode() const noexcept { return FIBErrorCode; }

private:
    std::int32_t FSQLCode = 0;
    std::int32_t FIBErrorCode = 0;
};

ORTAVO_EXCEPTION_CLASS(EIBInterBaseError, EIBError);
ORTAVO_EXCEPTION_CLASS(EIBInterBaseRoleError, EIBError);
ORTAVO_EXCEPTION_CLASS(EIBClientError, EIBError);
ORTAVO_EXCEPTION_CLASS(EIBPlanError, EIBError);

// What a failed client call left in the calling thread's status vector.
struct IBDataBaseError {
    std::int32_t SQLCode = 0;
    std::int32_t IBErrorCode = 0;
    // One line per message of the vector, joined by CR LF, without a final period.
    String Message;
};

// Reads the calling thread's status vector through the binding ("IBServer" when null).
// Must run before any further client call on the thread.
IBDataBaseError ComposeDatabaseErrorMessage(IGDSLibrary* library = nullptr);

// Raises EIBInterBaseRoleError for SQL code -551, EIBInterBaseError otherwise.
[[noreturn]] void RaiseDatabaseError(IGDSLibrary* library = nullptr);

// Raises EIBClientError with SQLCode = code and the table text formatted with the arguments.
[[noreturn]] void RaiseClientError(TIBClientError code, std::initializer_list<FormatArg> args = {});

} // namespace ortavo
