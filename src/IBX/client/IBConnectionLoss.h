// Which failures of a client call mean that the connection to the database is gone.
#pragma once

#include <ibase.h>

namespace ortavo {

inline constexpr ISC_STATUS isc_lost_db_connection_code = 335544741;
inline constexpr ISC_STATUS isc_net_read_err_code = 335544726;
inline constexpr ISC_STATUS isc_net_write_err_code = 335544727;
inline constexpr ISC_STATUS isc_network_error_code = 335544721;
// The attachment was shut down (killed by an administrator, or the database shut down).
inline constexpr ISC_STATUS isc_att_shutdown_code = 335544856;

// Whether the calling thread's status vector reports a lost connection: the connection
// lost, a network read or write failure, or the attachment shut down by the server.
bool ConnectionLost() noexcept;

} // namespace ortavo
