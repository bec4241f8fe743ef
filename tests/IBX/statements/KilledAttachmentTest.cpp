// A statement prepared before its attachment was killed: executing it raises the lost
// connection, and the forced close that follows must not wait on the server.
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTransaction.h"
#include "IBX/statements/IBSQL.h"

#include "IBX/connection/TestDatabase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace ortavo::test {
namespace {

class KilledAttachmentTest : public ::testing::TestWithParam<TAccess> {};

INSTANTIATE_TEST_SUITE_P(Access, KilledAttachmentTest,
                         ::testing::Values(TAccess::Embedded, TAccess::Server),
                         [](const auto& info) { return AccessName(info.param); });

// Firebird 3 may never answer a transaction end once a statement prepared before the kill
// met it; the forced close must ask nothing more than the detach. A pause before the close
// makes the server's silence likely, and a few rounds make it near certain.
TEST_P(KilledAttachmentTest, PreparedStatementOnAKilledAttachment) {
    TTestDatabase db(GetParam());
    db.Execute("CREATE TABLE T1 (ID INTEGER)");
    TIBDatabase base;
    TIBTransaction tr;
    db.Configure(base);
    base.SetDefaultTransaction(&tr);
    base.BeforeDisconnect = [](TComponent&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    };
    TIBSQL update;
    update.SetDatabase(&base);
    update.SQL().SetText(u"UPDATE T1 SET ID = ID + 1");
    for (int round = 0; round < 3; ++round) {
        base.Close();
        base.Open();
        tr.StartTransaction();
        update.Prepare();
        db.KillOtherAttachments();
        EXPECT_THROW(update.ExecQuery(), EIBInterBaseError);
        EXPECT_FALSE(base.Connected());
    }
}

} // namespace
} // namespace ortavo::test
