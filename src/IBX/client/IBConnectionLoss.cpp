// The status codes that mean a lost connection.
#include "IBX/client/IBConnectionLoss.h"

#include "IBX/client/IB.h"

namespace ortavo {

bool ConnectionLost() noexcept {
    // Firebird reports an attachment deleted through MON$ATTACHMENTS, or a database shut
    // down under it, as isc_att_shutdown; the connection is as gone as after a network
    // failure, so it counts with the older codes.
    return StatusVectorHas({isc_lost_db_connection_code, isc_net_read_err_code,
                            isc_net_write_err_code, isc_att_shutdown_code});
}

} // namespace ortavo
